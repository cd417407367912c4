#include "platform/sdl/frame_scaler.h"

#include <algorithm>
#include <cstring>

#include "platform/sdl/sdl_error.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/sdl_video.h"

namespace platform {

namespace {

// A channel widened to 8 bits by repeating its top bits (31 -> 255, 63 -> 255),
// so that a pixel read back from the window narrows to the game's value.
unsigned Widen5(unsigned value) {
  return value << 3 | value >> 2;
}

// An 8-bit channel value at the depth and place of `mask` (contiguous bits):
// narrowed to its top bits, or widened by repeating them.
std::uint32_t Place(unsigned value8, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = __builtin_ctz(mask);
  const int bits = __builtin_popcount(mask);
  const std::uint32_t value =
      bits <= 8 ? value8 >> (8 - bits) : value8 << (bits - 8) | value8 >> (16 - bits);
  return (value << shift) & mask;
}

bool ChannelFits(std::uint32_t mask) {
  return mask != 0 && __builtin_popcount(mask) <= 16;
}

// Formats whose pixels are one 16- or 32-bit value: the game's colours go into
// them through the two tables. Anything else (palettes, 24-bit) is left to SDL.
bool CanConvertTo(const SDL_PixelFormat& format) {
  return (format.BytesPerPixel == 2 || format.BytesPerPixel == 4) && format.palette == nullptr &&
         ChannelFits(format.Rmask) && ChannelFits(format.Gmask) && ChannelFits(format.Bmask);
}

bool IsByte(std::uint32_t mask) {
  return mask == 0xFFu || mask == 0xFF00u || mask == 0xFF0000u || mask == 0xFF000000u;
}

// Red, green and blue each a whole byte, in the order of nearly every desktop;
// alpha, if there is any, the top byte.
bool IsXrgb8888(const SDL_PixelFormat& format) {
  return format.BytesPerPixel == 4 && format.palette == nullptr && format.Rmask == 0xFF0000u &&
         format.Gmask == 0xFF00u && format.Bmask == 0xFFu &&
         (format.Amask == 0 || format.Amask == 0xFF000000u);
}

// A run of pixels into the common layout, in blocks of a fixed count the
// compiler turns into whole vector operations, then the few left one by one.
void ToXrgb8888Run(const std::uint16_t* from, int width, std::uint32_t alpha, std::uint32_t* to) {
  constexpr int kBlock = 16;
  int x = 0;
  for (; x + kBlock <= width; x += kBlock) {
    for (int i = 0; i < kBlock; ++i) to[x + i] = ToXrgb8888(from[x + i], alpha);
  }
  for (; x < width; ++x) to[x] = ToXrgb8888(from[x], alpha);
}

// The filter blends each byte of two pixels on its own, so every channel must
// be a whole byte of a 32-bit pixel (as on every common desktop).
bool CanFilterTo(const SDL_PixelFormat& format) {
  return format.BytesPerPixel == 4 && format.palette == nullptr && IsByte(format.Rmask) &&
         IsByte(format.Gmask) && IsByte(format.Bmask) &&
         (format.Amask == 0 || IsByte(format.Amask));
}

// `a` and `b` mixed byte by byte, `share` of 256 parts taken from `b`. Two
// bytes at a time ride in the 16-bit halves of one product, which cannot carry
// into each other: 255 x 256 is below 65536.
std::uint32_t Mix(std::uint32_t a, std::uint32_t b, unsigned share) {
  const unsigned keep = 256 - share;
  const std::uint32_t even = ((a & 0x00FF00FFu) * keep + (b & 0x00FF00FFu) * share) >> 8;
  const std::uint32_t odd = ((a >> 8) & 0x00FF00FFu) * keep + ((b >> 8) & 0x00FF00FFu) * share;
  return (even & 0x00FF00FFu) | (odd & 0xFF00FF00u);
}

// Eight 16-bit lanes: four pixels, each byte of a pixel in a lane of its own
// once split into even and odd bytes.
using EightLanes = std::uint16_t __attribute__((vector_size(16)));

// Mix over a run of pixels, four at a time: the same sums as Mix, one lane a
// byte, which stay below 65536 as they do there. The compiler leaves the plain
// loop one pixel at a time, and at 1920 x 1080 a third of the rows are mixed.
// scale_bench side by side with that loop (CPU time, medians of 5, two rounds,
// load 21): the title's five parts 64 and 66 us against 95 and 109, a whole
// frame 1.2 and 1.8 ms against 2.3 and 2.0.
void MixRun(const std::uint32_t* a, const std::uint32_t* b, unsigned share, int count,
            std::uint32_t* to) {
  const EightLanes low = EightLanes{} + std::uint16_t{0x00FF};
  const EightLanes keeps = EightLanes{} + static_cast<std::uint16_t>(256 - share);
  const EightLanes shares = EightLanes{} + static_cast<std::uint16_t>(share);
  int c = 0;
  for (; c + 4 <= count; c += 4) {
    EightLanes from;
    EightLanes into;
    std::memcpy(&from, a + c, sizeof from);
    std::memcpy(&into, b + c, sizeof into);
    const EightLanes even = ((from & low) * keeps + (into & low) * shares) >> 8;
    const EightLanes odd = ((from >> 8) * keeps + (into >> 8) * shares) & ~low;
    const EightLanes mixed = even | odd;
    std::memcpy(to + c, &mixed, sizeof mixed);
  }
  for (; c < count; ++c) to[c] = Mix(a[c], b[c], share);
}

}  // namespace

void ColourTables::Prepare(const SDL_PixelFormat& format) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    // Low byte: blue and the lower three bits of green; high byte: red and
    // the upper three of green, whose top two also fill green's lowest bits.
    const unsigned blue = Widen5(byte & 31);
    const unsigned greenLow = (byte >> 5) << 2;
    const unsigned red = Widen5(byte >> 3);
    const unsigned greenHigh = (byte & 7) << 5 | (byte & 7) >> 1;
    low_[byte] = Place(blue, format.Bmask) | Place(greenLow, format.Gmask) | format.Amask;
    high_[byte] = Place(red, format.Rmask) | Place(greenHigh, format.Gmask);
  }
}

