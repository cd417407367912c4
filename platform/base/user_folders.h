// The player's own folders, as desktops lay them out: the game's data,
// settings and cache each under the folder that its XDG variable names.
#pragma once

#include <string>

namespace platform {

// $VARIABLE/morvex2 when the variable holds an absolute path, else
// $HOME/UNDER_HOME/morvex2; empty when neither does. A relative value is
// ignored, so that the folder never depends on where the game was started.
std::string UserFolder(const char* variable, const char* underHome);

// Like mkdir -p; the folders it makes are the player's alone (0700). False,
// with errno set, when the path cannot be a folder.
[[nodiscard]] bool MakeFolders(const std::string& path);

}  // namespace platform
