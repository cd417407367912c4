// The player's folders on Linux and the other POSIX systems: each under the
// folder that its XDG variable names, or its default under the home folder.
#include <cstdlib>

#include "platform/base/user_folders.h"

namespace platform {

namespace {

// $VARIABLE/morvex2 when the variable holds an absolute path, else
// $HOME/UNDER_HOME/morvex2; empty when neither does. A relative value is
// ignored, so that the folder never depends on where the game was started.
std::string UserFolder(const char* variable, const char* underHome) {
  const char* named = std::getenv(variable);
  if (named != nullptr && named[0] == '/') return std::string(named) + "/morvex2";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return std::string(home) + "/" + underHome + "/morvex2";
  }
  return {};
}

}  // namespace

std::string DataFolder() {
  return UserFolder("XDG_DATA_HOME", ".local/share");
}

std::string SettingsFolder() {
  return UserFolder("XDG_CONFIG_HOME", ".config");
}

std::string CacheFolder() {
  return UserFolder("XDG_CACHE_HOME", ".cache");
}

}  // namespace platform
