// DrawString and the Shift-JIS font.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "display/draw.h"
#include "display/screen.h"
#include "platform/ddraw.h"
#include "platform/font.h"
#include "platform/gdi.h"
#include "tests/support/golden.h"
#include "tests/support/test_display.h"

namespace {

using testsupport::TestDisplay;

constexpr std::uint16_t kBlue = 0x001F;
constexpr std::uint16_t kWhite = 0xFFFF;
constexpr std::uint16_t kBlack = 0x0000;

// 得点
constexpr char kScore[] = "\x93\xbe\x93_";
// ↑,Space : 回転
constexpr char kTurnHelp[] = "\x81\xaa,Space : \x89\xf1\x93]";

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.initialised());
    SDL_FillRect(const_cast<SDL_Surface*>(&TestDisplay::BackBuffer()), nullptr, kBlue);
  }
  // Pixels of the frame that are no longer blue.
  static int ChangedPixels() {
    int changed = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) changed += TestDisplay::PixelAt(x, y) != kBlue;
    }
    return changed;
  }
  TestDisplay display_;
};

TEST_F(TextTest, AStringFillsEightPixelsPerSingleByteAndSixteenPerDoubleByteCharacter) {
  struct Case {
    const char* text;
    int width;
  } const cases[] = {
      {"next", 32}, {"0", 8},         {"12345", 40},
      {kScore, 32}, {kTurnHelp, 120}, {"\x82", 0},  // a lead byte alone ends the text
      {"a\x82", 8}, {"\xa7\xb1", 16},               // half-width katakana are single-byte
  };
  for (const auto& c : cases) {
    SDL_FillRect(const_cast<SDL_Surface*>(&TestDisplay::BackBuffer()), nullptr, kBlue);
    DrawString(100, 50, c.text, 0x000000, 0xFFFFFF);
    EXPECT_EQ(TextWidth(c.text, static_cast<int>(std::strlen(c.text))), c.width) << c.text;
    // The whole cell is ink or paper, and nothing outside it changed.
    EXPECT_EQ(ChangedPixels(), c.width * 16) << c.text;
    for (int y = 50; y < 66; ++y) {
      for (int x = 100; x < 100 + c.width; ++x) {
        const std::uint16_t p = TestDisplay::PixelAt(x, y);
        ASSERT_TRUE(p == kWhite || p == kBlack) << c.text << " at " << x << ", " << y;
      }
    }
  }
}

TEST_F(TextTest, AnEmptyStringDrawsNothing) {
  DrawString(100, 50, "", 0x000000, 0xFFFFFF);
  EXPECT_EQ(ChangedPixels(), 0);
}

TEST_F(TextTest, JapaneseTextLooksAsTheFontDrawsIt) {
  DrawString(0, 0, kScore, 0x000000, 0xFFFFFF);
  DrawString(0, 20, kTurnHelp, 0x000000, 0xFFFFFF);
  EXPECT_TRUE(testsupport::MatchesGolden(
      TestDisplay::BackBuffer(), "tests/display/golden/score_label.png", SDL_Rect{0, 0, 32, 16}));
  EXPECT_TRUE(testsupport::MatchesGolden(
      TestDisplay::BackBuffer(), "tests/display/golden/turn_help.png", SDL_Rect{0, 20, 120, 16}));
}

TEST_F(TextTest, TextRunningOffTheScreenIsCropped) {
  // The title screen's help line runs 24 px past the right edge.
  DrawString(600, 470, "0123456789", 0x000000, 0xFFFFFF);
  DrawString(-12, -4, "0123", 0x000000, 0xFFFFFF);
  DrawString(INT_MAX - 4, 0, "0123", 0x000000, 0xFFFFFF);
  EXPECT_EQ(ChangedPixels(), 40 * 10 + 20 * 12);
}

TEST(Font, ArrowsSitInTheMiddleOfTheirSixteenPixelCell) {
  for (std::uint8_t trail : {0xA9, 0xAA, 0xAB, 0xA8}) {  // ← ↑ ↓ →
    const platform::font::Glyph glyph = platform::font::DoubleByte(0x81, trail);
    ASSERT_EQ(glyph.width, 16);
    std::uint16_t columns = 0;
    for (int row = 0; row < 16; ++row)
      columns |= glyph.rows[row * 2] << 8 | glyph.rows[row * 2 + 1];
    EXPECT_NE(columns, 0) << int(trail);
    EXPECT_EQ(columns & 0xF00F, 0) << int(trail);  // nothing in the outer 4 px
  }
}

TEST(Font, ACharacterWithoutAGlyphShowsABoxOfItsWidth) {
  const platform::font::Glyph unassigned = platform::font::DoubleByte(0x85, 0x40);
  const platform::font::Glyph badTrail = platform::font::DoubleByte(0x88, 0x20);
  const platform::font::Glyph control = platform::font::SingleByte(0x07);
  EXPECT_EQ(unassigned.width, 16);
  EXPECT_EQ(badTrail.rows, unassigned.rows);
  EXPECT_EQ(control.width, 8);
  EXPECT_NE(control.rows[5], 0);
  EXPECT_NE(unassigned.rows, platform::font::DoubleByte(0x88, 0x9F).rows);  // 亜 has its own
}

// The text ends at the lead byte: the byte after it is never read, which the
// sanitizer would see, since the buffer ends there.
TEST(Font, NothingIsReadPastALeadByteAtTheEnd) {
  auto* text = new char[2]{'A', '\x88'};
  EXPECT_EQ(TextWidth(text, 2), 8);
  delete[] text;
}

}  // namespace