SDL_Rect FillRect(int outputWidth, int outputHeight, int frameWidth, int frameHeight) {
  if (frameWidth <= 0 || frameHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) {
    return SDL_Rect{0, 0, 0, 0};
  }
  // Whichever side is the tighter one is filled; the other is worked out from it.
  std::int64_t width = outputWidth;
  std::int64_t height = outputHeight;
  if (std::int64_t{outputWidth} * frameHeight > std::int64_t{outputHeight} * frameWidth) {
    width = height * frameWidth / frameHeight;
  } else {
    height = width * frameHeight / frameWidth;
  }
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  return SDL_Rect{(outputWidth - w) / 2, (outputHeight - h) / 2, w, h};
}

// Target pixel t samples the enlarged picture (frameSize x wholeScale wide) at
// its centre, (t + 1/2) x enlarged / targetSize - 1/2, worked out exactly in
// units of 1 / (2 x targetSize). Between two enlarged pixels of the same game
// pixel nothing is blended; only a sample that falls between two game pixels
// mixes them. The whole scale reaches the target size, so samples never fall
// before the first pixel.
void FrameScaler::Axis::Prepare(int frameSize, int targetSize, int wholeScale) {
  taps.assign(static_cast<std::size_t>(targetSize), Tap{0, 0});
  firstReached.assign(static_cast<std::size_t>(frameSize), targetSize);
  lastReached.assign(static_cast<std::size_t>(frameSize), -1);
  const std::int64_t enlarged = std::int64_t{frameSize} * wholeScale;
  const std::int64_t unit = 2 * std::int64_t{targetSize};
  for (int t = 0; t < targetSize; ++t) {
    const std::int64_t at = (2 * std::int64_t{t} + 1) * enlarged - targetSize;
    const std::int64_t pixel = at / unit;
    const std::int64_t next = std::min(pixel + 1, enlarged - 1);
    Tap tap{static_cast<int>(pixel / wholeScale), 0};
    if (next / wholeScale != tap.from) {
      tap.next = static_cast<unsigned>(at % unit * 256 / unit);
    }
    taps[static_cast<std::size_t>(t)] = tap;
    const int last = tap.next != 0 ? tap.from + 1 : tap.from;
    for (int f = tap.from; f <= last; ++f) {
      auto i = static_cast<std::size_t>(f);
      firstReached[i] = std::min(firstReached[i], t);
      lastReached[i] = std::max(lastReached[i], t);
    }
  }
}

