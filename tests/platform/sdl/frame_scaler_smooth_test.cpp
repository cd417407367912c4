// The smooth scale: where the frame goes on the screens players have, that a
// whole multiple is the pixel-exact picture byte for byte, that drawing only
// the part that changed gives the same picture as drawing it all, and one
// frame of the real game at 1280 x 800 kept as a golden image.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/sdl_video.h"
#include "platform/win32/pixel_buffer.h"
#include "tests/platform/sdl/sdl_video_probe.h"
#include "tests/support/golden.h"
#include "tests/support/headless/png_files.h"
#include "tests/support/rect_text.h"

namespace {

using platform::ScaleMode;
using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

SurfacePtr NewTarget(int width, int height, Uint32 format = SDL_PIXELFORMAT_RGB888) {
  SurfacePtr target(SDL_CreateRGBSurfaceWithFormat(0, width, height, 0, format), SDL_FreeSurface);
  SDL_FillRect(target.get(), nullptr, 0);
  return target;
}

// A 640 x 480 frame with edges everywhere: a different colour every few pixels.
std::vector<std::uint16_t> BusyFrame(unsigned seed = 1) {
  std::vector<std::uint16_t> frame(640 * 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      frame[y * 640 + x] =
          static_cast<std::uint16_t>((x / 3 * 2654435761u + y / 5 * 40503u) * seed >> 7);
    }
  }
  return frame;
}

bool SamePixels(const SDL_Surface& a, const SDL_Surface& b) {
  for (int y = 0; y < a.h; ++y) {
    if (std::memcmp(static_cast<const std::uint8_t*>(a.pixels) + y * a.pitch,
                    static_cast<const std::uint8_t*>(b.pixels) + y * b.pitch,
                    static_cast<std::size_t>(a.w) * a.format->BytesPerPixel) != 0) {
      return false;
    }
  }
  return true;
}

Uint32 At(const SDL_Surface& s, int x, int y) {
  return reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(s.pixels) +
                                         y * s.pitch)[x];
}

struct Screen {
  int width, height;
  const char* smooth;      // the largest 4:3 area, centred
  const char* pixelExact;  // the largest whole multiple, centred
  bool wholeMultiple;      // the smooth area is a whole multiple of the frame
};

constexpr Screen kScreens[] = {
    {640, 480, "0,0 640x480", "0,0 640x480", true},
    {1280, 800, "107,0 1066x800", "320,160 640x480", false},
    {1366, 768, "171,0 1024x768", "363,144 640x480", false},
    {1920, 1080, "240,0 1440x1080", "320,60 1280x960", false},
    {2560, 1440, "320,0 1920x1440", "320,0 1920x1440", true},
    {3840, 2160, "480,0 2880x2160", "640,120 2560x1920", false},
    {1024, 1280, "0,256 1024x768", "192,400 640x480", false},  // a screen turned upright
    {800, 600, "0,0 800x600", "80,60 640x480", false},
    {1280, 1024, "0,32 1280x960", "0,32 1280x960", true},
    {320, 240, "0,0 320x240", "0,0 320x240", false},  // windows smaller than the frame
    {400, 600, "0,150 400x300", "0,150 400x300", false},
};

TEST(SmoothScale, FillsTheLargest43AreaAndWholeMultiplesArePixelExact) {
  const std::vector<std::uint16_t> frame = BusyFrame();
  for (const Screen& s : kScreens) {
    SurfacePtr smooth = NewTarget(s.width, s.height);
    SurfacePtr exact = NewTarget(s.width, s.height);
    platform::FrameScaler smoothScaler;
    platform::FrameScaler exactScaler;
    smoothScaler.Prepare(*smooth, 640, 480, ScaleMode::kSmooth);
    exactScaler.Prepare(*exact, 640, 480, ScaleMode::kPixelExact);
    EXPECT_EQ(RectText(smoothScaler.Placement()), s.smooth) << s.width << "x" << s.height;
    EXPECT_EQ(RectText(exactScaler.Placement()), s.pixelExact) << s.width << "x" << s.height;
    EXPECT_EQ(smoothScaler.Filters(), !s.wholeMultiple) << s.width << "x" << s.height;
    const SDL_Rect whole{0, 0, 640, 480};
    EXPECT_EQ(RectText(smoothScaler.Draw(frame.data(), whole, smooth.get())), s.smooth);
    if (s.wholeMultiple) {
      exactScaler.Draw(frame.data(), whole, exact.get());
      EXPECT_TRUE(SamePixels(*smooth, *exact)) << s.width << "x" << s.height;
    }
  }
}

