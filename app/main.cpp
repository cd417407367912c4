// The process entry: reads the options, sets up the player's data folder and
// makes it the working folder, puts the game on the SDL2 host and hands over
// to WinMain, as the original's runtime did. The game itself reads no option.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/win_main.h"
#include "display/window_icon.h"
#include "platform/sdl_host.h"

namespace {

void Say(const std::string& line) {
  std::fprintf(stderr, "morvex2: %s\n", line.c_str());
}

// Problems with the folder are said and the game goes on: at worst it plays
// without saving its tables, as with a table it cannot open.
void EnterDataFolder(const std::string& chosen) {
  const DataFolderSetup setup =
      SetUpDataFolder(chosen.empty() ? DefaultDataFolder() : chosen, InstalledDataFolder());
  for (const std::string& problem : setup.problems) Say(problem);
  if (!setup.workingFolder.empty() && ::chdir(setup.workingFolder.c_str()) != 0) {
    Say("cannot enter '" + setup.workingFolder + "': " + std::strerror(errno));
  }
}

int Play(const CommandLine& options) {
  EnterDataFolder(options.dataDir);
  platform::SdlHost host;
  IconImage icon;
  if (LoadWindowIcon(&icon)) host.SetIcon(std::move(icon.argb), icon.width, icon.height);
  if (options.fullscreen.has_value()) host.StartInWindow(!*options.fullscreen);
  host.Install();
  // The module handle only has to be non-null and the same everywhere.
  static char module;
  const int exitCode = WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, nullptr, 1);
  host.Uninstall();
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine options = ParseCommandLine(argc, argv);
  switch (options.action) {
    case CommandLine::Action::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kError:
      Say(options.error);
      std::fputs(UsageText().c_str(), stderr);
      return 2;
    case CommandLine::Action::kPlay:
      break;
  }
  return Play(options);
}
