#include "tests/support/headless/offscreen_video.h"

#include <cstddef>

#include "tests/support/headless/png_files.h"

namespace platform {

bool CaptureVideo::Open(int width, int height) {
  if (openFails_) return false;
  if (!frame_ || frame_->Width() != width || frame_->Height() != height) {
    frame_.emplace(width, height);
    framesPresented_ = 0;
  }
  open_ = true;
  return open_;
}

// Kept as a copy: the surface's pixels change with the next frame drawn.
void CaptureVideo::Present(const PixelBuffer& frame) {
  if (!open_ || frame.Width() != frame_->Width() || frame.Height() != frame_->Height()) return;
  *frame_ = frame;
  ++framesPresented_;
  Pace();
}

void CaptureVideo::Close() {
  open_ = false;
}

void CaptureVideo::Pace() {
  if (pacingClock_ == nullptr) return;
  // Whole milliseconds that add up to exactly one second every 60 frames.
  const std::int64_t before = pacedFrames_ * 1000 / 60;
  ++pacedFrames_;
  pacingClock_->Advance(pacedFrames_ * 1000 / 60 - before);
}

bool CaptureVideo::SaveLastFramePng(const std::string& path) const {
  const PixelBuffer* frame = LastFrame();
  if (frame == nullptr) return false;
  return WritePngFile(path, RgbFromRgb565(*frame, frame->Whole()));
}

formats::RgbImage RgbFromRgb565(const PixelBuffer& pixels, const RECT& area) {
  const RECT part = CropTo(area, pixels.Width(), pixels.Height());
  formats::RgbImage image;
  if (IsEmpty(part)) return image;
  image.width = part.right - part.left;
  image.height = part.bottom - part.top;
  image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height * 3);
  for (int y = part.top; y < part.bottom; ++y) {
    const std::uint16_t* row = pixels.Row(y);
    for (int x = part.left; x < part.right; ++x) {
      const unsigned red = row[x] >> 11, green = (row[x] >> 5) & 63, blue = row[x] & 31;
      image.pixels.push_back(static_cast<std::uint8_t>(red << 3 | red >> 2));
      image.pixels.push_back(static_cast<std::uint8_t>(green << 2 | green >> 4));
      image.pixels.push_back(static_cast<std::uint8_t>(blue << 3 | blue >> 2));
    }
  }
  return image;
}

}  // namespace platform