// Inside a game pixel's square the colour is the game's own; only the seam
// between two game pixels mixes them, and never beyond the two.
TEST(SmoothScale, OnlyTheSeamsBetweenGamePixelsAreMixed) {
  std::vector<std::uint16_t> frame(640 * 480, 0xF800);  // red
  for (int y = 0; y < 480; ++y) {
    for (int x = 320; x < 640; ++x) frame[y * 640 + x] = 0x001F;  // the right half blue
  }
  SurfacePtr target = NewTarget(1280, 800);
  platform::FrameScaler scaler;
  scaler.Prepare(*target, 640, 480, ScaleMode::kSmooth);
  scaler.Draw(frame.data(), SDL_Rect{0, 0, 640, 480}, target.get());
  const SDL_Rect p = scaler.Placement();
  for (int y : {0, 400, 799}) {
    int mixed = 0;
    for (int x = p.x; x < p.x + p.w; ++x) {
      const Uint32 pixel = At(*target, x, y) & 0xFFFFFF;
      const Uint32 red = pixel >> 16, blue = pixel & 0xFF;
      ASSERT_EQ(pixel & 0x00FF00, 0u) << x << "," << y;
      ASSERT_EQ(red + blue, 255u) << "a mix of the two colours only, at " << x << "," << y;
      if (red != 0 && blue != 0) ++mixed;
      if (x < p.x + p.w / 2 - 2) {
        ASSERT_EQ(pixel, 0xFF0000u) << x << "," << y;
      } else if (x > p.x + p.w / 2 + 1) {
        ASSERT_EQ(pixel, 0x0000FFu) << x << "," << y;
      }
    }
    EXPECT_LE(mixed, 1) << "the seam is one pixel at most, row " << y;
  }
  EXPECT_EQ(At(*target, p.x - 1, 0) & 0xFFFFFF, 0u) << "the border stays black";
  EXPECT_EQ(At(*target, p.x + p.w, 799) & 0xFFFFFF, 0u);
}

// The window shows what a whole draw of the newest frame would show, however
// the changes come: the filter reaches into the neighbours of a changed part.
TEST(SmoothScale, DrawingOnlyWhatChangedGivesTheWholePicture) {
  struct Case {
    int width, height;
    SDL_Rect part;
  } const cases[] = {
      {1280, 800, {100, 50, 40, 40}}, {1366, 768, {0, 0, 1, 1}},
      {1920, 1080, {639, 479, 1, 1}}, {1920, 1080, {0, 200, 640, 3}},
      {500, 400, {300, 100, 17, 90}},  // a window smaller than the frame
  };
  const std::vector<std::uint16_t> before = BusyFrame(1);
  for (const Case& c : cases) {
    std::vector<std::uint16_t> after = before;
    const std::vector<std::uint16_t> other = BusyFrame(7);
    for (int y = c.part.y; y < c.part.y + c.part.h; ++y) {
      for (int x = c.part.x; x < c.part.x + c.part.w; ++x) after[y * 640 + x] = other[y * 640 + x];
    }
    SurfacePtr step = NewTarget(c.width, c.height);
    SurfacePtr whole = NewTarget(c.width, c.height);
    platform::FrameScaler stepScaler;
    platform::FrameScaler wholeScaler;
    stepScaler.Prepare(*step, 640, 480, ScaleMode::kSmooth);
    wholeScaler.Prepare(*whole, 640, 480, ScaleMode::kSmooth);
    stepScaler.Draw(before.data(), SDL_Rect{0, 0, 640, 480}, step.get());
    const SDL_Rect drawn = stepScaler.Draw(after.data(), c.part, step.get());
    wholeScaler.Draw(after.data(), SDL_Rect{0, 0, 640, 480}, whole.get());
    EXPECT_TRUE(SamePixels(*step, *whole)) << c.width << "x" << c.height << " " << RectText(c.part);
    const SDL_Rect& p = stepScaler.Placement();
    EXPECT_LT(drawn.w * drawn.h, p.w * p.h / 2 + p.w * 8) << "only the part's neighbourhood";
  }
}

