#include "tests/e2e/game_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "app/win_main.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/headless_host.h"
#include "platform/png_file.h"
#include "platform/window_backend.h"
#include "play/play_scene.h"
#include "sound/kbgm.h"

namespace fs = std::filesystem;

namespace {

// What a new process starts with.
void ResetProgramState() {
  platform::ResetWindowSystem();
  g_hInstance = nullptr;
  g_hwnd = nullptr;
  g_appActive = 0;
  g_openingScene = nullptr;
  g_playScene = nullptr;
  g_rankingScene = nullptr;
  g_currentScene = nullptr;
  g_level = 0;
  g_lastScore = 0;
  g_lastRemovedCount = 0;
  g_openingMusic = 0;
  g_playMusic = 0;
  g_fieldSettled = 0;
  g_resolveBusy = 0;
}

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
                platform::HeadlessHost::Watcher watcher) {
  std::vector<platform::HostStep> steps;
  std::string error;
  GameRun run;
  if (!platform::ParseHostScript(script, &steps, &error)) {
    ADD_FAILURE() << error;
    return run;
  }
  ResetProgramState();
  platform::HeadlessHost host(std::move(steps), unixSeconds);
  host.SetWatcher(std::move(watcher));
  host.Install();
  {
    WorkingDirectory inFolder(folder);
    static char module;
    run.exitCode = WinMain(reinterpret_cast<HINSTANCE>(&module), nullptr, nullptr, 1);
  }
  host.Uninstall();
  run.calls = host.Calls().Calls();
  run.audio = host.Audio().Calls();
  run.failedCaptures = host.FailedCaptures();
  ResetProgramState();
  return run;
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
  const fs::path golden = fs::path(MORVEX2_SOURCE_DIR) / "tests/e2e/golden" / name;
  const auto actual = platform::ReadPng(captured.string());
  ASSERT_TRUE(actual.has_value()) << "no frame captured for " << name;
  const char* update = std::getenv("MORVEX2_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    fs::create_directories(golden.parent_path());
    fs::copy_file(captured, golden, fs::copy_options::overwrite_existing);
    return;
  }
  const auto expected = platform::ReadPng(golden.string());
  ASSERT_TRUE(expected.has_value()) << "missing golden " << golden;
  EXPECT_TRUE(*actual == *expected) << name << " differs from its golden; see " << captured;
}

void GameRunTest::SetUp() {
  folder_ = MakeWorkingFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
}

void GameRunTest::TearDown() {
  fs::remove_all(folder_);
}
