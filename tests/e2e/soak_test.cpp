// A bounded slice of the soak in every test run; MORVEX2_SOAK_GAMES and
// MORVEX2_SOAK_SEED make it as long and as varied as wanted, and
// MORVEX2_SOAK_RESTING=1 lets the clock jump between messages (the long runs
// are made that way, under the sanitizers).
#include "tests/e2e/soak.h"

#include <cstdlib>
#include <iostream>

#include "app/scene_switch.h"
#include "core/scene_switch.h"
#include "play/play_scene.h"
#include "tests/e2e/game_run.h"

namespace {

int FromEnvironment(const char* name, int fallback) {
  const char* text = std::getenv(name);
  return text != nullptr ? std::atoi(text) : fallback;
}

using SoakTest = GameRunTest;

TEST_F(SoakTest, WholeSessionsOfRandomPlayKeepEveryRule) {
  const int games = FromEnvironment("MORVEX2_SOAK_GAMES", 10);
  const auto seed = static_cast<std::uint32_t>(FromEnvironment("MORVEX2_SOAK_SEED", 1));
  const bool resting = FromEnvironment("MORVEX2_SOAK_RESTING", 0) != 0;
  const SoakFigures figures = RunSoak(folder_, games, seed, {}, resting);
  std::cout << "soak: " << figures.games << " games in " << figures.sessions << " sessions, "
            << figures.checks << " checks, " << figures.findings << " findings\n";
  EXPECT_GE(figures.games, games);
  EXPECT_EQ(figures.findings, 0);
  for (const std::string& finding : figures.firstFindings) ADD_FAILURE() << finding;
}

// A tick that wrote a kind the game does not know into the field, planted
// from outside in the middle of a game, is reported by the next check.
TEST_F(SoakTest, AnUnknownKindInTheFieldIsCaught) {
  bool planted = false, undone = false;
  const SoakFigures figures = RunSoak(folder_, 3, 7, [&](std::int64_t check) {
    if (planted && !undone) {
      g_playScene->At(3, 6).kind = 0;  // the game plays on with a sound field
      undone = true;
    }
    if (!planted && check > 500 && g_currentScene == g_playScene) {
      g_playScene->At(3, 6).kind = 1000;
      planted = true;
    }
  });
  ASSERT_TRUE(planted);
  ASSERT_EQ(figures.findings, 1);
  EXPECT_EQ(figures.firstFindings[0], "cell 3,6 holds kind 1000");
}

}  // namespace
