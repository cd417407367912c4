// DrawBackground, DrawTile and FlipScreen on a display made of test pictures.
#include "display/draw.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/globals.h"
#include "display/bitmap_loader.h"
#include "display/screen.h"
#include "display/tile_table.h"
#include "platform/ddraw.h"
#include "platform/offscreen_video.h"
#include "play/cell.h"
#include "tests/support/test_display.h"
#include "tests/support/test_pictures.h"

namespace {

using testsupport::FakeWindow;
using testsupport::TestDisplay;

Cell CellAt(std::int32_t kind, std::int32_t x, std::int32_t y) {
  return Cell{kind, 0, 0, 0, 0, x, y};
}

std::uint16_t SurfacePixel(IDirectDrawSurface* surface, int x, int y) {
  const SDL_Surface* p = surface->Pixels();
  return reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(p->pixels) +
                                                y * p->pitch)[x];
}

platform::RgbImage Frame() {
  return platform::RgbFromRgb565(TestDisplay::BackBuffer(), {0, 0, 640, 480});
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.initialised());
    ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BFUNE"));
    DrawBackground(FakeWindow());
  }
  // Whether the 40 x 40 square at (x, y) shows tile `tile` over the background.
  ::testing::AssertionResult ShowsTile(int x, int y, std::optional<TilePos> tile) {
    for (int dy = 0; dy < 40; ++dy) {
      for (int dx = 0; dx < 40; ++dx) {
        std::uint16_t expected = SurfacePixel(g_backgroundSurface, x + dx, y + dy);
        if (tile) {
          const std::uint16_t sheet =
              SurfacePixel(g_spriteSurface, tile->column * 40 + dx, tile->row * 40 + dy);
          if (sheet != 0) expected = sheet;
        }
        if (TestDisplay::PixelAt(x + dx, y + dy) != expected) {
          return ::testing::AssertionFailure() << "differs at (" << x + dx << ", " << y + dy << ")";
        }
      }
    }
    return ::testing::AssertionSuccess();
  }
  TestDisplay display_;
};

TEST_F(DrawTest, EachKindDrawsItsTileAndTheSheetsBackgroundStaysOff) {
  for (std::int32_t kind : {1, 2, -1, -2, -3, -4, -5, -6, -7, -8, 17, 36, 50, 67, 81, 98, 116}) {
    DrawBackground(FakeWindow());
    DrawTile(FakeWindow(), CellAt(kind, 100, 60));
    EXPECT_TRUE(ShowsTile(100, 60, TileOfKind(kind))) << "kind " << kind;
    // The sheet's background (the tile's 4 px border) left the frame as it was.
    EXPECT_EQ(TestDisplay::PixelAt(101, 61), SurfacePixel(g_backgroundSurface, 101, 61)) << kind;
  }
}

TEST_F(DrawTest, KindsWithoutATileDrawNothing) {
  const platform::RgbImage before = Frame();
  for (std::int32_t kind : {0, 3, 9, 15, 16, 21, 32, -9, 117, INT_MIN}) {
    DrawTile(FakeWindow(), CellAt(kind, 100, 60));
    EXPECT_EQ(Frame(), before) << "kind " << kind;
  }
}

TEST_F(DrawTest, TilesPartlyOffTheScreenAreCroppedAndWhollyOffDrawNothing) {
  DrawTile(FakeWindow(), CellAt(-5, 200, -20));
  // The lower half of the balloon's tile is in the top 20 rows.
  for (int y = 0; y < 20; ++y) {
    for (int x = 200; x < 240; ++x) {
      const std::uint16_t sheet = SurfacePixel(g_spriteSurface, x - 200, 360 + 20 + y);
      if (sheet != 0) {
        ASSERT_EQ(TestDisplay::PixelAt(x, y), sheet) << x << ", " << y;
      }
    }
  }
  DrawBackground(FakeWindow());
  const platform::RgbImage before = Frame();
  for (auto [x, y] : {std::pair{0, -40},
                      {0, 480},
                      {-40, 0},
                      {640, 0},
                      {INT_MIN, INT_MIN},
                      {INT_MAX, INT_MAX},
                      {INT_MAX - 39, 0}}) {
    DrawTile(FakeWindow(), CellAt(-5, x, y));
    EXPECT_EQ(Frame(), before) << x << ", " << y;
  }
}

TEST_F(DrawTest, WhileInactiveOnlyTextIsDrawn) {
  const platform::RgbImage before = Frame();
  const int frames = display_.video().FramesPresented();
  g_appActive = 0;
  SDL_FillRect(g_backgroundSurface->Pixels(), nullptr, 0x1234);
  DrawBackground(FakeWindow());
  DrawTile(FakeWindow(), CellAt(1, 0, 0));
  FlipScreen(FakeWindow());
  EXPECT_EQ(Frame(), before);
  EXPECT_EQ(display_.video().FramesPresented(), frames);
  DrawString(0, 0, "0", 0x000000, 0xFFFFFF);
  EXPECT_NE(Frame(), before);
  g_appActive = 1;
}

TEST_F(DrawTest, FlipShowsTheFrame) {
  DrawTile(FakeWindow(), CellAt(2, 40, 40));
  FlipScreen(FakeWindow());
  ASSERT_NE(display_.video().LastFrame(), nullptr);
  EXPECT_EQ(platform::RgbFromRgb565(*display_.video().LastFrame(), {0, 0, 640, 480}), Frame());
}

// The original asks again and again while a blit fails; a failure that never
// passes must not hang the game.
TEST_F(DrawTest, ABlitThatKeepsFailingIsGivenUp) {
  IDirectDrawSurface* wrongSize = nullptr;
  DDSURFACEDESC desc{sizeof(DDSURFACEDESC),   DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 8, 8, 0,
                     {DDSCAPS_OFFSCREENPLAIN}};
  ASSERT_EQ(g_directDraw->CreateSurface(&desc, &wrongSize, nullptr), DD_OK);
  std::swap(wrongSize, g_backgroundSurface);
  DrawBackground(FakeWindow());  // returns
  std::swap(wrongSize, g_backgroundSurface);
  wrongSize->Release();
}

}  // namespace
