// The play screen with the colour aid on: each colour's pins and balloons
// carry their mark. The game is the same game; only the tile sheet differs.
#include "platform/base/colour_aid.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/game_run.h"

namespace {

class ColourAidRun : public GameRunTest {
 protected:
  void TearDown() override {
    platform::SetColourAid(false);
    GameRunTest::TearDown();
  }
};

// Pieces dropped flat and spread over the field, then a frame with the
// field well filled, and the preview beside it.
TEST_F(ColourAidRun, MarksEveryColourOnTheField) {
  platform::SetColourAid(true);
  std::string script = StartGame("");
  const char* const moves[] = {"LEFT\nkey LEFT\nkey LEFT", "RIGHT\nkey RIGHT", "LEFT",
                               "RIGHT\nkey RIGHT\nkey RIGHT", ""};
  for (int i = 0; i < 14; ++i) {
    script += "wait 60\n";
    if (moves[i % 5][0] != '\0') script += std::string("key ") + moves[i % 5] + "\n";
    script += "wait 30\ndown DOWN\nwait 1200\nup DOWN\n";
  }
  const GameRun run =
      RunGame(folder_, script + Capture("aid.png") + "key ESC\nwait 100\nkey ESC\n");
  EXPECT_EQ(run.exitCode, 0);
  ExpectGoldenFrame(Shot("aid.png"), "play_middle_colour_aid.png");
}

}  // namespace
