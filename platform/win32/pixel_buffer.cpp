#include "platform/win32/pixel_buffer.h"

#include <algorithm>

namespace platform {

PixelBuffer::PixelBuffer(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0) {}

void PixelBuffer::Fill(const RECT& area, std::uint16_t colour) {
  const RECT part = CropTo(area, width_, height_);
  for (int y = part.top; y < part.bottom; ++y) {
    std::fill(Row(y) + part.left, Row(y) + part.right, colour);
  }
}

RECT CropTo(const RECT& area, int width, int height) {
  const std::int64_t left = std::max<std::int64_t>(area.left, 0);
  const std::int64_t top = std::max<std::int64_t>(area.top, 0);
  const std::int64_t right = std::min<std::int64_t>(area.right, width);
  const std::int64_t bottom = std::min<std::int64_t>(area.bottom, height);
  if (left >= right || top >= bottom) return RECT{0, 0, 0, 0};
  return RECT{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
              static_cast<int>(bottom)};
}

}  // namespace platform
