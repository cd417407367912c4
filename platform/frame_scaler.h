// Puts the game's 640 x 480 RGB565 frame into a window's own surface, in the
// window's pixel format, at the largest whole-number scale that fits, centred,
// each game pixel a solid square (no smoothing). Parts of the frame can be
// put on their own, so that only what changed is redrawn.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

namespace platform {

class FrameScaler {
 public:
  // Makes ready for frames of frameWidth x frameHeight on `target`, whose size
  // and format it takes; again whenever those change.
  void Prepare(const SDL_Surface& target, int frameWidth, int frameHeight);

  // Where the whole frame goes on the target (see PresentRect).
  const SDL_Rect& Placement() const { return placement_; }

  // Draws `part` of `frame` (RGB565, frameWidth pixels a row, no padding) in
  // its place on `target` and returns the target's rectangle it covered. A
  // target smaller than the frame always gets the whole frame, shrunk.
  SDL_Rect Draw(const std::uint16_t* frame, const SDL_Rect& part, SDL_Surface* target) const;

 private:
  template <typename Pixel>
  void DrawConverted(const std::uint16_t* frame, const SDL_Rect& part, const SDL_Rect& where,
                     SDL_Surface* target) const;
  SDL_Rect DrawThroughSdl(const std::uint16_t* frame, const SDL_Rect& part,
                          SDL_Surface* target) const;

  int frameWidth_ = 0;
  int frameHeight_ = 0;
  int scale_ = 0;  // 0: the target is smaller than the frame
  int bytesPerPixel_ = 0;
  bool converts_ = false;  // false: SDL's own blitter does the work
  SDL_Rect placement_{0, 0, 0, 0};
  // A target pixel is low_[p & 0xFF] | high_[p >> 8] for a frame pixel p: each
  // byte of an RGB565 pixel feeds whole bits of the channels it holds.
  std::array<std::uint32_t, 256> low_{};
  std::array<std::uint32_t, 256> high_{};
};

}  // namespace platform
