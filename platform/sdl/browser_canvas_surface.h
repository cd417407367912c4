// The window surface in a browser: SDL's own, put on the page's
// canvas a changed part at a time. SDL's own put copies and sends the whole
// 640 x 480 canvas for every frame, then hands the page to the browser and
// back; the title's drifting balloons change a few small parts twelve times a
// second, and a falling piece two cells once a second. Built only for the
// browser.
#pragma once

#include "platform/sdl/window_surface.h"

namespace platform {

class BrowserCanvasSurface final : public WindowSurface {
 public:
  explicit BrowserCanvasSurface(SDL_Window* window) : window_(window) {}
  SDL_Surface* Surface(int width, int height) override;
  [[nodiscard]] bool Put(const SDL_Rect* parts, int count) override;

 private:
  SDL_Window* window_;
  SDL_Surface* surface_ = nullptr;
};

}  // namespace platform
