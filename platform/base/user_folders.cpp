#include "platform/base/user_folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

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
    if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return true;
  errno = ENOTDIR;
  return false;
}

}  // namespace platform
