// Puts the game's 640 x 480 RGB565 frame into a window's own surface, in the
// window's pixel format, centred on the window in one of two ways:
//
// - smooth (the default): the largest 4:3 area of the window. The frame is as
//   if enlarged by the smallest whole number that reaches that size, each game
//   pixel a solid square, and that picture brought to the exact size with
//   linear filtering: only the seams between game pixels are blended, so edges
//   stay sharp on a screen that is not a whole multiple of 640 x 480, and where
//   it is a whole multiple the result is the pixel-exact one.
// - pixel-exact: the largest whole-number scale that fits, no filtering.
//
// Parts of the frame can be put on their own, so that only what changed is
// redrawn; the filtered picture is worked out from precomputed per-column and
// per-row taps in integer arithmetic, for the target pixels the part touches,
// each frame row stretched across once.
//
// SDL's own stretches give the smooth picture only in three passes (a 32-bit
// copy of the frame, SDL_SoftStretch by the whole number, SDL_SoftStretchLinear
// to the exact size), and only for whole frames. Side by side, one whole frame
// onto 1920 x 1080 took 3.1 to 3.5 ms of CPU here against 5.5 to 6.0 ms
// through SDL, which also needs 6 MB of pictures in between and rounds the
// seams differently (by up to 41 levels of a channel).
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/settings/scale_mode.h"

namespace platform {

// The game's colours (RGB565) in a 16- or 32-bit pixel format whose channels
// are contiguous bits: a target pixel is low[p & 0xFF] | high[p >> 8] for a
// frame pixel p, each byte of an RGB565 pixel feeding whole bits of the
// channels it holds. Alpha, when the format has it, is all ones.
class ColourTables {
 public:
  void Prepare(const SDL_PixelFormat& format);
  [[nodiscard]] std::uint32_t operator()(std::uint16_t pixel) const {
    return low_[pixel & 0xFF] | high_[pixel >> 8];
  }

 private:
  std::array<std::uint32_t, 256> low_{};
  std::array<std::uint32_t, 256> high_{};
};

// The same colour in the layout nearly every desktop has, red in the third
// byte, green in the second, blue in the lowest (and alpha, if any, in the top
// one: `alpha` is 0 or 0xFF000000), worked out directly: each channel widened
// to 8 bits by repeating its top bits below it. Plain arithmetic on the pixel,
// so a row of them converts several pixels at a time.
constexpr std::uint32_t ToXrgb8888(std::uint16_t pixel, std::uint32_t alpha) {
  const std::uint32_t p = pixel;
  // Each channel at the top of its byte...
  const std::uint32_t top = (p & 0xF800u) << 8 | (p & 0x07E0u) << 5 | (p & 0x001Fu) << 3;
  // ...and its top bits again below it: three of red and blue, two of green.
  return alpha | top | (top >> 5 & 0x070007u) | (top >> 6 & 0x000300u);
}

// Where a frame of frameWidth x frameHeight goes on an output of the given
// size in the smooth mode: the largest area of the frame's shape, centred.
SDL_Rect FillRect(int outputWidth, int outputHeight, int frameWidth, int frameHeight);

class FrameScaler {
 public:
  // Makes ready for frames of frameWidth x frameHeight on `target`, whose size
  // and format it takes; again whenever those change.
  void Prepare(const SDL_Surface& target, int frameWidth, int frameHeight,
               ScaleMode mode = ScaleMode::kPixelExact);
  // The same for a target of width x height in `format`, when what is drawn
  // into is only a strip of it (see Draw's firstRow).
  void Prepare(int width, int height, const SDL_PixelFormat& format, int frameWidth,
               int frameHeight, ScaleMode mode);

  // Where the whole frame goes on the target (PresentRect or FillRect).
  [[nodiscard]] const SDL_Rect& Placement() const { return placement_; }

  // Draws `part` of `frame` (RGB565, frameWidth pixels a row, no padding) in
  // its place on `target` and returns the target's rectangle it covered. A
  // target smaller than the frame always gets the whole frame, shrunk, except
  // in the filtered way, which handles any size.
  //
  // `target` may hold only some of the rows, from `firstRow` on, and of the
  // columns, from `firstColumn` on: the target's pixel (c, r) is drawn at
  // (c - firstColumn, r - firstRow) of `target`, which must hold them.
  SDL_Rect Draw(const std::uint16_t* frame, const SDL_Rect& part, SDL_Surface* target,
                int firstRow = 0, int firstColumn = 0);
  // The target's rectangle that Draw would cover for `part`.
  [[nodiscard]] SDL_Rect Reach(const SDL_Rect& part) const;

  // True when the picture is filtered (smooth mode, not a whole multiple).
  [[nodiscard]] bool Filters() const { return filters_; }
  // True when a part of the frame is drawn alone, not the whole frame again.
  [[nodiscard]] bool DrawsInParts() const { return filters_ || scale_ > 0; }

 private:
  // One target column (or row) of the filtered picture: the frame column it
  // starts from, and the share of the next one, out of 256 (0: none).
  struct Tap {
    int from;
    unsigned next;
  };
  // The taps of one axis, and for each frame column the target columns it
  // reaches: those are the ones to draw again when it changes.
  struct Axis {
    std::vector<Tap> taps;
    std::vector<int> firstReached;
    std::vector<int> lastReached;
    void Prepare(int frameSize, int targetSize, int wholeScale);
  };
  [[nodiscard]] std::uint32_t Convert(std::uint16_t pixel) const { return tables_(pixel); }
  // The two frame rows last stretched across into lines_, and which of the
  // two lines is to be taken next.
  struct StretchedRows {
    std::array<int, 2> row{-1, -1};
    int older = 0;
  };
  SDL_Rect DrawFiltered(const std::uint16_t* frame, const SDL_Rect& part, SDL_Surface* target,
                        int firstRow, int firstColumn);
  [[nodiscard]] bool SameAsRowAbove(int t) const;
  const std::uint32_t* Stretched(const std::uint16_t* frame, int frameRow, int left, int right,
                                 StretchedRows& lines);

  template <typename Pixel>
  void ConvertRow(const std::uint16_t* from, int width, Pixel* to) const;
  void ConvertRowXrgb(const std::uint16_t* from, int width, std::uint32_t* to) const;
  template <typename Pixel>
  void DrawConverted(const std::uint16_t* frame, const SDL_Rect& part, const SDL_Rect& where,
                     SDL_Surface* target, int firstRow, int firstColumn) const;
  SDL_Rect DrawThroughSdl(const std::uint16_t* frame, const SDL_Rect& part, SDL_Surface* target,
                          int firstRow, int firstColumn) const;

  int frameWidth_ = 0;
  int frameHeight_ = 0;
  int scale_ = 0;  // 0: the target is smaller than the frame
  int bytesPerPixel_ = 0;
  bool converts_ = false;  // false: SDL's own blitter does the work
  bool filters_ = false;   // the smooth picture, worked out here
  bool xrgb_ = false;      // the common 32-bit layout: ToXrgb8888, not the tables
  std::uint32_t alpha_ = 0;
  SDL_Rect placement_{0, 0, 0, 0};
  Axis columns_;
  Axis rows_;
  std::vector<std::uint32_t> row_;                   // a frame row in the target's format
  std::array<std::vector<std::uint32_t>, 2> lines_;  // frame rows stretched across
  ColourTables tables_;
};

}  // namespace platform
