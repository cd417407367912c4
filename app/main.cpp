// The process entry: reads the options, sets up the player's data folder and
// makes it the working folder, keeps a name given on the command line, puts
// the game on the SDL2 host and hands over to WinMain, as the original's
// runtime did. The game's rules read no option; the host keeps how the player
// left the screen, and the language chosen with --lang, in a settings file.
// The language is set before the first screen.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/data_folder.h"
#include "app/language_choice.h"
#include "app/replay_player.h"
#include "app/replay_recorder.h"
#include "app/win_main.h"
#include "app/world_games.h"
#include "core/language.h"
#include "core/replay_file.h"
#include "display/window_icon.h"
#include "platform/base/arguments.h"
#include "platform/base/console.h"
#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/net/network.h"
#include "platform/sdl/sdl_host.h"
#include "platform/settings/display_settings.h"
#include "ranking/name_setting.h"
#include "world/ranked_games.h"
#include "world/world_server.h"
#include "world/world_tables.h"

namespace {

void Say(const std::string& line) {
  platform::LogLine("morvex2: " + line);
}

// Where a player without a console finds what the game said.
constexpr char kLogFileName[] = "morvex2.log";

// Problems with the folder are said and the game goes on: at worst it plays
// without saving its tables, as with a table it cannot open. True when the
// game runs in the player's data folder.
bool EnterDataFolder(const std::string& chosen) {
  const std::string folder = chosen.empty() ? DefaultDataFolder() : chosen;
  const DataFolderSetup setup = SetUpDataFolder(folder, InstalledDataFolder());
  for (const std::string& problem : setup.problems) Say(problem);
  if (setup.workingFolder.empty()) return false;
  if (!platform::SetWorkingFolder(setup.workingFolder)) {
    platform::LogErrno("chdir('" + setup.workingFolder + "')", errno);
    return false;
  }
  if (setup.workingFolder != folder) return false;
  platform::LogToFile(folder + "/" + kLogFileName);
  return true;
}

// A replay shown from the folder it names is never where the game writes:
// playback runs from the installed files (tunes and clap) and sets up nothing.
void EnterInstalledFolder() {
  const std::string installed = InstalledDataFolder();
  if (!installed.empty() && !platform::SetWorkingFolder(installed)) {
    platform::LogErrno("chdir('" + installed + "')", errno);
  }
}

ReplayPlayer* g_replayPlayer = nullptr;

// Ranked games on the chosen server: the system's HTTP client for the run,
// and the results an earlier run could not send, sent again.
std::unique_ptr<platform::net::HttpClient> JoinWorldTables(const std::string& server) {
  const std::string url = ServerUrlFrom(server);
  if (url.empty()) {
    if (!server.empty()) Say("ignoring the kept world server '" + server + "': not an address");
    return nullptr;
  }
  std::unique_ptr<platform::net::HttpClient> client = platform::net::MakeSystemHttpClient();
  platform::net::InstallHttpClient(client.get());
  UseWorldServer(url);
  SetReplayWatcher(&WatchWorldReplay);
  ResendPendingResults();
  return client;
}

void LeaveWorldTables() {
  UseWorldServer({});
  platform::net::InstallHttpClient(nullptr);
}

int RunOnSdlHost(const CommandLine& options, bool ranked) {
  platform::SdlHost host;
  IconImage icon;
  if (LoadWindowIcon(&icon)) host.SetIcon(std::move(icon.argb), icon.width, icon.height);
  // How the player left the screen last time, kept again at the end; the
  // screen options choose for this run only, --lang for good.
  const platform::DisplaySettings saved = platform::LoadDisplaySettings();
  platform::DisplaySettings started = saved;
  SetLanguage(ChooseLanguage(options, &started, platform::EnvironmentLanguage()));
  if (options.fullscreen.has_value()) started.fullscreen = *options.fullscreen;
  if (options.pixelExact.has_value()) {
    started.scale =
        *options.pixelExact ? platform::ScaleMode::kPixelExact : platform::ScaleMode::kSmooth;
  }
  if (options.mute) started.aids.mute = true;
  if (options.colourAid) started.aids.colourAid = true;
  if (options.server) started.server = *options.server;
  host.UseDisplaySettings(started);
  std::unique_ptr<platform::net::HttpClient> network;
  if (ranked) network = JoinWorldTables(started.server);
  // The tunes' renderings are read where they were installed, never copied.
  host.UseShippedRenderings(InstalledDataFolder());
  host.Install();
  // The module handle only has to be non-null and the same everywhere.
  static char module;
  int exitCode = WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, nullptr, 1);
  // The game ends as it always did after its error message; the process
  // tells whoever started it that the run failed.
  if (host.FailureShown()) exitCode = 1;
  if (network) LeaveWorldTables();
  host.Uninstall();
  const platform::DisplaySettings kept =
      platform::DisplaySettingsToSave(saved, started, host.CurrentDisplaySettings());
  if (kept != saved) platform::SaveDisplaySettings(kept);
  return exitCode;
}

// A name given with --name is looked at before anything is set up and
// written into the data folder before the game starts. One that cannot be
// kept ends the run with its reason: status 2 for a name the tables cannot
// hold, 1 for one that could not be written.
int PlayGames(const CommandLine& options) {
  std::optional<PlayerName> name;
  std::string nameError;
  if (options.name) {
    name = PlayerNameFromUtf8(*options.name, &nameError);
    if (!name) {
      Say("--name: " + nameError);
      return 2;
    }
  }
  const bool inDataFolder = EnterDataFolder(options.dataDir);
  if (name) {
    nameError = "there is no data folder to keep it in";
    if (!inDataFolder || !WritePlayerName(*name, &nameError)) {
      Say("--name: " + nameError);
      return 1;
    }
  }
  // Every game is kept as last.mvr, and a new best one beside its table.
  SetReplayRecording(true);
  return RunOnSdlHost(options, true);
}

// Status 2 for a file that is not a replay this game can show, 1 for a game
// that did not come out as recorded.
int ShowReplay(const CommandLine& options) {
  Replay replay;
  std::string error;
  if (!ReadReplayFile(options.replay, &replay, &error)) {
    Say(error);
    return 2;
  }
  EnterInstalledFolder();
  ReplayPlayer player(std::move(replay));
  g_replayPlayer = &player;
  SetFirstScreen([] { g_replayPlayer->Begin(); });
  const int exitCode = RunOnSdlHost(options, false);
  return exitCode != 0 ? exitCode : player.ExitStatus();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words = platform::ProgramArguments(argc, argv);
  std::vector<char*> arguments;
  arguments.reserve(words.size());
  for (std::string& word : words) arguments.push_back(word.data());
  const CommandLine options =
      ParseCommandLine(static_cast<int>(arguments.size()), arguments.data());
  switch (options.action) {
    case CommandLine::Action::kHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kError:
      Say(options.error);
      platform::WriteConsoleLine(UsageText());
      return 2;
    case CommandLine::Action::kPlay:
      break;
  }
  return options.replay.empty() ? PlayGames(options) : ShowReplay(options);
}
