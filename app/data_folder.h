// The player's data folder: the tunes, the clap, the three high-score tables
// and the player's name, which the game reads from its working folder. Before
// the first screen the folder is found or made, filled in where something is
// missing, and made the working folder, whether the game was started from a
// menu, a terminal or anywhere else.
#pragma once

#include <string>
#include <vector>

// $XDG_DATA_HOME/morvex2, else ~/.local/share/morvex2; empty when neither
// variable gives an absolute path.
std::string DefaultDataFolder();

// The folder of the files installed with the game (share/morvex2 beside the
// executable's bin/), or the copy in a build tree; empty when there is none.
std::string InstalledDataFolder();

struct DataFolderSetup {
  std::string workingFolder;          // where the game runs; empty: where it was started
  std::vector<std::string> problems;  // one line each, for standard error
};

// Makes `folder`, installs what the game ships into it where it is missing
// (and updates a tune or clap only while it is still the game's own), creates
// the empty tables and the player's name only where none exists, and never
// touches a table or the name that is there. A folder that cannot be used is
// a problem, not an end: the game then runs from the installed files, whose
// tables it cannot write.
DataFolderSetup SetUpDataFolder(const std::string& folder, const std::string& installed);
