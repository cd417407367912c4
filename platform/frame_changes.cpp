#include "platform/frame_changes.h"

#include <algorithm>
#include <cstring>

namespace platform {

void FrameChanges::Reset(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  shown_.assign(static_cast<std::size_t>(width_) * height_, 0);
  changed_.clear();
  changed_.reserve(kMostBands);
  known_ = false;
}

namespace {

// Pixels are looked at four at a time while they are the same.
std::uint64_t FourPixels(const std::uint16_t* pixels) {
  std::uint64_t four = 0;
  std::memcpy(&four, pixels, sizeof four);
  return four;
}

// The first pixel from the left where the rows differ; `width` if none does.
int FirstDifference(const std::uint16_t* a, const std::uint16_t* b, int width) {
  int x = 0;
  while (x + 4 <= width && FourPixels(a + x) == FourPixels(b + x)) x += 4;
  while (x < width && a[x] == b[x]) ++x;
  return x;
}

// One past the last pixel where the rows differ, looking no further left than
// `left`, a pixel known to differ.
int EndOfDifference(const std::uint16_t* a, const std::uint16_t* b, int left, int width) {
  int end = width;
  while (end - 4 > left && FourPixels(a + end - 4) == FourPixels(b + end - 4)) end -= 4;
  while (end - 1 > left && a[end - 1] == b[end - 1]) --end;
  return end;
}

}  // namespace

// memcmp finds an unchanged row fastest; only a changed one is looked at
// again for the part that changed, and only that part is copied.
FrameChanges::Span FrameChanges::CompareRow(const std::uint16_t* row,
                                            std::uint16_t* shownRow) const {
  Span span{0, width_};
  if (known_) {
    const std::size_t bytes = static_cast<std::size_t>(width_) * sizeof(std::uint16_t);
    if (std::memcmp(row, shownRow, bytes) == 0) return Span{0, 0};
    span.left = FirstDifference(row, shownRow, width_);
    span.right = EndOfDifference(row, shownRow, span.left, width_);
  }
  std::memcpy(shownRow + span.left, row + span.left,
              static_cast<std::size_t>(span.right - span.left) * sizeof(std::uint16_t));
  return span;
}

// Changed rows that follow each other make one band, as wide as all of them.
void FrameChanges::AddRow(int y, Span span) {
  if (!changed_.empty()) {
    SDL_Rect& last = changed_.back();
    const bool adjoining = last.y + last.h == y;
    if (adjoining || static_cast<int>(changed_.size()) == kMostBands) {
      const int left = std::min(last.x, span.left);
      const int right = std::max(last.x + last.w, span.right);
      last = SDL_Rect{left, last.y, right - left, y + 1 - last.y};
      return;
    }
  }
  changed_.push_back(SDL_Rect{span.left, y, span.right - span.left, 1});
}

const std::vector<SDL_Rect>& FrameChanges::Compare(const SDL_Surface& frame) {
  changed_.clear();
  if (frame.w != width_ || frame.h != height_ || frame.pixels == nullptr) return changed_;
  const auto* pixels = static_cast<const std::uint8_t*>(frame.pixels);
  for (int y = 0; y < height_; ++y) {
    const auto* row =
        reinterpret_cast<const std::uint16_t*>(pixels + std::ptrdiff_t{y} * frame.pitch);
    const Span span = CompareRow(row, shown_.data() + std::ptrdiff_t{y} * width_);
    if (span.left < span.right) AddRow(y, span);
  }
  known_ = true;
  return changed_;
}

}  // namespace platform
