#include "platform/base/user_folders.h"

#include <cerrno>
#include <cstdlib>

#include "platform/base/files.h"

namespace platform {

std::string UserFolder(const char* variable, const char* underHome) {
  const char* named = std::getenv(variable);
  if (named != nullptr && named[0] == '/') return std::string(named) + "/morvex2";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return std::string(home) + "/" + underHome + "/morvex2";
  }
  return {};
}

bool MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (!part.empty() && !MakeFolder(part)) return false;
    if (slash == std::string::npos) break;
  }
  const std::optional<FileInfo> info = InfoOf(path, Links::kFollow);
  if (info && info->kind == FileKind::kFolder) return true;
  errno = ENOTDIR;
  return false;
}

}  // namespace platform
