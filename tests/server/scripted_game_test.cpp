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
      const Replay replay = testworld::PlayScriptedGame(seed, level, 1500);
      SCOPED_TRACE("level " + std::to_string(level) + " seed " + std::to_string(seed));
      EXPECT_EQ(replay.ending, ReplayEnding::kGameOver);
      EXPECT_EQ(replay.messages.back().timeMs, 1500u);
      Replay decoded;
      std::string error;
      ASSERT_TRUE(DecodeReplay(EncodeReplay(replay), &decoded, &error)) << error;
      EXPECT_TRUE(Reproduces(decoded, PlayBackReplay(decoded)));
    }
  }
}

TEST(ScriptedGameTest, ACappedGameIsLeft) {
  const Replay replay = testworld::PlayScriptedGame(7, 1, 800, 2);
  EXPECT_EQ(replay.ending, ReplayEnding::kLeft);
  EXPECT_TRUE(Reproduces(replay, PlayBackReplay(replay)));
}

}  // namespace
