#include "platform/sdl/frame_changes.h"

#include <algorithm>
#include <cstring>

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
}

namespace {

// A changed row is looked at in steps of sixteen pixels, all of it in one
// pass, each step without early exits.
constexpr int kStep = 16;
// Two changed pixels in neighbouring changed steps are less than kApart
// apart, so only the gaps of whole unchanged steps need measuring.
static_assert(FrameChanges::kApart >= 2 * kStep);

bool StepDiffers(const std::uint16_t* a, const std::uint16_t* b) {
  std::uint64_t wa[4];
  std::uint64_t wb[4];
  std::memcpy(wa, a, sizeof wa);
  std::memcpy(wb, b, sizeof wb);
  return ((wa[0] ^ wb[0]) | (wa[1] ^ wb[1]) | (wa[2] ^ wb[2]) | (wa[3] ^ wb[3])) != 0;
}

}  // namespace

// A run of changed pixels, left to right along the row: it joins the run
// before it when the gap between them is narrow.
void FrameChanges::AddRun(Span run) {
  if (!runs_.empty() && run.left - runs_.back().right < kApart) {
    runs_.back().right = run.right;
    return;
  }
  runs_.push_back(run);
}

// Pixels from..to (exclusive) of a row hold changes at both ends' steps: they
// are narrowed to the pixels that differ at the two ends, and copied.
void FrameChanges::AddStretch(const std::uint16_t* row, std::uint16_t* shownRow, int from, int to) {
  while (row[from] == shownRow[from]) ++from;
  while (row[to - 1] == shownRow[to - 1]) --to;
  std::memcpy(shownRow + from, row + from, static_cast<std::size_t>(to - from) * 2);
  AddRun(Span{from, to});
}

// Steps that differ one after the other make a stretch; the pixels after the
// last whole step count as one more step.
void FrameChanges::FindRuns(const std::uint16_t* row, std::uint16_t* shownRow, Span within) {
  const int whole = within.left + (within.right - within.left) / kStep * kStep;
  int stretch = -1;
  for (int x = within.left; x < whole; x += kStep) {
    if (StepDiffers(row + x, shownRow + x)) {
      if (stretch < 0) stretch = x;
    } else if (stretch >= 0) {
      AddStretch(row, shownRow, stretch, x);
      stretch = -1;
    }
  }
  const auto tail = static_cast<std::size_t>(within.right - whole) * 2;
  if (tail > 0 && std::memcmp(row + whole, shownRow + whole, tail) != 0) {
    AddStretch(row, shownRow, stretch >= 0 ? stretch : whole, within.right);
  } else if (stretch >= 0) {
    AddStretch(row, shownRow, stretch, whole);
  }
}

// memcmp finds an unchanged span fastest; only a changed one is looked at
// again, step by step, for where it changed, and only those parts are copied.
void FrameChanges::CompareSpan(const std::uint16_t* row, std::uint16_t* shownRow, Span within) {
  const auto bytes = static_cast<std::size_t>(within.right - within.left) * 2;
  if (!known_) {
    std::memcpy(shownRow + within.left, row + within.left, bytes);
    AddRun(within);
  } else if (std::memcmp(row + within.left, shownRow + within.left, bytes) != 0) {
    FindRuns(row, shownRow, within);
  }
}

// The row's runs join the parts that reach down to the row above when they
// come near them; a run near none starts a part of its own.
void FrameChanges::AddRow(int y) {
  for (const Span& run : runs_) {
    SDL_Rect* joined = nullptr;
    for (SDL_Rect& part : changed_) {
      const int bottom = part.y + part.h;
      const bool open = bottom == y || bottom == y + 1;
      if (open && run.left - (part.x + part.w) < kApart && part.x - run.right < kApart) {
        joined = &part;
        break;
      }
    }
    if (joined == nullptr && static_cast<int>(changed_.size()) < kMostBands) {
      changed_.push_back(SDL_Rect{run.left, y, run.right - run.left, 1});
      continue;
    }
    SDL_Rect& part = joined != nullptr ? *joined : changed_.back();
    const int left = std::min(part.x, run.left);
    const int right = std::max(part.x + part.w, run.right);
    part = SDL_Rect{left, part.y, right - left, std::max(part.y + part.h, y + 1) - part.y};
  }
  runs_.clear();
}

// The frame follows the one shown straight on: the next flip of the same surface.
bool FrameChanges::FollowsShown(const FrameDirtyRects& writes) {
  const bool follows = known_ && writes.areas != nullptr && writes.surface != 0 &&
                       writes.surface == shownSurface_ && writes.flip == shownFlip_ + 1;
  shownSurface_ = writes.surface;
  shownFlip_ = writes.flip;
  return follows;
}

// Rows `top` to `bottom` (exclusive), each in the columns of spans_, which
// are in order and apart.
void FrameChanges::CompareRows(const PixelBuffer& frame, int top, int bottom) {
  for (int y = top; y < bottom; ++y) {
    std::uint16_t* shownRow = shown_.data() + std::ptrdiff_t{y} * width_;
    for (const Span& span : spans_) CompareSpan(frame.Row(y), shownRow, span);
    if (!runs_.empty()) AddRow(y);
  }
}

// The columns written in every row from `top` to `bottom` (exclusive), where
// the same areas are written, into spans_: in order, overlaps merged.
void FrameChanges::WrittenSpans(int top, int bottom) {
  spans_.clear();
  for (const RECT& area : written_) {
    if (area.top <= top && area.bottom >= bottom) spans_.push_back(Span{area.left, area.right});
  }
  std::sort(spans_.begin(), spans_.end(),
            [](const Span& a, const Span& b) { return a.left < b.left; });
  std::size_t kept = 0;
  for (const Span& span : spans_) {
    if (kept > 0 && span.left <= spans_[kept - 1].right) {
      spans_[kept - 1].right = std::max(spans_[kept - 1].right, span.right);
    } else {
      spans_[kept++] = span;
    }
  }
  spans_.resize(kept);
}

// Between two of the areas' top or bottom rows the same areas are written:
// their columns are worked out once for all those rows.
void FrameChanges::CompareWritten(const PixelBuffer& frame, const std::vector<RECT>& areas) {
  written_.clear();
  edges_.clear();
  for (const RECT& area : areas) {
    const RECT on = CropTo(area, width_, height_);
    if (IsEmpty(on)) continue;
    written_.push_back(on);
    edges_.push_back(on.top);
    edges_.push_back(on.bottom);
  }
  std::sort(edges_.begin(), edges_.end());
  edges_.erase(std::unique(edges_.begin(), edges_.end()), edges_.end());
  for (std::size_t i = 0; i + 1 < edges_.size(); ++i) {
    WrittenSpans(edges_[i], edges_[i + 1]);
    CompareRows(frame, edges_[i], edges_[i + 1]);
  }
}

const std::vector<SDL_Rect>& FrameChanges::Compare(const PixelBuffer& frame,
                                                   const FrameDirtyRects& writes) {
  changed_.clear();
  runs_.clear();
  if (frame.Width() != width_ || frame.Height() != height_) {
    shownSurface_ = 0;  // this frame was not taken: the next one is compared whole
    return changed_;
  }
  if (FollowsShown(writes)) {
    CompareWritten(frame, *writes.areas);
  } else if (width_ > 0) {
    spans_.assign(1, Span{0, width_});
    CompareRows(frame, 0, height_);
  }
  known_ = true;
  return changed_;
}

}  // namespace platform
