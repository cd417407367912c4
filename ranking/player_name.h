// The player's name for a new entry, from the settings file "zel.ini".
#pragma once

#include <array>
#include <cstddef>
#include <optional>

// The settings file, in the current directory.
inline constexpr char kSettingsFileName[] = "zel.ini";

struct PlayerName {
  std::array<char, 16> bytes;  // as the file holds them, not in stored form
  std::size_t length;          // how many the file had, at most 16
};

// The first 16 bytes of "zel.ini" in the current directory; nullopt when the
// file is missing or cannot be read. The game only ever reads the file; a
// name chosen on the command line is written before it starts
// (ranking/name_setting.h).
[[nodiscard]] std::optional<PlayerName> ReadPlayerName();
