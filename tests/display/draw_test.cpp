// The four drawing operations on test pictures: every tile of the test sheet
// is a solid square 4 px inside the sheet's background. Text is Shift-JIS.
#include "display/draw.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "core/cell.h"
#include "core/globals.h"
#include "display/bitmap_loader.h"
#include "display/screen.h"
#include "display/tile_table.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/font.h"
#include "platform/win32/gdi.h"
#include "platform/win32/surface_pixels.h"
#include "tests/support/golden.h"
#include "tests/support/test_display.h"

namespace {

using testsupport::FakeWindow;
using testsupport::PixelAt;
using testsupport::TestDisplay;

constexpr std::uint16_t kBlue = 0x001F;

// 得点
constexpr char kScore[] = "\x93\xbe\x93_";
// ↑,Space : 回転
constexpr char kTurnHelp[] = "\x81\xaa,Space : \x89\xf1\x93]";

void Tile(std::int32_t kind, std::int32_t x, std::int32_t y) {
  DrawTile(FakeWindow(), Cell{kind, 0, 0, 0, 0, x, y});
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.initialised());
    ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BFUNE"));
    DrawBackground(FakeWindow());
  }
  // Whether the part on the screen of the square at (x, y) shows the sheet's
  // tile (column, row), its background leaving the frame's background.
  static ::testing::AssertionResult ShowsTile(int x, int y, int column, int row) {
    for (int dy = std::max(0, -y); dy < 40 && y + dy < 480; ++dy) {
      for (int dx = 0; dx < 40; ++dx) {
        const std::uint16_t sheet = PixelAt(column * 40 + dx, row * 40 + dy, g_spriteSurface);
        const std::uint16_t want =
            sheet != 0 ? sheet : PixelAt(x + dx, y + dy, g_backgroundSurface);
        if (PixelAt(x + dx, y + dy) != want) {
          return ::testing::AssertionFailure() << "differs at (" << x + dx << ", " << y + dy << ")";
        }
      }
    }
    return ::testing::AssertionSuccess();
  }
  // The frame all blue, and how many of its pixels are no longer blue.
  static void Clear() { platform::SurfacePixels::Of(*g_backBuffer).Fill(kBlue); }
  static int ChangedPixels() {
    int changed = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) changed += PixelAt(x, y) != kBlue;
    }
    return changed;
  }
  TestDisplay display_;
};

TEST_F(DrawTest, EachKindDrawsItsTileOverTheBackground) {
  const struct {
    std::int32_t kind;
    int column, row;
  } cases[] = {
      {1, 0, 0},  {2, 1, 0},                           // flask, burst
      {-1, 0, 1}, {-2, 1, 1}, {-3, 2, 1}, {-4, 3, 1},  // resting pins
      {-5, 0, 9}, {-6, 1, 9}, {-7, 2, 9}, {-8, 3, 9},  // balloons
      {17, 0, 2}, {20, 3, 2}, {33, 0, 3}, {52, 3, 4},  // flying pins
      {65, 0, 5}, {84, 3, 6}, {99, 2, 7}, {113, 0, 8}, {116, 3, 8},
  };
  for (const auto& c : cases) {
    DrawBackground(FakeWindow());
    Tile(c.kind, 100, 60);
    EXPECT_TRUE(ShowsTile(100, 60, c.column, c.row)) << "kind " << c.kind;
  }
  Tile(-5, 200, -20);  // only its lower half is on the screen
  EXPECT_TRUE(ShowsTile(200, -20, 0, 9));
}

TEST_F(DrawTest, KindsWithoutATileAndTilesOffTheScreenDrawNothing) {
  const formats::RgbImage before = TestDisplay::Frame();
  for (std::int32_t kind : {0, 3, 9, 15, 16, 21, 32, 37, 48, 112, 117, -9, -17, INT_MIN, INT_MAX}) {
    Tile(kind, 100, 60);
    EXPECT_EQ(TestDisplay::Frame(), before) << "kind " << kind;
  }
  for (auto [x, y] : {std::pair{0, -40},
                      {0, 480},
                      {-40, 0},
                      {640, 0},
                      {INT_MIN, INT_MIN},
                      {INT_MAX, INT_MAX},
                      {INT_MAX - 39, 0}}) {
    Tile(-5, x, y);
    EXPECT_EQ(TestDisplay::Frame(), before) << x << ", " << y;
  }
}

