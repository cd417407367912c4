// The real screen's present: which parts of a frame changed, how a frame lands
// in the window's own pixel format and scale, and that the window gets exactly
// the parts that changed and nothing when nothing did.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/frame_changes.h"
#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/sdl_video.h"
#include "platform/win32/pixel_buffer.h"
#include "tests/platform/sdl/sdl_video_probe.h"
#include "tests/support/rect_text.h"

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

SurfacePtr NewSurface(int width, int height, Uint32 format) {
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, format), SDL_FreeSurface);
}

Uint32 PixelAt(const SDL_Surface& surface, int x, int y) {
  const auto* at = static_cast<const std::uint8_t*>(surface.pixels) + y * surface.pitch +
                   x * surface.format->BytesPerPixel;
  Uint32 value = 0;
  if (surface.format->BytesPerPixel == 3) return at[0] | at[1] << 8 | at[2] << 16;
  std::memcpy(&value, at, surface.format->BytesPerPixel);
  return surface.format->BytesPerPixel == 2 ? value & 0xFFFF : value;
}

// A window pixel narrowed back to the game's RGB565.
std::uint16_t As565(const SDL_Surface& surface, int x, int y) {
  Uint8 r = 0, g = 0, b = 0;
  SDL_GetRGB(PixelAt(surface, x, y), surface.format, &r, &g, &b);
  return static_cast<std::uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
}

std::string RectsText(const std::vector<SDL_Rect>& rects) {
  std::string text;
  for (const SDL_Rect& r : rects) text.append("[").append(RectText(r)).append("]");
  return text;
}

// ---- FrameChanges ----

struct Change {
  int x, y;
};

TEST(FrameChanges, FindsTheBandsThatChanged) {
  // 40 pixels a row: two whole steps of sixteen and eight pixels after them.
  struct Case {
    const char* what;
    std::vector<Change> changes;
    std::string expected;
  } const cases[] = {
      {"nothing", {}, ""},
      {"one pixel", {{5, 2}}, "[5,2 1x1]"},
      {"the first and last pixels of a row", {{0, 1}, {39, 1}}, "[0,1 40x1]"},
      {"inside the pixels after the last step", {{33, 0}, {35, 0}}, "[33,0 3x1]"},
      {"across the edge of a step", {{15, 4}, {16, 4}}, "[15,4 2x1]"},
      {"the last pixel of the last whole step", {{31, 3}}, "[31,3 1x1]"},
      {"adjoining rows make one band", {{10, 1}, {3, 2}, {20, 3}}, "[3,1 18x3]"},
      {"a row between them keeps bands apart", {{10, 0}, {12, 2}}, "[10,0 1x1][12,2 1x1]"},
  };
  for (const Case& c : cases) {
    platform::PixelBuffer frame(40, 5);
    frame.Fill(0x1234);
    platform::FrameChanges changes;
    changes.Reset(40, 5);
    EXPECT_EQ(RectsText(changes.Compare(frame)), "[0,0 40x5]") << "the first frame is all new";
    for (const Change& at : c.changes) frame.Row(at.y)[at.x] = 0xBEEF;
    EXPECT_EQ(RectsText(changes.Compare(frame)), c.expected) << c.what;
    EXPECT_EQ(RectsText(changes.Compare(frame)), "") << c.what << ": shown after the compare";
  }
}

TEST(FrameChanges, ManySeparateBandsMergeIntoTheLast) {
  const int rows = 2 * platform::FrameChanges::kMostBands + 4;
  platform::PixelBuffer frame(32, rows);
  platform::FrameChanges changes;
  changes.Reset(32, rows);
  changes.Compare(frame);
  for (int y = 0; y < rows; y += 2) frame.Row(y)[y % 32] = 0xFFFF;
  const std::vector<SDL_Rect> found = changes.Compare(frame);
  ASSERT_EQ(found.size(), std::size_t{platform::FrameChanges::kMostBands});
  const SDL_Rect& last = found.back();
  EXPECT_EQ(last.y + last.h, rows - 1) << "every changed row is still covered";
  for (int y = 0; y < rows; y += 2) {
    const SDL_Point p{y % 32, y};
    bool covered = false;
    for (const SDL_Rect& r : found) covered = covered || SDL_PointInRect(&p, &r);
    EXPECT_TRUE(covered) << "row " << y;
  }
}

// ---- FrameScaler ----

// A 256 x 256 frame that holds every RGB565 value once.
std::vector<std::uint16_t> EveryColour() {
  std::vector<std::uint16_t> frame(256 * 256);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint16_t>(i);
  return frame;
}

// A channel of a window pixel, read through its mask, and the game's channel
// of `bits` bits: whichever has fewer bits must be the top of the other.
bool ChannelMatches(Uint32 pixel, Uint32 mask, unsigned gameValue, int gameBits) {
  const unsigned value = (pixel & mask) >> __builtin_ctz(mask);
  const int bits = __builtin_popcount(mask);
  return bits >= gameBits ? value >> (bits - gameBits) == gameValue
                          : value == gameValue >> (gameBits - bits);
}

