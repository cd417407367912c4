// The name a player chooses on the command line (--name), made into the
// bytes the tables hold and written into the settings file before the game
// starts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ranking/player_name.h"

// The name as the tables hold it: `utf8` in Shift-JIS, cut to 16 bytes
// between two characters. Nothing, with one line in `error`, for an empty
// name, one with a control character, or one with a character the tables
// cannot hold.
[[nodiscard]] std::optional<PlayerName> PlayerNameFromUtf8(std::string_view utf8,
                                                           std::string* error);

// Puts `name` into the first 16 bytes of "zel.ini" in the current directory,
// NUL-filled, and keeps the rest of the file. The file is replaced whole or
// not at all; through a link, the file it leads to. False, with one line in
// `error`, when it cannot be written.
[[nodiscard]] bool WritePlayerName(const PlayerName& name, std::string* error);
