// Every game colour reaches the window as the colour tables give it, whether
// the window's format is worked out by arithmetic (red, green and blue a byte
// each, the common desktop layout) or goes through the tables: a 256 x 256
// frame holds all 65536 colours, drawn whole and in parts of odd widths.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sdl/frame_scaler.h"

namespace {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

constexpr int kSide = 256;

struct ColourCase {
  const char* name;
  Uint32 format;
  int scale;
  SDL_Rect part;
};

constexpr SDL_Rect kWhole{0, 0, kSide, kSide};

constexpr ColourCase kCases[] = {
    {"XRGB8888", SDL_PIXELFORMAT_RGB888, 1, kWhole},
    {"ARGB8888: alpha all ones", SDL_PIXELFORMAT_ARGB8888, 1, kWhole},
    {"XRGB8888 doubled", SDL_PIXELFORMAT_RGB888, 2, kWhole},
    {"ARGB8888 tripled", SDL_PIXELFORMAT_ARGB8888, 3, kWhole},
    // Widths short of, on and past a block of pixels, from odd columns.
    {"XRGB8888, a part 1 wide", SDL_PIXELFORMAT_RGB888, 1, {7, 3, 1, 9}},
    {"XRGB8888, a part 15 wide", SDL_PIXELFORMAT_RGB888, 1, {1, 100, 15, 20}},
    {"XRGB8888, a part 16 wide", SDL_PIXELFORMAT_RGB888, 1, {33, 5, 16, 30}},
    {"XRGB8888, a part 250 wide", SDL_PIXELFORMAT_RGB888, 1, {3, 200, 250, 56}},
    {"XRGB8888 doubled, a part 100 wide", SDL_PIXELFORMAT_RGB888, 2, {5, 9, 100, 11}},
    // Formats the tables keep.
    {"XBGR8888", SDL_PIXELFORMAT_BGR888, 1, kWhole},
    {"RGBA8888", SDL_PIXELFORMAT_RGBA8888, 1, kWhole},
    {"RGBA32, the page's canvas", SDL_PIXELFORMAT_RGBA32, 1, kWhole},
    {"ARGB2101010", SDL_PIXELFORMAT_ARGB2101010, 1, kWhole},
    {"RGB565 doubled", SDL_PIXELFORMAT_RGB565, 2, kWhole},
};

Uint32 PixelOf(const SDL_Surface& surface, int x, int y) {
  const auto* row = static_cast<const std::uint8_t*>(surface.pixels) + y * surface.pitch;
  if (surface.format->BytesPerPixel == 2) return reinterpret_cast<const std::uint16_t*>(row)[x];
  return reinterpret_cast<const std::uint32_t*>(row)[x];
}

bool Inside(const SDL_Rect& r, int x, int y) {
  return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

TEST(FrameScalerColours, EveryColourIsTheTablesColourInEveryFormat) {
  std::vector<std::uint16_t> frame(kSide * kSide);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<std::uint16_t>(i);
  for (const ColourCase& c : kCases) {
    SCOPED_TRACE(c.name);
    SurfacePtr target(
        SDL_CreateRGBSurfaceWithFormat(0, kSide * c.scale, kSide * c.scale, 0, c.format),
        SDL_FreeSurface);
    ASSERT_NE(target, nullptr) << SDL_GetError();
    SDL_FillRect(target.get(), nullptr, 0);
    platform::ColourTables tables;
    tables.Prepare(*target->format);
    platform::FrameScaler scaler;
    scaler.Prepare(*target, kSide, kSide);
    ASSERT_EQ(scaler.Placement().w, kSide * c.scale);
    scaler.Draw(frame.data(), c.part, target.get());
    int wrong = 0;
    for (int y = 0; y < target->h && wrong < 5; ++y) {
      for (int x = 0; x < target->w && wrong < 5; ++x) {
        const std::uint16_t colour = frame[(y / c.scale) * kSide + x / c.scale];
        // Outside the part the target keeps what it had.
        const Uint32 want = Inside(c.part, x / c.scale, y / c.scale) ? tables(colour) : 0;
        const Uint32 got = PixelOf(*target, x, y);
        if (got != want) {
          ++wrong;
          ADD_FAILURE() << "at (" << x << ", " << y << ") colour " << std::hex << colour << ": "
                        << got << ", not " << want;
        }
      }
    }
  }
}

// The page's canvas takes the surface's bytes as they lie: red, green, blue,
// then alpha, which must be opaque, or the canvas shows the pixel black.
TEST(FrameScalerColours, TheCanvasGetsRedGreenBlueAndOpaqueAlphaInThatOrder) {
  const std::uint16_t frame[] = {0xF800, 0x07E0, 0x001F, 0x8410};
  SurfacePtr target(SDL_CreateRGBSurfaceWithFormat(0, 4, 1, 0, SDL_PIXELFORMAT_RGBA32),
                    SDL_FreeSurface);
  ASSERT_NE(target, nullptr) << SDL_GetError();
  platform::FrameScaler scaler;
  scaler.Prepare(*target, 4, 1);
  scaler.Draw(frame, SDL_Rect{0, 0, 4, 1}, target.get());
  const auto* bytes = static_cast<const std::uint8_t*>(target->pixels);
  const std::vector<std::uint8_t> want{255, 0, 0,   255, 0,   255, 0,   255,
                                       0,   0, 255, 255, 132, 130, 132, 255};
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 16), want);
}

}  // namespace