TEST(FrameScaler, EveryColourLandsInEveryKindOfWindowFormat) {
  const Uint32 formats[] = {SDL_PIXELFORMAT_RGB888,   SDL_PIXELFORMAT_ARGB8888,
                            SDL_PIXELFORMAT_ABGR8888, SDL_PIXELFORMAT_BGRX8888,
                            SDL_PIXELFORMAT_RGB565,   SDL_PIXELFORMAT_BGR565,
                            SDL_PIXELFORMAT_RGB555,   SDL_PIXELFORMAT_ARGB2101010,
                            SDL_PIXELFORMAT_RGB24,    SDL_PIXELFORMAT_BGR24};
  const std::vector<std::uint16_t> frame = EveryColour();
  for (Uint32 format : formats) {
    SurfacePtr target = NewSurface(256, 256, format);
    ASSERT_NE(target, nullptr) << SDL_GetPixelFormatName(format);
    platform::FrameScaler scaler;
    scaler.Prepare(*target, 256, 256);
    scaler.Draw(frame.data(), SDL_Rect{0, 0, 256, 256}, target.get());
    const SDL_PixelFormat& f = *target->format;
    int wrong = 0;
    for (int i = 0; i < 256 * 256 && wrong < 3; ++i) {
      const Uint32 pixel = PixelAt(*target, i % 256, i / 256);
      const unsigned red = frame[i] >> 11, green = (frame[i] >> 5) & 63, blue = frame[i] & 31;
      const bool opaque = f.Amask == 0 || (pixel & f.Amask) == f.Amask;
      if (!ChannelMatches(pixel, f.Rmask, red, 5) || !ChannelMatches(pixel, f.Gmask, green, 6) ||
          !ChannelMatches(pixel, f.Bmask, blue, 5) || !opaque) {
        ADD_FAILURE() << SDL_GetPixelFormatName(format) << ": " << std::hex << frame[i]
                      << " came out as " << pixel;
        ++wrong;
      }
    }
  }
}

// In the window system's own format each channel is widened by repeating its
// top bits, as the game's frame captures are, so that both show one picture.
TEST(FrameScaler, ChannelsWidenByRepeatingTheirTopBits) {
  SurfacePtr target = NewSurface(4, 1, SDL_PIXELFORMAT_RGB888);
  const std::uint16_t frame[4] = {0xFFFF, 0x0821, 0xF800, 0x07E0};
  platform::FrameScaler scaler;
  scaler.Prepare(*target, 4, 1);
  scaler.Draw(frame, SDL_Rect{0, 0, 4, 1}, target.get());
  EXPECT_EQ(PixelAt(*target, 0, 0) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(PixelAt(*target, 1, 0) & 0xFFFFFF, 0x080408u);
  EXPECT_EQ(PixelAt(*target, 2, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(PixelAt(*target, 3, 0) & 0xFFFFFF, 0x00FF00u);
}

TEST(FrameScaler, WholeScalesCentredAndOnlyThePartAsked) {
  struct Case {
    int width, height;
    Uint32 format;
    SDL_Rect placement;
  } const cases[] = {
      {256, 256, SDL_PIXELFORMAT_RGB888, {0, 0, 256, 256}},
      {600, 520, SDL_PIXELFORMAT_RGB888, {44, 4, 512, 512}},
      {800, 780, SDL_PIXELFORMAT_RGB565, {16, 6, 768, 768}},
      {560, 530, SDL_PIXELFORMAT_RGB24, {24, 9, 512, 512}},
  };
  const std::vector<std::uint16_t> frame = EveryColour();
  const SDL_Rect part{100, 30, 20, 7};
  for (const Case& c : cases) {
    SurfacePtr target = NewSurface(c.width, c.height, c.format);
    const Uint32 untouched = SDL_MapRGB(target->format, 1, 2, 3);
    SDL_FillRect(target.get(), nullptr, untouched);
    platform::FrameScaler scaler;
    scaler.Prepare(*target, 256, 256);
    EXPECT_EQ(RectText(scaler.Placement()), RectText(c.placement)) << c.width;
    const int scale = c.placement.w / 256;
    const SDL_Rect drawn = scaler.Draw(frame.data(), part, target.get());
    const SDL_Rect expected{c.placement.x + part.x * scale, c.placement.y + part.y * scale,
                            part.w * scale, part.h * scale};
    EXPECT_EQ(RectText(drawn), RectText(expected)) << c.width;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const SDL_Point p{x, y};
        if (!SDL_PointInRect(&p, &expected)) {
          ASSERT_EQ(PixelAt(*target, x, y), untouched) << c.width << ": " << x << "," << y;
          continue;
        }
        const int fx = (x - c.placement.x) / scale, fy = (y - c.placement.y) / scale;
        ASSERT_EQ(As565(*target, x, y), frame[fy * 256 + fx]) << c.width << ": " << x << "," << y;
      }
    }
  }
}

TEST(FrameScaler, AWindowSmallerThanTheFrameGetsAllOfItShrunk) {
  SurfacePtr target = NewSurface(200, 200, SDL_PIXELFORMAT_RGB888);
  SDL_FillRect(target.get(), nullptr, 0);
  std::vector<std::uint16_t> frame(256 * 256, 0xF800);
  platform::FrameScaler scaler;
  scaler.Prepare(*target, 256, 256);
  const SDL_Rect drawn = scaler.Draw(frame.data(), SDL_Rect{10, 10, 2, 2}, target.get());
  EXPECT_EQ(RectText(drawn), "0,0 200x200");
  EXPECT_EQ(As565(*target, 0, 0), 0xF800);
  EXPECT_EQ(As565(*target, 199, 199), 0xF800);
}

// ---- SdlVideo on SDL's offscreen driver: the window's own surface ----

class SdlVideoPresent : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(video_.Create("Morvex2", video_.DesktopWidth(), video_.DesktopHeight()));
    if (video_.Window() == nullptr) GTEST_SKIP() << "no SDL window under this driver";
    platform::SdlVideoProbe::SetPacing(video_, false);
    video_.SetScaleMode(platform::ScaleMode::kPixelExact);
    ASSERT_TRUE(video_.Open(640, 480));
    frame_.Fill(0x001F);
  }

  SDL_Surface& Window() { return *SDL_GetWindowSurface(video_.Window()); }
  SDL_Rect Placement() { return platform::PresentRect(Window().w, Window().h, 640, 480); }
  // Marks a window pixel, to see whether the next present paints over it.
  void Scribble(int x, int y) {
    Uint32 white = SDL_MapRGB(Window().format, 255, 255, 255);
    SDL_Rect at{x, y, 1, 1};
    SDL_FillRect(&Window(), &at, white);
  }
  std::uint16_t Shown(int frameX, int frameY) {
    const SDL_Rect p = Placement();
    const int scale = p.w / 640;
    return As565(Window(), p.x + frameX * scale, p.y + frameY * scale);
  }

  platform::SdlVideo video_;
  platform::PixelBuffer frame_{640, 480};
};

