#include "platform/headless/offscreen_video.h"

#include <cstddef>
#include <cstring>

namespace platform {

CaptureVideo::~CaptureVideo() {
  SDL_FreeSurface(frame_);
}

bool CaptureVideo::Open(int width, int height) {
  if (openFails_) return false;
  if (frame_ == nullptr || frame_->w != width || frame_->h != height) {
    SDL_FreeSurface(frame_);
    frame_ = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
    framesPresented_ = 0;
  }
  open_ = frame_ != nullptr;
  return open_;
}

void CaptureVideo::Present(const SDL_Surface& frame) {
  if (!open_ || frame.w != frame_->w || frame.h != frame_->h) return;
  const auto rowBytes = static_cast<std::size_t>(frame.w) * 2;
  for (int y = 0; y < frame.h; ++y) {
    std::memcpy(static_cast<std::uint8_t*>(frame_->pixels) + std::ptrdiff_t{y} * frame_->pitch,
                static_cast<const std::uint8_t*>(frame.pixels) + std::ptrdiff_t{y} * frame.pitch,
                rowBytes);
  }
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
  const SDL_Surface* frame = LastFrame();
  if (frame == nullptr) return false;
  return WritePng(path, RgbFromRgb565(*frame, SDL_Rect{0, 0, frame->w, frame->h}));
}

RgbImage RgbFromRgb565(const SDL_Surface& pixels, const SDL_Rect& area) {
  SDL_Rect whole{0, 0, pixels.w, pixels.h};
  SDL_Rect part{};
  RgbImage image;
  if (!SDL_IntersectRect(&area, &whole, &part)) return image;
  image.width = part.w;
  image.height = part.h;
  image.pixels.reserve(static_cast<std::size_t>(part.w) * part.h * 3);
  for (int y = part.y; y < part.y + part.h; ++y) {
    const auto* row = reinterpret_cast<const std::uint16_t*>(
        static_cast<const std::uint8_t*>(pixels.pixels) + std::ptrdiff_t{y} * pixels.pitch);
    for (int x = part.x; x < part.x + part.w; ++x) {
      const unsigned red = row[x] >> 11, green = (row[x] >> 5) & 63, blue = row[x] & 31;
      image.pixels.push_back(static_cast<std::uint8_t>(red << 3 | red >> 2));
      image.pixels.push_back(static_cast<std::uint8_t>(green << 2 | green >> 4));
      image.pixels.push_back(static_cast<std::uint8_t>(blue << 3 | blue >> 2));
    }
  }
  return image;
}

}  // namespace platform
