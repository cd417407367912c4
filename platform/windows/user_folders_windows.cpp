// The player's folders on Windows: the data and the settings in the roaming
// application data (%APPDATA%\Morvex2), which follows the player from machine
// to machine; the cache in the local one (%LOCALAPPDATA%\Morvex2), which
// need not.
#include <shlobj.h>
#include <windows.h>

#include "platform/base/user_folders.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

std::string KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  std::string folder;
  if (::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path) == S_OK) {
    folder = Utf8FromWide(path) + "\\Morvex2";
  }
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

std::string DataFolder() {
  return KnownFolder(FOLDERID_RoamingAppData);
}

std::string SettingsFolder() {
  return DataFolder();
}

std::string CacheFolder() {
  return KnownFolder(FOLDERID_LocalAppData);
}

}  // namespace platform
