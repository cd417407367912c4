// Frames of the play screen drawn on test pictures and compared as images,
// and the right alignment of the counters measured on the frame.
#include <gtest/gtest.h>

#include <string>

#include "app/scene_switch.h"
#include "display/screen.h"
#include "play/play_scene.h"
#include "tests/support/golden.h"
#include "tests/support/test_display.h"

namespace {

using testsupport::FakeWindow;
using testsupport::MatchesGolden;
using testsupport::TestDisplay;

constexpr std::uint16_t kWhite565 = 0xFFFF;

class PlayFrameTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.initialised()); }
  void TearDown() override { SetLevel(1); }

  // A new game of `level` as ChangeScene leaves it: started, background loaded.
  void NewGame(int level) {
    SetLevel(level);
    scene_.Start(FakeWindow());
    scene_.LoadImages(FakeWindow(), g_backgroundSurface);
  }

  // Draws one frame and returns the frame that was shown.
  const SDL_Surface& Frame() {
    scene_.OnIdle(FakeWindow());
    const SDL_Surface* frame = display_.video().LastFrame();
    EXPECT_NE(frame, nullptr);
    return frame != nullptr ? *frame : TestDisplay::BackBuffer();
  }

  static std::string Golden(const std::string& name) {
    return "tests/play/golden/" + name + ".png";
  }

  // The left edge of the white box a counter is drawn on, found by walking
  // left from the box's last column along the box's top row.
  static int BoxLeft(const SDL_Surface& frame, int y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const std::uint8_t*>(frame.pixels) + y * frame.pitch);
    int x = 449;
    while (x > 0 && row[x - 1] == kWhite565) --x;
    return row[449] == kWhite565 && row[450] != kWhite565 ? x : -1;
  }

  TestDisplay display_;
  PlayScene scene_{0};
};

TEST_F(PlayFrameTest, ANewGameShowsTheKeyHelpInsteadOfTheField) {
  for (int level = 0; level < 3; ++level) {
    NewGame(level);
    // Cells on the field stay hidden while paused.
    scene_.At(0, 11).kind = -5;
    scene_.At(4, 6).kind = -2;
    EXPECT_TRUE(MatchesGolden(Frame(), Golden("paused_level" + std::to_string(level))));
  }
}

TEST_F(PlayFrameTest, ARunningGameShowsTheFieldBelowTheHiddenRow) {
  NewGame(0);
  scene_.OnKeyDown(FakeWindow(), VK_RETURN);
  scene_.OnTimer(FakeWindow());  // the first piece, in row 1
  const std::pair<CellPos, std::int32_t> cells[] =
      {
          {{0, 11}, -5},        {{1, 11}, -6}, {{2, 11}, kBurst}, {{3, 11}, -8},
          {{7, 11}, -1},        {{0, 10}, -1}, {{1, 10}, -4},     {{3, 10}, kFlask},
          {{4, 8}, 16 * 5 + 3},  // a blue pin flying up-right
          {{6, 9}, 16 * 1 + 2},  // a green pin flying up
          {{5, 0}, -3},          // the hidden row is never drawn
          {{6, 0}, 16 * 1 + 4},
      };
  for (const auto& [pos, kind] : cells) scene_.At(pos.column, pos.row).kind = kind;
  scene_.score = 160;
  scene_.removedCount = 3;
  EXPECT_TRUE(MatchesGolden(Frame(), Golden("running")));
}

TEST_F(PlayFrameTest, CountersEndAtTheSameColumnWhateverTheirLength) {
  struct Case {
    std::int32_t score;
    std::int32_t removedCount;
    int scoreX;
    int removedX;
    const char* golden;  // nullptr: measured only
  };
  const Case cases[] = {
      {0, 0, 442, 442, nullptr},
      {160, 12345, 426, 410, "counters"},
      {999999999, 7, 378, 442, nullptr},
      {-2147483647 - 1, 2147483647, 362, 370, nullptr},  // wider than any real count
  };
  NewGame(1);
  for (const Case& c : cases) {
    scene_.score = c.score;
    scene_.removedCount = c.removedCount;
    const SDL_Surface& frame = Frame();
    EXPECT_EQ(BoxLeft(frame, 130), c.scoreX) << c.score;
    EXPECT_EQ(BoxLeft(frame, 230), c.removedX) << c.removedCount;
    if (c.golden != nullptr) {
      EXPECT_TRUE(MatchesGolden(frame, Golden(c.golden)));
    }
  }
}

}  // namespace
