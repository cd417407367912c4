#include "platform/frame_scaler.h"

#include <cstring>

#include "platform/sdl_video.h"

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

}  // namespace

void FrameScaler::Prepare(const SDL_Surface& target, int frameWidth, int frameHeight) {
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  placement_ = PresentRect(target.w, target.h, frameWidth, frameHeight);
  scale_ = frameWidth > 0 ? placement_.w / frameWidth : 0;
  if (scale_ * frameWidth != placement_.w) scale_ = 0;
  const SDL_PixelFormat& f = *target.format;
  bytesPerPixel_ = f.BytesPerPixel;
  converts_ = scale_ > 0 && CanConvertTo(f);
  if (!converts_) return;
  for (unsigned byte = 0; byte < 256; ++byte) {
    // Low byte: blue and the lower three bits of green; high byte: red and
    // the upper three of green, whose top two also fill green's lowest bits.
    const unsigned blue = Widen5(byte & 31);
    const unsigned greenLow = (byte >> 5) << 2;
    const unsigned red = Widen5(byte >> 3);
    const unsigned greenHigh = (byte & 7) << 5 | (byte & 7) >> 1;
    low_[byte] = Place(blue, f.Bmask) | Place(greenLow, f.Gmask) | f.Amask;
    high_[byte] = Place(red, f.Rmask) | Place(greenHigh, f.Gmask);
  }
}

SDL_Rect FrameScaler::Draw(const std::uint16_t* frame, const SDL_Rect& part,
                           SDL_Surface* target) const {
  if (!converts_) return DrawThroughSdl(frame, part, target);
  const SDL_Rect where{placement_.x + part.x * scale_, placement_.y + part.y * scale_,
                       part.w * scale_, part.h * scale_};
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return SDL_Rect{0, 0, 0, 0};
  if (bytesPerPixel_ == 4) {
    DrawConverted<std::uint32_t>(frame, part, where, target);
  } else {
    DrawConverted<std::uint16_t>(frame, part, where, target);
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  return where;
}

// Each frame row is converted once into the first of its target rows, each
// pixel repeated `scale_` times; the other rows of the square are copies.
template <typename Pixel>
void FrameScaler::DrawConverted(const std::uint16_t* frame, const SDL_Rect& part,
                                const SDL_Rect& where, SDL_Surface* target) const {
  auto* base = static_cast<std::uint8_t*>(target->pixels);
  const std::size_t rowBytes = static_cast<std::size_t>(where.w) * sizeof(Pixel);
  for (int row = 0; row < part.h; ++row) {
    const std::uint16_t* from = frame + std::ptrdiff_t{part.y + row} * frameWidth_ + part.x;
    std::uint8_t* first =
        base + std::ptrdiff_t{where.y + row * scale_} * target->pitch + where.x * sizeof(Pixel);
    auto* to = reinterpret_cast<Pixel*>(first);
    if (scale_ == 1) {
      for (int x = 0; x < part.w; ++x) {
        to[x] = static_cast<Pixel>(low_[from[x] & 0xFF] | high_[from[x] >> 8]);
      }
    } else {
      for (int x = 0; x < part.w; ++x) {
        const auto pixel = static_cast<Pixel>(low_[from[x] & 0xFF] | high_[from[x] >> 8]);
        for (int i = 0; i < scale_; ++i) *to++ = pixel;
      }
    }
    for (int copy = 1; copy < scale_; ++copy) {
      std::memcpy(first + std::ptrdiff_t{copy} * target->pitch, first, rowBytes);
    }
  }
}

// The unusual targets: SDL converts and stretches, nearest pixel, and a target
// smaller than the frame gets the whole frame each time.
SDL_Rect FrameScaler::DrawThroughSdl(const std::uint16_t* frame, const SDL_Rect& part,
                                     SDL_Surface* target) const {
  SDL_Surface* source =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint16_t*>(frame), frameWidth_,
                                         frameHeight_, 16, frameWidth_ * 2, SDL_PIXELFORMAT_RGB565);
  if (source == nullptr) return SDL_Rect{0, 0, 0, 0};
  SDL_Rect from = part;
  SDL_Rect where{placement_.x + part.x * scale_, placement_.y + part.y * scale_, part.w * scale_,
                 part.h * scale_};
  if (scale_ == 0) {
    from = SDL_Rect{0, 0, frameWidth_, frameHeight_};
    where = placement_;
  }
  SDL_Rect drawn = where;  // SDL may clip it
  SDL_BlitScaled(source, &from, target, &drawn);
  SDL_FreeSurface(source);
  return where;
}

}  // namespace platform
