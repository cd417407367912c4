// The window surface: what a frame is drawn into, and the put of
// some of its parts on the window. SdlVideo draws through this alone; which
// surface a window gets is chosen in window_system.h.
#pragma once

#include <SDL.h>

namespace platform {

class WindowSurface {
 public:
  WindowSurface() = default;
  WindowSurface(const WindowSurface&) = delete;
  WindowSurface& operator=(const WindowSurface&) = delete;
  virtual ~WindowSurface() = default;

  // A surface of the window's size (width x height pixels) in a format the
  // window shows without conversion; null when none can be had. Owned here or
  // by SDL, and good until the next call.
  virtual SDL_Surface* Surface(int width, int height) = 0;
  // Puts the parts of the surface that `parts` name at the same places on the
  // window. False when the window may not show them.
  [[nodiscard]] virtual bool Put(const SDL_Rect* parts, int count) = 0;

  // A window surface may instead be a strip of the window's width and StripRows()
  // rows (0: it is the whole window, and the calls below are not used). Then
  // each part is drawn where Stage puts its rows, and put from there.
  [[nodiscard]] virtual int StripRows() const { return 0; }
  // Where in the strip the next part, `columns` wide and `rows` (at most
  // StripRows()) high, is free to be drawn.
  virtual SDL_Point Stage(int /*columns*/, int /*rows*/) { return SDL_Point{0, 0}; }
  // Puts the window's rectangle `part`, drawn in the strip from `from` on.
  [[nodiscard]] virtual bool PutFrom(const SDL_Rect& part, SDL_Point /*from*/) {
    return Put(&part, 1);
  }
  // Every part of a frame has been put.
  virtual void FrameDone() {}
};

// SDL's own window surface, on any window system.
class SdlWindowSurface final : public WindowSurface {
 public:
  explicit SdlWindowSurface(SDL_Window* window) : window_(window) {}
  SDL_Surface* Surface(int width, int height) override;
  [[nodiscard]] bool Put(const SDL_Rect* parts, int count) override;

 private:
  SDL_Window* window_;
};

}  // namespace platform
