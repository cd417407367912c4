// The window's picture on an X server, kept in memory shared with the server,
// and parts of it put on the window without waiting for the server's answer.
//
// SDL's own window surface is shared the same way, but every update of it
// waits for the server to answer that it has taken the picture: a round trip,
// and on the title screen a second wake-up for every frame, which costs more
// than the frame itself. Here the request is sent and the game goes on. The
// picture in memory is written again only for the next frame, at least 1/60 s
// later, long after the server has copied it; were the server ever that far
// behind, the window would show the next frame's pixels a moment early, and
// the next put shows that frame whole anyway.
//
// Where the server cannot share memory (a remote display) Open fails and the
// caller keeps SDL's window surface.
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

  // The window to show pictures in; null (or a window not on an X server that
  // shares memory) closes.
  void Watch(SDL_Window* window);
  [[nodiscard]] bool Watching() const { return display_ != nullptr; }
  // A picture of width x height in the window's own pixel format, made anew
  // when the size changes; null when none can be had. Owned here.
  SDL_Surface* Surface(int width, int height);
  // Puts the parts of the picture that `parts` name at the same places on the
  // window. False when there is no picture to put.
  [[nodiscard]] bool Put(const SDL_Rect* parts, int count);

 private:
  bool Make(int width, int height);
  void Drop();

  void* display_ = nullptr;  // the X connection
  unsigned long window_ = 0;
  void* gc_ = nullptr;
  void* visual_ = nullptr;
  int depth_ = 0;
  struct Picture;
  std::unique_ptr<Picture> picture_;
  bool refused_ = false;  // the server would not share memory: not asked again
};

}  // namespace platform
