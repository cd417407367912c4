// Frames of the play screen drawn on test pictures and compared as images,
// and the counters' right alignment measured on the frame.
#include <gtest/gtest.h>

#include <string>

#include "core/scene_switch.h"
#include "display/screen.h"
#include "play/play_scene.h"
#include "tests/support/golden.h"
#include "tests/support/test_display.h"

namespace {

using testsupport::FakeWindow;
using testsupport::MatchesGolden;

class PlayFrameTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.initialised()); }
  void TearDown() override { SetLevel(1); }
  void NewGame(int level) {
    SetLevel(level);
    scene_.Start(FakeWindow());
    scene_.LoadImages(FakeWindow(), g_backgroundSurface);
  }
  const platform::PixelBuffer& Frame() {
    scene_.OnIdle(FakeWindow());
    return *display_.video().LastFrame();
  }
  // Where the white box of a counter on row `y` starts; it must end at x = 450.
  static int BoxLeft(const platform::PixelBuffer& frame, int y) {
    const std::uint16_t* row = frame.Row(y);
    int x = 450;
    while (x > 0 && row[x - 1] == 0xFFFF) --x;
    return row[450] != 0xFFFF ? x : -1;
  }

  testsupport::TestDisplay display_;
  PlayScene scene_{0};
};

TEST_F(PlayFrameTest, APausedGameShowsTheKeyHelpInsteadOfTheField) {
  for (int level = 0; level < 3; ++level) {
    NewGame(level);
    scene_.At(4, 6).kind = -2;  // hidden while paused
    EXPECT_TRUE(
        MatchesGolden(Frame(), "tests/play/golden/paused_level" + std::to_string(level) + ".png"));
  }
}

TEST_F(PlayFrameTest, ARunningGameShowsRowsOneToEleven) {
  NewGame(0);
  scene_.OnKeyDown(FakeWindow(), VK_RETURN);
  scene_.OnTimer(FakeWindow());  // the first piece, in row 1
  const std::int32_t row10[8] = {-1, -4, 0, kFlask, 0, 0, 0, 0};
  const std::int32_t row11[8] = {-5, -6, kBurst, -8, 0, 0, 0, -1};
  for (int column = 0; column < 8; ++column) {
    scene_.At(column, 10).kind = row10[column];
    scene_.At(column, 11).kind = row11[column];
  }
  scene_.At(4, 8).kind = 16 * 5 + 3;  // a blue pin flying up-right
  scene_.At(6, 9).kind = 16 * 1 + 2;  // a green pin flying up
  scene_.At(5, 0).kind = -3;          // row 0 is hidden above the field
  scene_.score = 160;
  scene_.removedCount = 3;
  EXPECT_TRUE(MatchesGolden(Frame(), "tests/play/golden/running.png"));
}

TEST_F(PlayFrameTest, CountersEndAtTheSameColumnWhateverTheirLength) {
  struct Case {
    std::int32_t score, removedCount;
    int scoreX, removedX;
  };
  NewGame(1);
  for (const Case c : {Case{0, 0, 442, 442},
                       {160, 12345, 426, 410},
                       {999999999, 7, 378, 442},
                       {INT32_MIN, INT32_MAX, 362, 370}}) {
    scene_.score = c.score;
    scene_.removedCount = c.removedCount;
    const platform::PixelBuffer& frame = Frame();
    EXPECT_EQ(BoxLeft(frame, 130), c.scoreX) << c.score;
    EXPECT_EQ(BoxLeft(frame, 230), c.removedX) << c.removedCount;
    if (c.removedCount == 12345) {
      EXPECT_TRUE(MatchesGolden(frame, "tests/play/golden/counters.png"));
    }
  }
}

}  // namespace
