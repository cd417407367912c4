// The options the game takes when it is started by hand or from a menu. The
// game itself reads none of them: they say where its files live and how its
// window starts, and are dealt with before the first screen.
#pragma once

#include <optional>
#include <string>

struct CommandLine {
  enum class Action { kPlay, kHelp, kVersion, kError };
  Action action = Action::kPlay;
  std::string dataDir;             // empty: the player's usual data folder
  std::optional<bool> fullscreen;  // unset: as the player left it
  std::optional<bool> pixelExact;  // --scale: unset: as the player left it
  bool mute = false;               // --mute: silent for this run; else as the player left it
  bool colourAid = false;          // --colour-aid: marks for this run; else as left
  std::string replay;              // set: show this recorded game instead of playing
  std::string error;               // kError: what was wrong, in one line
};

CommandLine ParseCommandLine(int argc, char* const argv[]);

// The texts of --help and --version, each ending in a newline.
std::string UsageText();
std::string VersionText();
