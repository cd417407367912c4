#include "platform/base/user_folders.h"

#include <cerrno>

#include "platform/base/files.h"

namespace platform {

// A path's first part may be a drive ("C:") or the root; a folder that is
// already there is passed over, whatever MakeFolder says of it.
bool MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find_first_of("/\\", 1);;
       slash = path.find_first_of("/\\", slash + 1)) {
    const std::string part = path.substr(0, slash);
    const std::optional<FileInfo> there = InfoOf(part, Links::kFollow);
    const bool folder = there && there->kind == FileKind::kFolder;
    if (!part.empty() && !folder && !MakeFolder(part)) return false;
    if (slash == std::string::npos) break;
  }
  const std::optional<FileInfo> info = InfoOf(path, Links::kFollow);
  if (info && info->kind == FileKind::kFolder) return true;
  errno = ENOTDIR;
  return false;
}

}  // namespace platform
