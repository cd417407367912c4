#include "tests/e2e/game_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/win_main.h"
#include "core/globals.h"
#include "core/language.h"
#include "core/scene_switch.h"
#include "platform/net/beside.h"
#include "tests/support/golden.h"
#include "tests/support/headless/headless_host.h"
#include "tests/support/program_state.h"

namespace fs = std::filesystem;

namespace {

class WorkingDirectory {
 public:
  explicit WorkingDirectory(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkingDirectory() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

}  // namespace

fs::path MakeWorkingFolder(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("morvex2-e2e-" + std::to_string(getpid()) + "-" + name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path data = fs::path(MORVEX2_SOURCE_DIR) / "data";
  for (const char* file :
       {"music1.mid", "music2.mid", "Clap.wav", "zyou.pod", "tyuu.pod", "syo.pod", "zel.ini"}) {
    if (fs::exists(data / file)) fs::copy_file(data / file, folder / file);
  }
  return folder;
}

GameRun RunGame(const fs::path& folder, const std::string& script, std::int64_t unixSeconds,
                platform::HeadlessHost::Watcher watcher, platform::Language language) {
  std::vector<platform::HostStep> steps;
  std::string error;
  GameRun run;
  if (!platform::ParseHostScript(script, &steps, &error)) {
    ADD_FAILURE() << error;
    return run;
  }
  ResetProgramState();
  SetLanguage(language);
  platform::HeadlessHost host(std::move(steps), unixSeconds);
  host.SetWatcher(std::move(watcher));
  host.Install();
  {
    WorkingDirectory inFolder(folder);
    static char module;
    run.exitCode = WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, nullptr, 1);
    // As the program does at its end: the kept results' file is written
    // before the folder is left.
    platform::net::StopWorkerThread();
  }
  host.Uninstall();
  run.calls = host.Calls().Calls();
  run.audio = host.Audio().Calls();
  run.failedCaptures = host.FailedCaptures();
  ResetProgramState();
  SetLanguage(platform::Language::kJapanese);
  return run;
}

std::string StartGame(const std::string& levelKey) {
  std::string script = "wait 300\n";
  if (!levelKey.empty()) script += "key " + levelKey + "\nwait 100\n";
  return script + "key RETURN\nwait 500\nkey RETURN\n";
}

std::string DropUntilOver(int pieces) {
  std::string script;
  for (int i = 0; i < pieces; ++i)
    script += "wait 30\nkey UP\nwait 30\ndown DOWN\nwait 400\nup DOWN\n";
  return script;
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Stored bytes are the plain ones less 0x20, so an empty field is 0xE0 throughout.
std::string OneRowTable(const std::string& name, const std::string& score) {
  std::string table(590, static_cast<char>(0xE0));
  for (std::size_t i = 0; i < name.size(); ++i) table[i] = static_cast<char>(name[i] - 0x20);
  for (std::size_t i = 0; i < score.size(); ++i)
    table[450 + i] = static_cast<char>(score[i] - 0x20);
  return table;
}

std::vector<std::string> CallNames(const std::vector<platform::RecordedCall>& calls,
                                   const std::vector<std::string>& names) {
  std::vector<std::string> kept;
  for (const auto& call : calls) {
    if (std::find(names.begin(), names.end(), call.name) != names.end()) {
      kept.push_back(call.name);
    }
  }
  return kept;
}

std::vector<platform::RecordedCall> Named(const std::vector<platform::RecordedCall>& calls,
                                          const std::string& name) {
  std::vector<platform::RecordedCall> kept;
  for (const auto& call : calls) {
    if (call.name == name) kept.push_back(call);
  }
  return kept;
}

void ExpectGoldenFrame(const fs::path& captured, const std::string& name) {
  EXPECT_TRUE(testsupport::MatchesGolden(captured, "tests/e2e/golden/" + name));
}

void GameRunTest::SetUp() {
  folder_ = MakeWorkingFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
}

void GameRunTest::TearDown() {
  fs::remove_all(folder_);
}
