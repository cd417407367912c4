// The scripted games are what the server must accept: each plays back to the result it
// claims, through the same playback the server checks with, and survives its file format.
#include "tests/server/scripted_game.h"

#include <gtest/gtest.h>

#include <string>

#include "verify/replay_playback.h"

namespace {

TEST(ScriptedGameTest, EachLevelsGamePlaysBackAsItClaims) {
  for (const std::int32_t level : {0, 1, 2}) {
    for (const std::uint32_t seed : {0u, 1u, 0xdeadbeefu}) {
      const Replay replay = testworld::PlayScriptedGame(seed, level, 300'000);
      SCOPED_TRACE("level " + std::to_string(level) + " seed " + std::to_string(seed));
      EXPECT_EQ(replay.ending, ReplayEnding::kGameOver);
      EXPECT_NEAR(replay.messages.back().timeMs, 300'000, 20);
      const Replay quickest = testworld::PlayScriptedGame(seed, level, 0);
      EXPECT_EQ(quickest.score, replay.score);
      EXPECT_LT(quickest.messages.back().timeMs, 240'000u);
      Replay decoded;
      std::string error;
      ASSERT_TRUE(DecodeReplay(EncodeReplay(replay), &decoded, &error)) << error;
      const PlaybackResult played = PlayBackReplay(decoded);
      EXPECT_TRUE(Reproduces(decoded, played));
      // Its ticks come where the game's clock puts them.
      EXPECT_FALSE(played.early);
      EXPECT_EQ(played.latest.ms, 0);
    }
  }
}

TEST(ScriptedGameTest, AGameTakesTheLengthAskedFor) {
  for (const std::uint32_t length : {96'100u, 100'000u, 103'900u, 104'100u, 104'999u}) {
    const Replay replay = testworld::PlayScriptedGame(5, 1, length);
    EXPECT_NEAR(replay.messages.back().timeMs, length, 20) << length;
  }
}

TEST(ScriptedGameTest, ACappedGameIsLeft) {
  const Replay replay = testworld::PlayScriptedGame(7, 1, 800, 2);
  EXPECT_EQ(replay.ending, ReplayEnding::kLeft);
  EXPECT_TRUE(Reproduces(replay, PlayBackReplay(replay)));
}

}  // namespace
