// Whole recorded games kept in tests/replays: each is played back on the
// headless host to its recorded result and final frame. They are made here,
// from scripted play, so that they can be made again:
//   MORVEX2_UPDATE_GOLDEN=1 e2e_tests --gtest_filter='CommittedReplay*'
// records them anew and rewrites the files and the final frames.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/e2e/replay_run.h"
#include "tests/support/golden_update.h"

namespace fs = std::filesystem;

namespace {

// Scripted play: the level picked on the title screen, then for each piece a
// few moves and turns chosen by a small generator, and a fast drop.
struct ScriptedGame {
  const char* name;
  const char* levelKey;   // "", "UP" (beginner) or "DOWN" (advanced)
  std::uint32_t choices;  // the generator's start
  int pieces;
  int spawnWaitMs;  // from one drop to the next piece's moves
  std::int64_t unixSeconds;
  bool escapeAtEnd;  // ESC after the last drop instead of playing on
  int escapeDelayMs;
};

std::string Script(const ScriptedGame& game) {
  std::string script = StartGame(game.levelKey);
  std::uint32_t state = game.choices;
  const auto next = [&state](std::uint32_t range) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % range;
  };
  for (int i = 0; i < game.pieces; ++i) {
    script += "wait " + std::to_string(game.spawnWaitMs) + "\n";
    const int turns = static_cast<int>(next(3));
    for (int t = 0; t < turns; ++t) script += "key UP\nwait 20\n";
    const int shift = static_cast<int>(next(7)) - 3;
    for (int s = 0; s < (shift < 0 ? -shift : shift); ++s) {
      script += shift < 0 ? "key LEFT\nwait 20\n" : "key RIGHT\nwait 20\n";
    }
    script += "down DOWN\nwait 300\nup DOWN\n";
  }
  if (game.escapeAtEnd) script += "wait " + std::to_string(game.escapeDelayMs) + "\nkey ESC\n";
  return script + "wait 1000\n";
}

constexpr ScriptedGame kGames[] = {
    // The advanced level, with a chain of 13 points in one clearing phase.
    {"advanced_chain", "DOWN", 7, 120, 600, 1796488723, false, 0},
    {"middle", "", 2, 120, 1100, 1796488723, false, 0},
    {"beginner", "UP", 4, 120, 2100, 1796488723, false, 0},
    // Left with ESC while the last piece's landing is still being cleared.
    {"escape_while_clearing", "", 8, 8, 1100, 1796488723, true, 0},
};

const fs::path kReplays = fs::path(MORVEX2_SOURCE_DIR) / "tests/replays";

std::string ResultLine(const Replay& replay) {
  return "level " + std::to_string(replay.level) + " score " + std::to_string(replay.score) +
         " removed " + std::to_string(replay.removedCount) +
         (replay.ending == ReplayEnding::kGameOver ? " game-over\n" : " left\n");
}

using CommittedReplay = GameRunTest;

TEST_F(CommittedReplay, IsMadeAgainByItsScript) {
  for (const ScriptedGame& game : kGames) {
    const Replay replay = RecordGame(folder_, Script(game), game.unixSeconds);
    const std::string bytes = FileText(folder_ / "last.mvr");
    const fs::path file = kReplays / (std::string(game.name) + ".mvr");
    if (testsupport::UpdatingGoldens()) {
      fs::create_directories(kReplays);
      std::ofstream(file, std::ios::binary) << bytes;
      std::ofstream(kReplays / (std::string(game.name) + ".result")) << ResultLine(replay);
      continue;
    }
    EXPECT_EQ(bytes, FileText(file)) << game.name << " is no longer recorded as committed";
  }
}

TEST_F(CommittedReplay, PlaysBackToItsResultAndFinalFrame) {
  for (const ScriptedGame& game : kGames) {
    SCOPED_TRACE(game.name);
    Replay replay;
    std::string error;
    ASSERT_TRUE(
        ReadReplayFile((kReplays / (std::string(game.name) + ".mvr")).string(), &replay, &error))
        << error;
    EXPECT_EQ(ResultLine(replay), FileText(kReplays / (std::string(game.name) + ".result")));
    const ReplayFacts facts = FollowReplay(replay);
    EXPECT_TRUE(facts.ended);
    EXPECT_EQ(facts.score, replay.score);
    EXPECT_EQ(facts.removedCount, replay.removedCount);

    const std::string shot = Shot(std::string(game.name) + ".png");
    const Playback playback = PlayBack(
        folder_, replay,
        "wait " + std::to_string(replay.messages.back().timeMs + 500) + "\ncapture " + shot + "\n");
    EXPECT_EQ(playback.outcome, ReplayPlayer::Outcome::kReproduced) << playback.said;
    ExpectGoldenFrame(shot, std::string("replay_") + game.name + ".png");
  }
}

TEST(CommittedReplays, CoverALongChainAndLeavingWhileClearing) {
  Replay chain;
  Replay escape;
  std::string error;
  ASSERT_TRUE(ReadReplayFile((kReplays / "advanced_chain.mvr").string(), &chain, &error)) << error;
  ASSERT_TRUE(ReadReplayFile((kReplays / "escape_while_clearing.mvr").string(), &escape, &error))
      << error;
  EXPECT_GE(FollowReplay(chain).maxChain, 10);
  EXPECT_TRUE(FollowReplay(escape).leftWhileClearing);
}

}  // namespace
