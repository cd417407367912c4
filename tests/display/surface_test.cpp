// The DirectDraw-shaped surfaces of the platform layer on their own.
#include <SDL.h>
#include <gtest/gtest.h>

#include <climits>

#include "platform/ddraw.h"
#include "platform/offscreen_video.h"

namespace {

std::uint16_t& Pixel(IDirectDrawSurface* surface, int x, int y) {
  SDL_Surface* p = surface->Pixels();
  return reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(p->pixels) + y * p->pitch)[x];
}

int CountPixels(IDirectDrawSurface* surface, std::uint16_t value) {
  int count = 0;
  for (int y = 0; y < surface->Pixels()->h; ++y) {
    for (int x = 0; x < surface->Pixels()->w; ++x) count += Pixel(surface, x, y) == value;
  }
  return count;
}

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetVideoOutput(&video_);
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16), DD_OK);
    DDSURFACEDESC desc{sizeof(DDSURFACEDESC),
                       DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                       0,
                       0,
                       1,
                       {DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX}};
    ASSERT_EQ(dd_->CreateSurface(&desc, &primary_, nullptr), DD_OK);
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    ASSERT_EQ(primary_->GetAttachedSurface(&caps, &back_), DD_OK);
    DDSURFACEDESC tileDesc{sizeof(DDSURFACEDESC),   DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 40, 40, 0,
                           {DDSCAPS_OFFSCREENPLAIN}};
    ASSERT_EQ(dd_->CreateSurface(&tileDesc, &tile_, nullptr), DD_OK);
    // A tile: its left half keyed (0), its right half 0x1234.
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) Pixel(tile_, x, y) = x < 20 ? 0 : 0x1234;
    }
    DDCOLORKEY key{0, 0};
    tile_->SetColorKey(DDCKEY_SRCBLT, &key);
    SDL_FillRect(back_->Pixels(), nullptr, 0x7777);
  }
  void TearDown() override {
    if (tile_ != nullptr) tile_->Release();
    if (primary_ != nullptr) primary_->Release();
    if (clipper_ != nullptr) clipper_->Release();
    if (dd_ != nullptr) dd_->Release();
    platform::SetVideoOutput(nullptr);
  }
  void AttachClipper() {
    ASSERT_EQ(dd_->CreateClipper(0, &clipper_, nullptr), DD_OK);
    back_->SetClipper(clipper_);
  }
  HRESULT BltTileAt(int x, int y, DWORD flags = DDBLT_WAIT | DDBLT_KEYSRC) {
    RECT dest{x, y, x + 40, y + 40};
    return back_->Blt(&dest, tile_, nullptr, flags, nullptr);
  }

  platform::CaptureVideo video_;
  IDirectDraw* dd_ = nullptr;
  IDirectDrawSurface* primary_ = nullptr;
  IDirectDrawSurface* back_ = nullptr;
  IDirectDrawSurface* tile_ = nullptr;
  IDirectDrawClipper* clipper_ = nullptr;
};

TEST(DirectDrawCreate, FailsWithoutAScreen) {
  IDirectDraw* dd = reinterpret_cast<IDirectDraw*>(1);
  EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DDERR_NODIRECTDRAWHW);
  EXPECT_EQ(dd, nullptr);
}

TEST_F(SurfaceTest, WithAClipperTilesOffTheScreenAreCropped) {
  AttachClipper();
  struct Case {
    int x, y, visibleColoured;  // pixels of 0x1234 that reach the frame
  };
  const Case cases[] = {{0, 0, 800},         {-20, 0, 800},   {-30, 0, 400},   {0, -20, 400},
                        {620, 460, 0},       {610, 460, 200}, {-40, 0, 0},     {0, -40, 0},
                        {640, 0, 0},         {0, 480, 0},     {INT_MIN, 0, 0}, {INT_MAX - 40, 0, 0},
                        {0, INT_MAX - 40, 0}};
  for (const auto& c : cases) {
    SDL_FillRect(back_->Pixels(), nullptr, 0x7777);
    EXPECT_EQ(BltTileAt(c.x, c.y), DD_OK) << c.x << ", " << c.y;
    EXPECT_EQ(CountPixels(back_, 0x1234), c.visibleColoured) << c.x << ", " << c.y;
  }
}

TEST_F(SurfaceTest, ALostScreenRefusesBlitsFlipsAndContextsUntilRestored) {
  platform::LoseDisplay();
  HDC dc = nullptr;
  EXPECT_EQ(BltTileAt(0, 0), DDERR_SURFACELOST);
  EXPECT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
  EXPECT_EQ(back_->GetDC(&dc), DDERR_SURFACELOST);
  EXPECT_EQ(primary_->Restore(), DD_OK);  // brings its back buffer with it
  EXPECT_EQ(primary_->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(BltTileAt(0, 0), DDERR_SURFACELOST);  // the tile is still lost
  EXPECT_EQ(tile_->Restore(), DD_OK);
  EXPECT_EQ(BltTileAt(0, 0), DD_OK);
  // Restored memory holds nothing of what was drawn before.
  EXPECT_EQ(CountPixels(tile_, 0x1234), 0);
}

TEST(CaptureVideo, PacingMovesTheClockOneSecondEverySixtyFrames) {
  platform::CaptureVideo video;
  platform::VirtualClock clock;
  video.SetPacingClock(&clock);
  ASSERT_TRUE(video.Open(4, 4));
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormat(0, 4, 4, 16, SDL_PIXELFORMAT_RGB565);
  std::vector<std::int64_t> times;
  for (int i = 0; i < 120; ++i) {
    video.Present(*frame);
    times.push_back(clock.NowMs());
  }
  SDL_FreeSurface(frame);
  EXPECT_EQ(times[0], 16);
  EXPECT_EQ(times[2], 50);
  EXPECT_EQ(times[59], 1000);
  EXPECT_EQ(times[119], 2000);
}

}  // namespace