TEST_F(DrawTest, WhileInactiveOnlyTextIsDrawn) {
  const formats::RgbImage before = TestDisplay::Frame();
  const int frames = display_.video().FramesPresented();
  g_appActive = 0;
  platform::SurfacePixels::Of(*g_backgroundSurface).Fill(0x1234);
  DrawBackground(FakeWindow());
  Tile(1, 0, 0);
  FlipScreen(FakeWindow());
  EXPECT_EQ(TestDisplay::Frame(), before);
  EXPECT_EQ(display_.video().FramesPresented(), frames);
  DrawString(0, 0, "0", 0x000000, 0xFFFFFF);
  EXPECT_NE(TestDisplay::Frame(), before);
  g_appActive = 1;
}

// The original asks again and again while a blit fails; a failure that never
// passes must not hang the game.
TEST_F(DrawTest, ABlitThatKeepsFailingIsGivenUp) {
  IDirectDrawSurface* wrongSize = nullptr;
  DDSURFACEDESC desc{sizeof(DDSURFACEDESC),   DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 8, 8, 0,
                     {DDSCAPS_OFFSCREENPLAIN}};
  ASSERT_EQ(g_directDraw->CreateSurface(&desc, &wrongSize, nullptr), DD_OK);
  std::swap(wrongSize, g_backgroundSurface);
  Clear();
  DrawBackground(FakeWindow());  // returns rather than ask for ever
  EXPECT_EQ(ChangedPixels(), 0) << "a blit that cannot be made draws nothing";
  std::swap(wrongSize, g_backgroundSurface);
  wrongSize->Release();
}

TEST_F(DrawTest, AStringFillsEightPixelsPerSingleByteAndSixteenPerDoubleByteCharacter) {
  const std::pair<const char*, int> cases[] = {
      {"next", 32},     {"0", 8},         {"", 0},
      {kScore, 32},     {kTurnHelp, 120}, {"\x82", 0},  // a lead byte alone ends the text
      {"a\x82", 8},                                     // and so does one at the end
      {"\xa7\xb1", 16},                                 // half-width katakana are single-byte
  };
  for (const auto& [text, width] : cases) {
    Clear();
    DrawString(100, 50, text, 0x000000, 0xFFFFFF);
    EXPECT_EQ(TextWidth(text, static_cast<int>(std::strlen(text))), width) << text;
    EXPECT_EQ(ChangedPixels(), width * 16) << text;  // the whole cell and nothing else
  }
}

TEST_F(DrawTest, JapaneseTextLooksAsTheFontDrawsIt) {
  DrawString(0, 0, kScore, 0x000000, 0xFFFFFF);
  DrawString(0, 20, kTurnHelp, 0x000000, 0xFFFFFF);
  EXPECT_TRUE(testsupport::MatchesGolden(TestDisplay::BackBuffer(),
                                         "tests/display/golden/score_label.png", {0, 0, 32, 16}));
  EXPECT_TRUE(testsupport::MatchesGolden(TestDisplay::BackBuffer(),
                                         "tests/display/golden/turn_help.png", {0, 20, 120, 36}));
}

TEST_F(DrawTest, TextRunningOffTheScreenIsCropped) {
  Clear();  // the title screen's help line runs 24 px past the right edge
  DrawString(600, 470, "0123456789", 0x000000, 0xFFFFFF);
  DrawString(-12, -4, "0123", 0x000000, 0xFFFFFF);
  DrawString(INT_MAX - 4, 0, "0123", 0x000000, 0xFFFFFF);
  EXPECT_EQ(ChangedPixels(), 40 * 10 + 20 * 12);
}

