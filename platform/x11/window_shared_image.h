// The window surface on an X server, kept in memory shared with the server,
// and parts of it put on the window without waiting for the server's answer.
//
// SDL's own window surface is shared the same way, but every update of it
// waits for the server to answer that it has taken the picture: a round trip,
// and on the title screen a second wake-up for every frame, which costs more
// than the frame itself. Here the request is sent and the game goes on.
//
// The memory is not the whole window (3 MB at 1024 x 768, 8 MB on a full HD
// screen) but a strip of its width and about a megabyte: each part is drawn
// into the strip's next free rows, going round, and put from there at its
// place on the window. Parts narrower than the window go side by side in the
// same rows while they fit: the title's balloons, enlarged for a full HD
// screen, would otherwise take twice the strip's rows each frame, and the
// game would wait for the server twice a frame. Measured side by side at
// 1920 x 1080 (perf stat, 15 s windows, three alternated pairs, load 15 to
// 26): the title 0.41 % of a core against 0.49 %, the game's context
// switches 28 a second against 62, peak memory the same.
// Rows of an earlier frame are drawn over only after going round the strip,
// long after the server has copied them; a frame whose parts go round the
// strip more than once (the window painted whole) waits for the server before
// it draws over rows of its own.
//
// Where the server cannot share memory (a remote display) Open fails and the
// caller keeps SDL's window surface.
//
// Measured against SDL's window surface and SDL's wait, the game otherwise the
// same (scripts/measure.sh, interleaved runs of 20 s, medians of 5 or 6, on a
// machine shared with other builds at a load of 11 to 20, CPU counted in
// steps of 0.05 % and single runs spread by 0.15 %): peak memory 23.8 MB
// against 31.2 MB at 1920 x 1080 (24 MB either way at 640 x 480); the title
// screen 0.43 % of a core against 0.53 % at 640 x 480, the rest the same
// within the spread.
#pragma once

#include <SDL.h>

#include <memory>

namespace platform {

class WindowSharedImage {
 public:
  WindowSharedImage();
  WindowSharedImage(const WindowSharedImage&) = delete;
  WindowSharedImage& operator=(const WindowSharedImage&) = delete;
  ~WindowSharedImage();

  // The window to show frames in; null (or a window not on an X server that
  // shares memory) closes.
  void Watch(SDL_Window* window);
  [[nodiscard]] bool Watching() const { return display_ != nullptr; }
  // The strip for a window of width x height, in the window's own pixel
  // format, made anew when the size changes; null when none can be had.
  // Owned here.
  SDL_Surface* Surface(int width, int height);
  // The strip's rows: the window's height, or a megabyte's worth if fewer.
  [[nodiscard]] int Rows() const;
  // Where in the strip a part `columns` wide and `rows` (at most Rows()) high
  // is free to be drawn: beside the part before it when it fits there.
  SDL_Point Stage(int columns, int rows);
  // Puts the window's rectangle `part`, drawn in the strip from `from` on.
  // False when there is no surface to put.
  [[nodiscard]] bool PutFrom(const SDL_Rect& part, SDL_Point from);
  // Sends what was put; the frame's parts are done.
  void FrameDone();

 private:
  bool Make(int width, int height);
  void Drop();

  void* display_ = nullptr;  // the X connection
  unsigned long window_ = 0;
  void* gc_ = nullptr;
  void* visual_ = nullptr;
  int depth_ = 0;
  struct Image;
  std::unique_ptr<Image> image_;
  int windowHeight_ = 0;
  int nextRow_ = 0;        // where the next shelf of parts goes
  int rowsThisFrame_ = 0;  // the strip's rows taken since the frame began
  // The rows the last parts were drawn in, side by side, and the first column
  // still free there.
  int shelfRow_ = 0;
  int shelfRows_ = 0;
  int shelfColumn_ = 0;
  bool shelfThisFrame_ = false;  // its rows are counted in rowsThisFrame_
  bool refused_ = false;         // the server would not share memory: not asked again
};

}  // namespace platform
