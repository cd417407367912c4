// The bytes a recorded result leaves in a table are the same on every system
// the game is built for: a table copied between a Linux and a Windows machine
// reads back as the same ten rows. The expected file is committed; the Linux
// build writes it afresh with MORVEX2_UPDATE_GOLDEN=1.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/base/clock.h"
#include "platform/win32/host.h"
#include "ranking/score_table.h"
#include "tests/support/golden_update.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ScoreFileBytes, AreTheSameOnEverySystem) {
  const fs::path previous = fs::current_path();
  const fs::path folder = fs::temp_directory_path() / "morvex2-score-bytes";
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(MORVEX2_SOURCE_DIR "/data/tyuu.pod", folder / "tyuu.pod");
  std::ofstream(folder / "zel.ini", std::ios::binary).write("Taro", 4);
  fs::current_path(folder);
  // A date late in the day, so that a system whose clock read another zone
  // than the process's would show it in the day and the hour.
  platform::VirtualClock clock(0, 1796488723);
  platform::CallLog log;
  platform::InstallHost({.clock = &clock, .calls = &log});
  ASSERT_NE(RecordResult(1, 1200, 7), nullptr);
  clock.Advance(61000);
  ASSERT_NE(RecordResult(1, 34500, 12), nullptr);
  platform::UninstallHost();
  fs::current_path(previous);

  const Bytes written = ReadAll(folder / "tyuu.pod");
  const fs::path expected =
      fs::path(MORVEX2_SOURCE_DIR) / "tests/ranking/golden/tyuu_after_two_games.pod";
  if (testsupport::UpdatingGoldens())
    fs::copy_file(folder / "tyuu.pod", expected, fs::copy_options::overwrite_existing);
  ASSERT_EQ(written.size(), 590u);
  EXPECT_EQ(written, ReadAll(expected));
  fs::remove_all(folder);
}

}  // namespace
