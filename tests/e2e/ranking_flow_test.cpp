// High scores as a player meets them: a game played to its end enters the
// table, the ranking screen shows it in red, and the keys of that screen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/game_run.h"
#include "tests/support/headless/png_files.h"

namespace fs = std::filesystem;

namespace {

// The plain text of record k's field that starts at `offset` with `width` bytes.
std::string StoredText(const std::string& file, int offset, int width, int k) {
  std::string text;
  for (int i = 0; i < width; ++i) {
    const char plain = static_cast<char>(file.at(offset + width * k + i) + 0x20);
    if (plain == '\0') break;
    text += plain;
  }
  return text;
}

// Rows of the ranking frame whose texts are drawn in pure red.
std::vector<int> RedRows(const formats::RgbImage& frame) {
  std::vector<int> rows;
  for (int row = 0; row < 10; ++row) {
    bool red = false;
    for (int y = 90 + 40 * row; y < 106 + 40 * row && !red; ++y) {
      for (int x = 60; x < 640 && !red; ++x) {
        const std::size_t at = (static_cast<std::size_t>(y) * 640 + x) * 3;
        red = frame.pixels[at] == 255 && frame.pixels[at + 1] == 0 && frame.pixels[at + 2] == 0;
      }
    }
    if (red) rows.push_back(row);
  }
  return rows;
}

// The advanced level, started and played by turning each piece upright and
// dropping it, until the stack reaches the top.
std::string PlayToGameOver() {
  return "wait 100\nkey DOWN\nwait 50\nkey RETURN\nwait 100\nkey RETURN\n" + DropUntilOver(150);
}

using RankingFlowRun = GameRunTest;

TEST_F(RankingFlowRun, AGameOverEntersTheTableAndShowsTheNewRowInRed) {
  const GameRun run = RunGame(folder_, PlayToGameOver() + Capture("ranking.png") + "key ESC\n");
  EXPECT_EQ(run.exitCode, 0) << "ESC on the ranking screen ends the program";

  std::vector<std::int64_t> result;
  for (const auto& call : run.calls) {
    if (call.name == "SetLastResult" && call.args != std::vector<std::int64_t>{0, 0}) {
      result = call.args;
    }
  }
  ASSERT_EQ(result.size(), 2u) << "the game did not end";
  ASSERT_GT(result[0], 0) << "a game without points enters no table";

  const std::string file = FileText(folder_ / "zyou.pod");
  ASSERT_EQ(file.size(), 590u);
  EXPECT_EQ(StoredText(file, 450, 9, 0), std::to_string(result[0]));
  EXPECT_EQ(StoredText(file, 540, 5, 0), std::to_string(result[1]));
  EXPECT_EQ(StoredText(file, 0, 16, 0), "PLAYER");
  EXPECT_EQ(StoredText(file, 450, 9, 1), "") << "only one entry";

  const auto frame = platform::ReadPngFile(Shot("ranking.png"));
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(RedRows(*frame), std::vector<int>{0});
  ExpectGoldenFrame(Shot("ranking.png"), "ranking_after_game.png");
}

TEST_F(RankingFlowRun, ReturnGoesToTheTitleWhereAnAutoRepeatedReturnStartsAGame) {
  const GameRun run = RunGame(folder_,
                              "wait 100\nkey F1\nwait 100\ndown RETURN\nwait 660\n"
                              "repeat RETURN\nwait 40\nup RETURN\nwait 100\nkey ESC\n"
                              "wait 100\nkey ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  // Title tune, stopped for the ranking, back for the title, then the game's.
  EXPECT_EQ(CallNames(run.calls, {"KBGMPlay", "KBGMStop"}),
            (std::vector<std::string>{"KBGMPlay", "KBGMStop", "KBGMPlay", "KBGMStop", "KBGMPlay",
                                      "KBGMStop", "KBGMPlay", "KBGMStop"}));
  std::vector<std::int64_t> periods;
  for (const auto& call : run.calls) {
    if (call.name == "SetTimer") periods.push_back(call.args.at(1));
  }
  EXPECT_EQ(periods, (std::vector<std::int64_t>{80, 80, 1000, 80}));
}

TEST_F(RankingFlowRun, F1RightAfterStartShowsTheMiddleTableWhicheverLineIsHighlighted) {
  // A middle table with one entry, so that the frame tells the tables apart.
  const std::string table = OneRowTable("MIDDLE", "777");
  std::ofstream(folder_ / "tyuu.pod", std::ios::binary) << table;

  const GameRun run = RunGame(
      folder_, "wait 100\nkey UP\nwait 50\nkey F1\nwait 100\n" + Capture("f1.png") + "key ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  ExpectGoldenFrame(Shot("f1.png"), "ranking_middle_from_title.png");
  const auto frame = platform::ReadPngFile(Shot("f1.png"));
  ASSERT_TRUE(frame.has_value());
  EXPECT_TRUE(RedRows(*frame).empty()) << "nothing entered from the title screen";
  EXPECT_EQ(FileText(folder_ / "tyuu.pod"), table) << "rewritten unchanged";
}

}  // namespace