void FrameScaler::Prepare(const SDL_Surface& target, int frameWidth, int frameHeight,
                          ScaleMode mode) {
  Prepare(target.w, target.h, *target.format, frameWidth, frameHeight, mode);
}

void FrameScaler::Prepare(int width, int height, const SDL_PixelFormat& f, int frameWidth,
                          int frameHeight, ScaleMode mode) {
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  placement_ = mode == ScaleMode::kSmooth ? FillRect(width, height, frameWidth, frameHeight)
                                          : PresentRect(width, height, frameWidth, frameHeight);
  scale_ = frameWidth > 0 ? placement_.w / frameWidth : 0;
  if (scale_ * frameWidth != placement_.w || scale_ * frameHeight != placement_.h) scale_ = 0;
  bytesPerPixel_ = f.BytesPerPixel;
  filters_ = mode == ScaleMode::kSmooth && scale_ == 0 && placement_.w > 0 && CanFilterTo(f);
  converts_ = (scale_ > 0 || filters_) && CanConvertTo(f);
  row_.clear();
  if (filters_) {
    // The smallest whole scale that reaches the area on both sides.
    const int whole = std::max({1, (placement_.w + frameWidth - 1) / frameWidth,
                                (placement_.h + frameHeight - 1) / frameHeight});
    columns_.Prepare(frameWidth, placement_.w, whole);
    rows_.Prepare(frameHeight, placement_.h, whole);
    row_.assign(static_cast<std::size_t>(frameWidth), 0);
    for (std::vector<std::uint32_t>& line : lines_)
      line.assign(static_cast<std::size_t>(placement_.w), 0);
  }
  xrgb_ = converts_ && IsXrgb8888(f);
  alpha_ = f.Amask;
  if (converts_) tables_.Prepare(f);
}

SDL_Rect FrameScaler::Reach(const SDL_Rect& part) const {
  if (filters_) {
    if (part.w <= 0 || part.h <= 0) return SDL_Rect{0, 0, 0, 0};
    const int left = columns_.firstReached[static_cast<std::size_t>(part.x)];
    const int right = columns_.lastReached[static_cast<std::size_t>(part.x + part.w - 1)];
    const int top = rows_.firstReached[static_cast<std::size_t>(part.y)];
    const int bottom = rows_.lastReached[static_cast<std::size_t>(part.y + part.h - 1)];
    return SDL_Rect{placement_.x + left, placement_.y + top, right - left + 1, bottom - top + 1};
  }
  if (scale_ == 0) return placement_;
  return SDL_Rect{placement_.x + part.x * scale_, placement_.y + part.y * scale_, part.w * scale_,
                  part.h * scale_};
}

