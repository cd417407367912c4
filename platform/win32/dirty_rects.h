// The parts of a surface written since some moment, as a few rectangles.
//
// The game redraws its whole screen every frame, but most of a frame is the
// background copied again over the same background; knowing what was drawn
// on top since lets that copy, and the comparison with the frame on the
// screen, cover only those parts. The rectangles may overlap and may cover
// more than was written, never less: past kMost they become one rectangle
// around them all.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32/win32.h"

namespace platform {

class DirtyRects {
 public:
  static constexpr std::size_t kMost = 32;

  void Clear() { rects_.clear(); }
  // An empty area is no area; one inside another already noted adds nothing.
  void Add(const RECT& area);
  [[nodiscard]] bool Empty() const { return rects_.empty(); }
  [[nodiscard]] const std::vector<RECT>& Rects() const { return rects_; }

 private:
  std::vector<RECT> rects_;
};

}  // namespace platform