// A part drawn into a strip that holds only its rows (the X11 window picture)
// is the same, row for row, as that part of the picture drawn whole: smooth,
// pixel-exact, into a 16-bit target, and by SDL into a 24-bit one.
TEST(SmoothScale, APartDrawnIntoAStripIsThatPartOfTheWholePicture) {
  struct Case {
    int width, height;
    ScaleMode mode;
    Uint32 format;
    SDL_Rect part;
  } const cases[] = {
      {1024, 768, ScaleMode::kSmooth, SDL_PIXELFORMAT_RGB888, {100, 50, 200, 40}},
      {1920, 1080, ScaleMode::kSmooth, SDL_PIXELFORMAT_RGB888, {0, 400, 640, 80}},
      {1920, 1080, ScaleMode::kPixelExact, SDL_PIXELFORMAT_RGB888, {10, 20, 30, 40}},
      {1280, 960, ScaleMode::kPixelExact, SDL_PIXELFORMAT_RGB565, {0, 0, 640, 16}},
      {1280, 960, ScaleMode::kPixelExact, SDL_PIXELFORMAT_RGB24, {320, 240, 100, 100}},
  };
  const std::vector<std::uint16_t> frame = BusyFrame(3);
  for (const Case& c : cases) {
    SurfacePtr whole = NewTarget(c.width, c.height, c.format);
    platform::FrameScaler scaler;
    scaler.Prepare(*whole, 640, 480, c.mode);
    const SDL_Rect where = scaler.Draw(frame.data(), SDL_Rect{0, 0, 640, 480}, whole.get());
    const SDL_Rect reach = scaler.Reach(c.part);
    SurfacePtr strip = NewTarget(c.width, reach.h + 7, c.format);
    const int at = 5;      // the strip's row the part's first row goes to
    const int column = 3;  // and its column
    EXPECT_EQ(scaler.Draw(frame.data(), c.part, strip.get(), reach.y - at, reach.x - column).y,
              reach.y);
    const int bytes = reach.w * strip->format->BytesPerPixel;
    for (int row = 0; row < reach.h; ++row) {
      const auto* expected = static_cast<const std::uint8_t*>(whole->pixels) +
                             (reach.y + row) * whole->pitch +
                             reach.x * whole->format->BytesPerPixel;
      const auto* drawn = static_cast<const std::uint8_t*>(strip->pixels) +
                          (at + row) * strip->pitch + column * strip->format->BytesPerPixel;
      ASSERT_EQ(std::memcmp(expected, drawn, static_cast<std::size_t>(bytes)), 0)
          << c.width << "x" << c.height << " " << RectText(c.part) << " row " << row;
    }
    EXPECT_GE(where.h, reach.h);
  }
}

// One frame of the real game (the play screen), filled into a 1280 x 800
// screen, against its golden image (tests/support/golden.h).
TEST(SmoothScale, APlayScreenOn1280x800MatchesItsGoldenImage) {
  const std::optional<formats::RgbImage> game =
      platform::ReadPngFile(MORVEX2_SOURCE_DIR "/tests/e2e/golden/play_beginner_paused.png");
  ASSERT_TRUE(game && game->width == 640 && game->height == 480);
  std::vector<std::uint16_t> frame(640 * 480);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const std::uint8_t* rgb = &game->pixels[i * 3];
    frame[i] = static_cast<std::uint16_t>((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
  }
  SurfacePtr target = NewTarget(1280, 800);
  platform::FrameScaler scaler;
  scaler.Prepare(*target, 640, 480, ScaleMode::kSmooth);
  scaler.Draw(frame.data(), SDL_Rect{0, 0, 640, 480}, target.get());
  formats::RgbImage shown{1280, 800, std::vector<std::uint8_t>(1280 * 800 * 3)};
  for (int y = 0; y < 800; ++y) {
    for (int x = 0; x < 1280; ++x) {
      const Uint32 pixel = At(*target, x, y);
      std::uint8_t* rgb = &shown.pixels[(static_cast<std::size_t>(y) * 1280 + x) * 3];
      rgb[0] = static_cast<std::uint8_t>(pixel >> 16);
      rgb[1] = static_cast<std::uint8_t>(pixel >> 8);
      rgb[2] = static_cast<std::uint8_t>(pixel);
    }
  }
  EXPECT_TRUE(testsupport::MatchesGolden(shown, "tests/display/golden/play_smooth_1280x800.png"));
}

// Started as the settings file says: a window of the size it was left at,
// which it keeps through a trip to full screen and back.
TEST(SmoothScale, AWindowStartsAtItsRememberedSizeFilledWhole) {
  platform::SdlVideo video;
  video.StartInWindow(true);
  video.UseWindowSize(800, 600);
  ASSERT_TRUE(video.Create("Morvex2", video.DesktopWidth(), video.DesktopHeight()));
  if (video.Window() == nullptr) GTEST_SKIP() << "no SDL window under this driver";
  platform::SdlVideoProbe::SetPacing(video, false);
  ASSERT_TRUE(video.Open(640, 480));
  EXPECT_FALSE(video.IsFullscreen());
  platform::PixelBuffer frame(640, 480);
  frame.Fill(0xF800);
  video.Present(frame);
  SDL_Surface* shown = SDL_GetWindowSurface(video.Window());
  ASSERT_EQ(RectText(SDL_Rect{0, 0, shown->w, shown->h}), "0,0 800x600");
  Uint8 r = 0, g = 0, b = 0;
  for (const SDL_Point corner : {SDL_Point{0, 0}, SDL_Point{799, 599}}) {
    SDL_GetRGB(At(*shown, corner.x, corner.y), shown->format, &r, &g, &b);
    EXPECT_EQ(r * 65536 + g * 256 + b, 0xFF0000) << corner.x << "," << corner.y;
  }
  int width = 0, height = 0;
  video.ToggleFullscreen();
  EXPECT_TRUE(video.IsFullscreen());
  video.WindowSize(&width, &height);
  EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), "800x600");
  video.ToggleFullscreen();
  SDL_GetWindowSize(video.Window(), &width, &height);
  EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), "800x600");
}

}  // namespace
