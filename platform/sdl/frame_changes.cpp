#include "platform/sdl/frame_changes.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

#include "platform/win32/pixel_buffer.h"

namespace platform {

void FrameChanges::Reset(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  shown_.assign(static_cast<std::size_t>(width_) * height_, 0);
  changed_.clear();
  changed_.reserve(kMostBands);
  known_ = false;
  shownSurface_ = 0;
  shownFlip_ = 0;
  written_.assign(static_cast<std::size_t>(height_), Span{0, 0});
}

namespace {

// A changed row is looked at in steps of sixteen pixels, all of it in one
// pass without early exits, which is quicker than scanning from both ends.
constexpr int kStep = 16;

bool StepDiffers(const std::uint16_t* a, const std::uint16_t* b) {
  std::uint64_t wa[4];
  std::uint64_t wb[4];
  std::memcpy(wa, a, sizeof wa);
  std::memcpy(wb, b, sizeof wb);
  return ((wa[0] ^ wb[0]) | (wa[1] ^ wb[1]) | (wa[2] ^ wb[2]) | (wa[3] ^ wb[3])) != 0;
}

// The part of two rows that differ, from the first pixel that differs to one
// past the last; the rows are known to differ somewhere.
std::pair<int, int> DifferingPart(const std::uint16_t* a, const std::uint16_t* b, int width) {
  const int whole = width - width % kStep;
  int firstStep = -1;
  int lastStep = -1;
  for (int x = 0; x < whole; x += kStep) {
    if (StepDiffers(a + x, b + x)) {
      if (firstStep < 0) firstStep = x;
      lastStep = x;
    }
  }
  // Then pixel by pixel inside the steps found, and in the few pixels after
  // the last whole step. Each scan stops at a pixel known to differ.
  int left = firstStep >= 0 ? firstStep : whole;
  while (a[left] == b[left]) ++left;
  int right = width;
  while (right > whole && a[right - 1] == b[right - 1]) --right;
  if (right == whole) {
    right = lastStep + kStep;
    while (a[right - 1] == b[right - 1]) --right;
  }
  return {left, right};
}

}  // namespace

// memcmp finds an unchanged row fastest; only a changed one is looked at
// again for the part that changed, and only that part is copied.
FrameChanges::Span FrameChanges::CompareRow(const std::uint16_t* row, std::uint16_t* shownRow,
                                            Span within) const {
  Span span = within;
  if (known_) {
    const std::size_t bytes =
        static_cast<std::size_t>(within.right - within.left) * sizeof(std::uint16_t);
    if (std::memcmp(row + within.left, shownRow + within.left, bytes) == 0) return Span{0, 0};
    std::tie(span.left, span.right) =
        DifferingPart(row + within.left, shownRow + within.left, within.right - within.left);
    span.left += within.left;
    span.right += within.left;
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

// The frame follows the one shown straight on: the next flip of the same surface.
bool FrameChanges::FollowsShown(const FrameDirtyRects& writes) {
  const bool follows = known_ && writes.areas != nullptr && writes.surface != 0 &&
                       writes.surface == shownSurface_ && writes.flip == shownFlip_ + 1;
  shownSurface_ = writes.surface;
  shownFlip_ = writes.flip;
  return follows;
}

// For each row, one span around every area written on it.
void FrameChanges::MarkDirtyRows(const std::vector<RECT>& areas) {
  std::fill(written_.begin(), written_.end(), Span{0, 0});
  for (const RECT& written : areas) {
    const RECT area = CropTo(written, width_, height_);
    const int left = area.left;
    const int right = area.right;
    if (left >= right) continue;
    for (int y = area.top; y < area.bottom; ++y) {
      Span& row = written_[static_cast<std::size_t>(y)];
      row = row.left < row.right ? Span{std::min(row.left, left), std::max(row.right, right)}
                                 : Span{left, right};
    }
  }
}

const std::vector<SDL_Rect>& FrameChanges::Compare(const PixelBuffer& frame,
                                                   const FrameDirtyRects& writes) {
  changed_.clear();
  if (frame.Width() != width_ || frame.Height() != height_) {
    shownSurface_ = 0;  // this frame was not taken: the next one is compared whole
    return changed_;
  }
  const bool onlyDirty = FollowsShown(writes);
  if (onlyDirty) MarkDirtyRows(*writes.areas);
  for (int y = 0; y < height_; ++y) {
    const Span within = onlyDirty ? written_[static_cast<std::size_t>(y)] : Span{0, width_};
    if (within.left >= within.right) continue;
    const Span span = CompareRow(frame.Row(y), shown_.data() + std::ptrdiff_t{y} * width_, within);
    if (span.left < span.right) AddRow(y, span);
  }
  known_ = true;
  return changed_;
}

}  // namespace platform
