// A picture of 16-bit RGB565 pixels, rows top to bottom with nothing between
// them: what a DirectDraw-shaped surface holds (ddraw.h), and what a flip
// hands to the video output (video.h). A host that shows it wraps these
// pixels in whatever its own library calls a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win32/win32.h"

namespace platform {

class PixelBuffer {
 public:
  // All black. Throws std::bad_alloc when the memory cannot be had; a
  // negative side counts as 0.
  PixelBuffer(int width, int height);

  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }
  // Bytes from the start of one row to the start of the next.
  [[nodiscard]] int Pitch() const { return width_ * 2; }
  [[nodiscard]] RECT Whole() const { return RECT{0, 0, width_, height_}; }

  [[nodiscard]] std::uint16_t* Row(std::int64_t y) { return pixels_.data() + y * width_; }
  [[nodiscard]] const std::uint16_t* Row(std::int64_t y) const {
    return pixels_.data() + y * width_;
  }
  [[nodiscard]] std::uint16_t* Data() { return pixels_.data(); }
  [[nodiscard]] const std::uint16_t* Data() const { return pixels_.data(); }

  // The part of `area` on the picture in one colour.
  void Fill(const RECT& area, std::uint16_t colour);
  void Fill(std::uint16_t colour) { Fill(Whole(), colour); }

 private:
  int width_;
  int height_;
  std::vector<std::uint16_t> pixels_;
};

// The part of `area` inside a picture of width x height; 0, 0, 0, 0 when no
// part is. Worked out in 64 bits, so that an area far off the picture cannot
// overflow.
RECT CropTo(const RECT& area, int width, int height);

[[nodiscard]] inline bool IsEmpty(const RECT& r) {
  return r.left >= r.right || r.top >= r.bottom;
}

}  // namespace platform