TEST_F(SdlVideoPresent, OnlyWhatChangedIsPaintedAndTheSameFrameNothing) {
  video_.Present(frame_);
  const SDL_Rect p = Placement();
  Scribble(p.x + 5, p.y + 5);
  video_.Present(frame_);
  EXPECT_EQ(video_.UnchangedFrames(), 1u);
  EXPECT_EQ(As565(Window(), p.x + 5, p.y + 5), 0xFFFF) << "the same frame painted nothing";

  frame_.Row(200)[300] = 0xF800;
  video_.Present(frame_);
  EXPECT_EQ(video_.ChangedFrames(), 2u);
  EXPECT_EQ(Shown(300, 200), 0xF800);
  EXPECT_EQ(As565(Window(), p.x + 5, p.y + 5), 0xFFFF) << "outside the change stays";
}

TEST_F(SdlVideoPresent, ANewWindowSizeIsPaintedWholeAtItsScale) {
  video_.Present(frame_);
  video_.ToggleFullscreen();  // a window, which can take any size
  video_.Present(frame_);
  SDL_SetWindowSize(video_.Window(), 1300, 1000);
  SDL_PumpEvents();
  EXPECT_TRUE(video_.RepaintPending());
  video_.Present(frame_);  // the same frame, but the window is new
  EXPECT_EQ(video_.ChangedFrames(), 3u);
  EXPECT_EQ(RectText(Placement()), "10,20 1280x960");
  EXPECT_EQ(Shown(0, 0), 0x001F);
  EXPECT_EQ(As565(Window(), 10 + 1279, 20), 0x001F) << "the right column, at twice the size";
  EXPECT_EQ(As565(Window(), 10 + 1280, 20), 0);
  EXPECT_EQ(As565(Window(), 9, 20), 0);
  EXPECT_FALSE(video_.RepaintPending());
}

TEST_F(SdlVideoPresent, UncoveringTheWindowPaintsItAgain) {
  video_.Present(frame_);
  const SDL_Rect p = Placement();
  Scribble(p.x + 5, p.y + 5);
  SDL_Event exposed{};
  exposed.type = SDL_WINDOWEVENT;
  exposed.window.windowID = SDL_GetWindowID(video_.Window());
  exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
  SDL_PushEvent(&exposed);
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  video_.Present(frame_);
  EXPECT_EQ(As565(Window(), p.x + 5, p.y + 5), 0x001F);
}

}  // namespace