// A text cut by an edge shows exactly the part of the whole text that is on
// the screen, for every offset within a character, single- and double-byte.
TEST_F(DrawTest, ACroppedTextIsTheWholeTextCut) {
  // 8 + 8 + 16 + 8 px: a double-byte character between single-byte ones.
  constexpr char kMixed[] =
      "A\x81\xaa"
      "B";
  constexpr int kWidth = 32;
  Clear();
  DrawString(100, 100, kMixed, 0x000000, 0xFFFFFF);
  std::vector<std::uint16_t> whole;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < kWidth; ++x) whole.push_back(PixelAt(100 + x, 100 + y));
  }
  struct Place {
    int x0, x1, y;  // every x from x0 to x1
  };
  const Place places[] = {
      {640 - kWidth + 1, 639, 200},  // off the right edge
      {-kWidth + 1, -1, 200},        // off the left edge
      {-9, -9, -5},                  // and the top
      {620, 620, 470},               // the bottom right corner
  };
  for (const Place& place : places) {
    for (int x = place.x0; x <= place.x1; ++x) {
      Clear();
      DrawString(x, place.y, kMixed, 0x000000, 0xFFFFFF);
      int shown = 0;
      for (int dy = 0; dy < 16; ++dy) {
        for (int dx = 0; dx < kWidth; ++dx) {
          const int px = x + dx;
          const int py = place.y + dy;
          if (px < 0 || px >= 640 || py < 0 || py >= 480) continue;
          ++shown;
          ASSERT_EQ(PixelAt(px, py), whole[dy * kWidth + dx])
              << "text at " << x << ", pixel " << dx << ", " << dy;
        }
      }
      EXPECT_EQ(ChangedPixels(), shown) << "text at " << x;
    }
  }
}

TEST(Font, ACharacterWithoutAGlyphShowsABoxOfItsWidth) {
  using platform::font::DoubleByte;
  EXPECT_EQ(DoubleByte(0x85, 0x40).width, 16);
  EXPECT_EQ(DoubleByte(0x88, 0x20).rows, DoubleByte(0x85, 0x40).rows);  // a bad trail byte
  EXPECT_NE(DoubleByte(0x88, 0x9F).rows, DoubleByte(0x85, 0x40).rows);  // 亜 has its own
  EXPECT_NE(platform::font::SingleByte(0x07).rows[5], 0);
}

// The text ends at the lead byte: the byte after it is never read, which the
// sanitizer would see, since the buffer ends there.
TEST(Font, NothingIsReadPastALeadByteAtTheEnd) {
  auto* text = new char[2]{'A', '\x88'};
  EXPECT_EQ(TextWidth(text, 2), 8);
  delete[] text;
}

}  // namespace

// Texts are kept as the pixels they draw, a few at a time: drawn again after
// others have pushed them out, in other colours, or one byte different, each
// is exactly what it was the first time, and a text too wide to keep is the
// same as its pieces.
TEST_F(DrawTest, TextsDrawnAgainAreWhatTheyWereTheFirstTime) {
  const struct {
    const char* text;
    COLORREF ink;
  } texts[] = {
      {"next", 0x000000},  {"next", 0x0000FF},    {"nexu", 0x000000},      {kScore, 0x000000},
      {kScore, 0xFF00FF},  {kTurnHelp, 0x00FF00}, {"0", 0x000000},         {"1", 0x000000},
      {"12345", 0x000000}, {"12346", 0x000000},   {"A\x81\xaa", 0x123456}, {"\xa7\xb1", 0x000000},
  };
  auto region = [](int y) {
    std::vector<std::uint16_t> pixels;
    for (int dy = 0; dy < 16; ++dy) {
      for (int x = 0; x < 160; ++x) pixels.push_back(PixelAt(x, y + dy));
    }
    return pixels;
  };
  std::vector<std::vector<std::uint16_t>> first;
  for (int round = 0; round < 3; ++round) {
    for (std::size_t i = 0; i < std::size(texts); ++i) {
      Clear();
      DrawString(8, 100, texts[i].text, texts[i].ink, 0xFFFFFF);
      if (round == 0) {
        first.push_back(region(100));
      } else {
        EXPECT_EQ(region(100), first[i]) << "round " << round << ", text " << i;
      }
    }
  }
  EXPECT_NE(first[0], first[1]) << "another ink";
  EXPECT_NE(first[0], first[2]) << "another byte";

  std::string wide;
  for (int i = 0; i < 100; ++i) wide += static_cast<char>('0' + i % 10);  // 800 px
  Clear();
  for (int piece = 0; piece < 10; ++piece) {
    DrawString(-80 + piece * 80, 300, wide.substr(0, 10).c_str(), 0x000000, 0xFFFFFF);
  }
  const std::vector<std::uint16_t> pieces = region(300);
  Clear();
  DrawString(-80, 300, wide.c_str(), 0x000000, 0xFFFFFF);
  EXPECT_EQ(region(300), pieces);
  EXPECT_EQ(ChangedPixels(), 640 * 16);
}
