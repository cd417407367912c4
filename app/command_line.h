// The options the game takes when it is started by hand or from a menu. The
// game's rules read none of them: they say where its files live, how its
// window starts and which language its texts are in, and are dealt with
// before the first screen.
#pragma once

#include <optional>
#include <string>

#include "platform/base/language.h"

struct CommandLine {
  enum class Action { kPlay, kHelp, kVersion, kError };
  Action action = Action::kPlay;
  std::string dataDir;              // empty: the player's usual data folder
  std::optional<bool> fullscreen;   // unset: as the player left it
  std::optional<bool> pixelExact;   // --scale: unset: as the player left it
  bool mute = false;                // --mute: silent for this run; else as left
  bool colourAid = false;           // --colour-aid: marks for this run; else as left
  std::string replay;               // set: show this recorded game instead of playing
  std::optional<std::string> name;  // --name: the player's name to keep, as typed (UTF-8)
  std::optional<platform::Language> language;  // --lang: unset: as kept, else the desktop's
  std::optional<std::string> server;           // --server: the world tables' address; "" for none
  std::string error;                           // kError: what was wrong, in one line
};

CommandLine ParseCommandLine(int argc, char* const argv[]);

// The texts of --help and --version, each ending in a newline.
std::string UsageText();
std::string VersionText();