SDL_Rect FrameScaler::Draw(const std::uint16_t* frame, const SDL_Rect& part, SDL_Surface* target,
                           int firstRow, int firstColumn) {
  if (filters_) return DrawFiltered(frame, part, target, firstRow, firstColumn);
  if (!converts_) return DrawThroughSdl(frame, part, target, firstRow, firstColumn);
  const SDL_Rect where = Reach(part);
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return SDL_Rect{0, 0, 0, 0};
  if (bytesPerPixel_ == 4) {
    DrawConverted<std::uint32_t>(frame, part, where, target, firstRow, firstColumn);
  } else {
    DrawConverted<std::uint16_t>(frame, part, where, target, firstRow, firstColumn);
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  return where;
}

// Each frame row is converted once into the first of its target rows, each
// pixel repeated `scale_` times; the other rows of the square are copies.
template <typename Pixel>
void FrameScaler::DrawConverted(const std::uint16_t* frame, const SDL_Rect& part,
                                const SDL_Rect& where, SDL_Surface* target, int firstRow,
                                int firstColumn) const {
  auto* base = static_cast<std::uint8_t*>(target->pixels);
  const std::size_t rowBytes = static_cast<std::size_t>(where.w) * sizeof(Pixel);
  for (int row = 0; row < part.h; ++row) {
    const std::uint16_t* from = frame + std::ptrdiff_t{part.y + row} * frameWidth_ + part.x;
    std::uint8_t* first = base + std::ptrdiff_t{where.y + row * scale_ - firstRow} * target->pitch +
                          std::ptrdiff_t{where.x - firstColumn} * std::ptrdiff_t{sizeof(Pixel)};
    ConvertRow(from, part.w, reinterpret_cast<Pixel*>(first));
    for (int copy = 1; copy < scale_; ++copy) {
      std::memcpy(first + std::ptrdiff_t{copy} * target->pitch, first, rowBytes);
    }
  }
}

template <typename Pixel>
void FrameScaler::ConvertRow(const std::uint16_t* from, int width, Pixel* to) const {
  if constexpr (sizeof(Pixel) == 4) {
    if (xrgb_) {
      ConvertRowXrgb(from, width, to);
      return;
    }
  }
  if (scale_ == 1) {
    for (int x = 0; x < width; ++x) to[x] = static_cast<Pixel>(Convert(from[x]));
    return;
  }
  for (int x = 0; x < width; ++x) {
    const auto pixel = static_cast<Pixel>(Convert(from[x]));
    for (int i = 0; i < scale_; ++i) *to++ = pixel;
  }
}

void FrameScaler::ConvertRowXrgb(const std::uint16_t* from, int width, std::uint32_t* to) const {
  if (scale_ == 1) {
    ToXrgb8888Run(from, width, alpha_, to);
    return;
  }
  // Enlarged: a stretch of the row converted at once to one side, then each
  // pixel repeated across its square's width.
  std::array<std::uint32_t, 64> converted{};
  const int stretch = static_cast<int>(converted.size());
  for (int x = 0; x < width; x += stretch) {
    const int count = std::min(stretch, width - x);
    ToXrgb8888Run(from + x, count, alpha_, converted.data());
    for (int i = 0; i < count; ++i) {
      for (int copy = 0; copy < scale_; ++copy) *to++ = converted[static_cast<std::size_t>(i)];
    }
  }
}

// Every target pixel the part reaches is worked out from the frame. Each
// frame row is converted to the target's format and stretched across once,
// into a line of its own; a target row is such a line, or a copy of the row
// above it, or two lines mixed.
SDL_Rect FrameScaler::DrawFiltered(const std::uint16_t* frame, const SDL_Rect& part,
                                   SDL_Surface* target, int firstRow, int firstColumn) {
  if (part.w <= 0 || part.h <= 0) return SDL_Rect{0, 0, 0, 0};
  const SDL_Rect where = Reach(part);
  const int left = where.x - placement_.x;
  const int right = left + where.w - 1;
  const int top = where.y - placement_.y;
  const int bottom = top + where.h - 1;
  const std::size_t rowBytes = static_cast<std::size_t>(where.w) * 4;
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return SDL_Rect{0, 0, 0, 0};
  auto* base =
      static_cast<std::uint8_t*>(target->pixels) + std::ptrdiff_t{where.x - firstColumn} * 4;
  StretchedRows lines;
  for (int t = top; t <= bottom; ++t) {
    const Tap& down = rows_.taps[static_cast<std::size_t>(t)];
    auto* to = base + std::ptrdiff_t{placement_.y + t - firstRow} * target->pitch;
    if (down.next == 0) {
      std::memcpy(to,
                  t > top && SameAsRowAbove(t)
                      ? to - target->pitch
                      : static_cast<const void*>(Stretched(frame, down.from, left, right, lines)),
                  rowBytes);
      continue;
    }
    // One after the other: the second may take the place of a line the first kept.
    const std::uint32_t* upper = Stretched(frame, down.from, left, right, lines);
    const std::uint32_t* lower = Stretched(frame, down.from + 1, left, right, lines);
    MixRun(upper, lower, down.next, where.w, reinterpret_cast<std::uint32_t*>(to));
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  return where;
}

// Target row `t` (below the first one drawn) takes the same frame row, unmixed,
// as the row above it.
bool FrameScaler::SameAsRowAbove(int t) const {
  const Tap& above = rows_.taps[static_cast<std::size_t>(t - 1)];
  const Tap& down = rows_.taps[static_cast<std::size_t>(t)];
  return above.next == 0 && above.from == down.from;
}

// Frame row `frameRow` stretched across target columns left..right: one of
// the two lines when it is there already, else made in the older one's place.
// Only the frame columns those target columns take from are converted, into
// a single row: a whole converted frame would take twice the frame's own
// memory (1.2 MB) and save no conversion, as each row is stretched only once.
const std::uint32_t* FrameScaler::Stretched(const std::uint16_t* frame, int frameRow, int left,
                                            int right, StretchedRows& lines) {
  for (int i = 0; i < 2; ++i) {
    if (lines.row[i] == frameRow) return lines_[i].data();
  }
  const int i = lines.older;
  lines.older = 1 - lines.older;
  lines.row[i] = frameRow;
  const int first = columns_.taps[static_cast<std::size_t>(left)].from;
  const int last =
      std::min(frameWidth_ - 1, columns_.taps[static_cast<std::size_t>(right)].from + 1);
  const std::uint16_t* source = frame + std::ptrdiff_t{frameRow} * frameWidth_;
  std::uint32_t* from = row_.data();
  if (xrgb_) {
    ToXrgb8888Run(source + first, last - first + 1, alpha_, from + first);
  } else {
    for (int x = first; x <= last; ++x) from[x] = Convert(source[x]);
  }
  std::uint32_t* to = lines_[i].data();
  for (int c = left; c <= right; ++c) {
    const Tap& across = columns_.taps[static_cast<std::size_t>(c)];
    const std::uint32_t pixel = from[across.from];
    to[c - left] = across.next == 0 ? pixel : Mix(pixel, from[across.from + 1], across.next);
  }
  return to;
}

// The unusual targets: SDL converts and stretches, nearest pixel, and a target
// smaller than the frame gets the whole frame each time.
SDL_Rect FrameScaler::DrawThroughSdl(const std::uint16_t* frame, const SDL_Rect& part,
                                     SDL_Surface* target, int firstRow, int firstColumn) const {
  const OwnedSurface source(SdlMade(
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint16_t*>(frame), frameWidth_,
                                         frameHeight_, 16, frameWidth_ * 2, SDL_PIXELFORMAT_RGB565),
      "SDL_CreateRGBSurfaceWithFormatFrom(frame)", Repeats::kLogOnce));
  if (source == nullptr) return SDL_Rect{0, 0, 0, 0};
  const SDL_Rect from = scale_ == 0 ? SDL_Rect{0, 0, frameWidth_, frameHeight_} : part;
  const SDL_Rect where = Reach(part);
  SDL_Rect drawn{where.x - firstColumn, where.y - firstRow, where.w, where.h};  // SDL may clip it
  // A blit that fails leaves the window's last picture there, which is put as it is.
  (void)SdlDone(SDL_BlitScaled(source.get(), &from, target, &drawn), "SDL_BlitScaled",
                Repeats::kLogOnce);
  return where;
}

}  // namespace platform
