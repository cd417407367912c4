#include "platform/win32/written_areas.h"

#include <algorithm>

namespace platform {

namespace {

bool Contains(const SDL_Rect& outer, const SDL_Rect& inner) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

}  // namespace

void WrittenAreas::Add(const SDL_Rect& area) {
  if (area.w <= 0 || area.h <= 0) return;
  for (const SDL_Rect& noted : rects_) {
    if (Contains(noted, area)) return;
  }
  std::erase_if(rects_, [&](const SDL_Rect& noted) { return Contains(area, noted); });
  if (rects_.size() < kMost) {
    rects_.push_back(area);
    return;
  }
  SDL_Rect around = area;
  for (const SDL_Rect& noted : rects_) SDL_UnionRect(&around, &noted, &around);
  rects_.assign(1, around);
}

}  // namespace platform
