// Runs the whole program, WinMain and all, on the headless host: the way the
// end-to-end tests play the real game.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/base/language.h"
#include "tests/support/headless/headless_host.h"

struct GameRun {
  int exitCode = -1;
  std::vector<platform::RecordedCall> calls;  // timers, music, sounds, boxes, in order
  std::vector<platform::RecordedCall> audio;  // what the sound device was asked to do
  int failedCaptures = 0;
};

// A fresh working folder with the game's installed files (tunes, clap, empty
// score tables, a player name), as the start-up command sets it up.
std::filesystem::path MakeWorkingFolder(const std::string& name);

// Runs the program in `folder` on `script` (see tests/support/headless/headless_host.h) as a
// freshly started process would: every global back at its start value.
// `unixSeconds` is the wall-clock time the run starts at: it seeds the colours.
// `watcher`, when given, is called at every poll of the queue (HeadlessHost::SetWatcher).
// The game speaks `language` whatever the machine's locale: Japanese, its own,
// unless a test asks for English.
GameRun RunGame(const std::filesystem::path& folder, const std::string& script,
                std::int64_t unixSeconds = 1796488723, platform::HeadlessHost::Watcher watcher = {},
                platform::Language language = platform::Language::kJapanese);

// Starts the level that `levelKey` ("", "UP" beginner or "DOWN" advanced)
// picks on the title screen and takes the game out of its first pause.
std::string StartGame(const std::string& levelKey);
// Turns each of `pieces` pieces upright and drops it, till the stack reaches the top.
std::string DropUntilOver(int pieces);

// The file's bytes, or empty.
std::string FileText(const std::filesystem::path& path);
// A score file's 590 bytes whose first row holds `name` and `score`, the other rows empty.
std::string OneRowTable(const std::string& name, const std::string& score);

// Names of the calls, in order, keeping only those listed in `names`.
std::vector<std::string> CallNames(const std::vector<platform::RecordedCall>& calls,
                                   const std::vector<std::string>& names);

// The calls named `name`, in order.
std::vector<platform::RecordedCall> Named(const std::vector<platform::RecordedCall>& calls,
                                          const std::string& name);

// A captured frame against tests/e2e/golden/NAME (tests/support/golden.h).
void ExpectGoldenFrame(const std::filesystem::path& captured, const std::string& name);

// Each test plays in a working folder of its own, named after the test.
class GameRunTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string Shot(const std::string& name) const { return (folder_ / name).string(); }
  // The script line that saves the frame shown as Shot(name).
  std::string Capture(const std::string& name) const { return "capture " + Shot(name) + "\n"; }

  std::filesystem::path folder_;
};
