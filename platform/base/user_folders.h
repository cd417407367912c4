// The player's own folders, as the system lays them out: the game's data,
// settings and cache. One implementation for each kind of system, chosen by
// CMake: the XDG folders on Linux, the application-data folders on Windows.
#pragma once

#include <string>

namespace platform {

// Where the scores, the name, the tunes and the replays live. Empty when the
// system names no such folder.
std::string DataFolder();
// Where the remembered screen and sound settings live.
std::string SettingsFolder();
// Where renderings that can be made again are kept.
std::string CacheFolder();

// Like mkdir -p; the folders it makes are the player's alone (0700). False,
// with errno set, when the path cannot be a folder.
[[nodiscard]] bool MakeFolders(const std::string& path);

}  // namespace platform
