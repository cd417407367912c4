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
//
// Changes side by side in the same rows stay apart when a wide enough stretch
// of unchanged pixels lies between them: two of the title's balloons always
// share rows, and a part as wide as both would be scaled and sent with the
// unchanged sky between them, twice the pixels the title changes.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/win32/video.h"

namespace platform {

class FrameChanges {
 public:
  // Above this many separate parts the rest are merged into the last one:
  // each part is one upload, and many small ones cost more than a big one.
  static constexpr int kMostBands = 16;
  // Changed pixels closer than this in a row, or in the rows of a part and
  // the row below it, go in one part: a narrower gap of unchanged pixels
  // costs less to send again than an upload of its own.
  static constexpr int kApart = 32;

  // Forgets the frame shown: the next Compare finds the whole frame changed.
  void Reset(int width, int height);

  // Compares `frame` (the size given to Reset) with the frame shown,
  // row by row, makes it the frame shown, and returns rectangles that cover
  // every pixel that changed, ordered by their top row, none when the frames
  // are the same. Told what was written since the flip of the frame shown,
  // it looks only there; told of any other flip, or of none, it looks at the
  // whole frame. Either way it finds the same rectangles.
  const std::vector<SDL_Rect>& Compare(const PixelBuffer& frame,
                                       const FrameDirtyRects& writes = {});

  // The frame shown (RGB565, `Width()` pixels a row, no padding).
  [[nodiscard]] const std::uint16_t* Shown() const { return shown_.data(); }
  [[nodiscard]] int Width() const { return width_; }
  [[nodiscard]] int Height() const { return height_; }

 private:
  struct Span {
    int left;
    int right;  // exclusive
  };
  bool FollowsShown(const FrameDirtyRects& writes);
  void CompareWritten(const PixelBuffer& frame, const std::vector<RECT>& areas);
  void WrittenSpans(int top, int bottom);
  void CompareRows(const PixelBuffer& frame, int top, int bottom);
  void CompareSpan(const std::uint16_t* row, std::uint16_t* shownRow, Span within);
  void FindRuns(const std::uint16_t* row, std::uint16_t* shownRow, Span within);
  void AddStretch(const std::uint16_t* row, std::uint16_t* shownRow, int from, int to);
  void AddRun(Span run);
  void AddRow(int y);

  int width_ = 0;
  int height_ = 0;
  bool known_ = false;  // false until the first frame, and after Reset
  std::vector<std::uint16_t> shown_;
  std::vector<SDL_Rect> changed_;
  std::uint64_t shownSurface_ = 0;  // the flip the frame shown came from
  std::uint64_t shownFlip_ = 0;
  // Kept between frames so that a compare allocates nothing.
  std::vector<RECT> written_;  // the areas written, on the frame
  std::vector<int> edges_;     // their top and bottom rows, in order
  std::vector<Span> spans_;    // the columns written in the rows being compared
  std::vector<Span> runs_;     // the changed pixels of the row being compared
};

}  // namespace platform
