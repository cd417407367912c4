// How the player left the screen: full screen or a window, the window's size
// and the scaling mode, kept in a small text file under the user's settings
// folder ($XDG_CONFIG_HOME/morvex2/display.conf, else ~/.config/morvex2/) and
// given back at the next start:
//
//   fullscreen = yes
//   window = 1280x960
//   scale = smooth
//   lang = en
//   server = https://tables.example.org
//
// The language is there only once the player has chosen one with --lang;
// until then the desktop's locale decides at each start. The world-table
// server is there once the player has chosen one with --server (and gone
// again with --server none). The player's aids
// (mute, volume, colour aid) are kept there too (player_aid_settings.h).
//
// The file is written whole or not at all (a new file beside it, renamed over
// it). One that cannot be read as such a file, whole, is ignored with one line
// on standard error, and the game starts as it would without one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/base/language.h"
#include "platform/settings/player_aid_settings.h"
#include "platform/settings/scale_mode.h"

namespace platform {

struct DisplaySettings {
  bool fullscreen = true;
  int windowWidth = 0;  // 0 x 0: the game's default window
  int windowHeight = 0;
  ScaleMode scale = ScaleMode::kSmooth;
  std::optional<Language> language = std::nullopt;  // unset: the desktop's
  PlayerAids aids;
  std::string server;  // the world-table server's address; empty: none
  bool operator==(const DisplaySettings&) const = default;
};

// The file's text and back; nullopt for text that is not a whole, sound file.
std::string FormatDisplaySettings(const DisplaySettings& settings);
[[nodiscard]] std::optional<DisplaySettings> ParseDisplaySettings(std::string_view text);

// The file's path; empty when neither $XDG_CONFIG_HOME nor $HOME gives a folder.
std::string DisplaySettingsPath();

// The settings in the file; the defaults when there is none, or (with one
// line on standard error) when it is damaged.
DisplaySettings LoadDisplaySettings(const std::string& path = DisplaySettingsPath());
// Writes the file, making its folder if need be. False, with one line on
// standard error, when it could not be written; the old file is then intact.
bool SaveDisplaySettings(const DisplaySettings& settings,
                         const std::string& path = DisplaySettingsPath());

// What to keep at the end of a run that started from `saved` (the file) and
// `started` (the file with the command line's choices for this run): what the
// player changed during the run, and for the rest the file's own values, so
// that a screen choice made on the command line lasts for that run only. The
// language and the server are the exceptions: those the run started with are
// kept, so that a --lang or --server choice is the player's from then on.
DisplaySettings DisplaySettingsToSave(const DisplaySettings& saved, const DisplaySettings& started,
                                      const DisplaySettings& atEnd);

}  // namespace platform
