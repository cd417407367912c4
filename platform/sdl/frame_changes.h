// The frame last put on the screen, kept so that the next one can be compared
// with it. The game redraws the whole screen every turn of its loop, but most
// of those frames are the same as the one before (the title's balloons move
// twelve times a second, a falling piece once a second); only the parts that
// differ need to go to the window, and a frame that is the same needs nothing.
//
// Measured against sending every frame whole (scripts/measure.sh, five
// interleaved runs of 20 s each way on a machine shared with other builds,
// load 10 to 20, medians): the title screen takes 0.30 % of a core against
// 0.65 %, a running game 0.20 % against 0.60 % at 640 x 480; at 1920 x 1080,
// 0.45 % against 5.0 % and 0.25 % against 3.75 %. Memory and the first frame
// do not change beyond their spread between runs.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/win32/video.h"

namespace platform {

class FrameChanges {
 public:
  // Above this many separate bands the rest are merged into the last one:
  // each band is one upload, and many small ones cost more than a big one.
  static constexpr int kMostBands = 16;

  // Forgets the frame shown: the next Compare finds the whole frame changed.
  void Reset(int width, int height);

  // Compares `frame` (the size given to Reset) with the frame shown,
  // row by row, makes it the frame shown, and returns the rectangles that
  // changed, top to bottom, none when the frames are the same. Told what was
  // written since the flip of the frame shown, it looks only there; told of
  // any other flip, or of none, it looks at the whole frame.
  const std::vector<SDL_Rect>& Compare(const PixelBuffer& frame,
                                       const FrameDirtyRects& writes = {});

  // The frame shown (RGB565, `Width()` pixels a row, no padding).
  [[nodiscard]] const std::uint16_t* Shown() const { return shown_.data(); }
  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }

 private:
  struct Span {
    int left;
    int right;  // exclusive; left == right when the row did not change
  };
  Span CompareRow(const std::uint16_t* row, std::uint16_t* shownRow, Span within) const;
  void AddRow(int y, Span span);
  bool FollowsShown(const FrameDirtyRects& writes);
  void MarkDirtyRows(const std::vector<RECT>& areas);

  int width_ = 0;
  int height_ = 0;
  bool known_ = false;  // false until the first frame, and after Reset
  std::vector<std::uint16_t> shown_;
  std::vector<SDL_Rect> changed_;
  std::uint64_t shownSurface_ = 0;  // the flip the frame shown came from
  std::uint64_t shownFlip_ = 0;
  std::vector<Span> written_;  // for each row, the part written since that flip
};

}  // namespace platform
