// The program as a player meets it: start-up on the title screen, the menu,
// starting and leaving a game, ending the program. Each test is a short
// script played through the headless host.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/game_run.h"

namespace fs = std::filesystem;

namespace {

using TitleScreenRun = GameRunTest;

TEST_F(TitleScreenRun, StartsOnTheTitleScreenWithTheMiddleLineRedAndTheTitleTune) {
  const GameRun run = RunGame(folder_, "wait 200\n" + Capture("start.png") + "key ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  ExpectGoldenFrame(Shot("start.png"), "title_start.png");
  // The title tune is the first loaded; it is the one that plays.
  ASSERT_GE(run.audio.size(), 4u);
  EXPECT_EQ(run.audio[0].name, "Open");
  EXPECT_EQ(run.audio[1], (platform::RecordedCall{"LoadTune", {1}, "music2.mid"}));
  EXPECT_EQ(run.audio[2], (platform::RecordedCall{"LoadTune", {2}, "music1.mid"}));
  EXPECT_EQ(run.audio[3], (platform::RecordedCall{"PlayTune", {1}, ""}));
}

TEST_F(TitleScreenRun, UpUpDownWalkTheMenuAndAHeldKeyMovesOnce) {
  const std::string script =
      "wait 100\nkey UP\nwait 100\n" + Capture("beginner.png") + "key UP\nwait 100\n" +
      Capture("advanced.png") + "key DOWN\nwait 100\n" + Capture("beginner-again.png") +
      "down DOWN\nwait 700\nrepeat DOWN\nwait 40\nrepeat DOWN\nwait 40\nup DOWN\nwait 100\n" +
      Capture("middle.png") + "key ESC\n";
  const GameRun run = RunGame(folder_, script);
  EXPECT_EQ(run.exitCode, 0);
  ExpectGoldenFrame(Shot("beginner.png"), "title_beginner.png");
  ExpectGoldenFrame(Shot("advanced.png"), "title_advanced.png");
  ExpectGoldenFrame(Shot("beginner-again.png"), "title_beginner_again.png");
  ExpectGoldenFrame(Shot("middle.png"), "title_middle_after_hold.png");
}

TEST_F(TitleScreenRun, ReturnStartsAPausedGameAtTheHighlightedLevelWithThePlayTune) {
  const GameRun run = RunGame(folder_, "wait 100\nkey UP\nwait 100\nkey RETURN\nwait 300\n" +
                                           Capture("game.png") + "key ESC\nwait 100\nkey ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  ExpectGoldenFrame(Shot("game.png"), "play_beginner_paused.png");
  // Title timer, then the beginner's 2000 ms falling timer.
  const auto timers = Named(run.calls, "SetTimer");
  ASSERT_GE(timers.size(), 2u);
  EXPECT_EQ(timers[0], (platform::RecordedCall{"SetTimer", {1, 80}, ""}));
  EXPECT_EQ(timers[1], (platform::RecordedCall{"SetTimer", {1, 2000}, ""}));
  // Title tune; the switch stops it and plays the game's; ESC stops that and
  // the title tune comes back.
  EXPECT_EQ(CallNames(run.calls, {"KBGMPlay", "KBGMStop"}),
            (std::vector<std::string>{"KBGMPlay", "KBGMStop", "KBGMPlay", "KBGMStop", "KBGMPlay",
                                      "KBGMStop"}));
  const auto plays = Named(run.calls, "KBGMPlay");
  ASSERT_EQ(plays.size(), 3u);
  EXPECT_EQ(plays[0].args, plays[2].args) << "back to the title tune";
  EXPECT_NE(plays[0].args, plays[1].args);
}

TEST_F(TitleScreenRun, EscapeEndsTheProgramAfterFreeingBothTunesAndClosingTheLibrary) {
  const GameRun run = RunGame(folder_, "wait 100\nkey ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> tail = {"KBGMStop", "KillTimer", "KBGMFree", "KBGMFree",
                                         "KBGMClose"};
  const auto names =
      CallNames(run.calls, {"KBGMStop", "KillTimer", "KBGMFree", "KBGMClose", "KBGMPlay"});
  ASSERT_GE(names.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(names.end() - 5, names.end()), tail);
  const auto frees = Named(run.calls, "KBGMFree");
  ASSERT_EQ(frees.size(), 2u);
  EXPECT_EQ(frees[0].args, (std::vector<std::int64_t>{1})) << "the title tune first";
  EXPECT_EQ(frees[1].args, (std::vector<std::int64_t>{2}));
}

TEST_F(TitleScreenRun, KeysWhileInTheBackgroundReachNoScreen) {
  const GameRun run =
      RunGame(folder_, "wait 100\nfocus 0\nkey RETURN\nkey ESC\nwait 500\nfocus 1\nwait 100\n" +
                           Capture("back.png") + "key ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(Named(run.calls, "KillTimer").size() == 1) << "only the last ESC acted";
  EXPECT_EQ(Named(run.calls, "KBGMPlay").size(), 1u) << "no game was started";
  EXPECT_EQ(run.failedCaptures, 0);
}

}  // namespace
