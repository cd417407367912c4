#include "platform/win32/dirty_rects.h"

#include <algorithm>

#include "platform/win32/pixel_buffer.h"

namespace platform {

namespace {

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

void DirtyRects::Add(const RECT& area) {
  if (IsEmpty(area)) return;
  for (const RECT& noted : rects_) {
    if (Contains(noted, area)) return;
  }
  std::erase_if(rects_, [&](const RECT& noted) { return Contains(area, noted); });
  if (rects_.size() < kMost) {
    rects_.push_back(area);
    return;
  }
  RECT around = area;
  for (const RECT& noted : rects_) {
    around = RECT{std::min(around.left, noted.left), std::min(around.top, noted.top),
                  std::max(around.right, noted.right), std::max(around.bottom, noted.bottom)};
  }
  rects_.assign(1, around);
}

}  // namespace platform
