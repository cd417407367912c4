// The window surface in a browser: a surface of the surface's own, laid out
// as the canvas's image data (red, green, blue, alpha bytes, opaque), put on
// the page's canvas a changed part at a time. SDL's own put copies and sends
// the whole 640 x 480 canvas for every frame, then hands the page to the
// browser and back; the title's drifting balloons change a few small parts
// twelve times a second, and a falling piece two cells once a second. The
// canvas reads the pixels where the game's frame was converted into them:
// no second copy of the frame on the page, and no pass over its pixels there.
// Sampled on the title (tests/web/profile.mjs, two alternated runs of 20 s
// each way, load 6 to 9): the put's own script took 4 to 13 ms of the page's
// thread in 20 s when it copied the part into an image of its own, about
// 1 ms since; the canvas's own put is the same. Small beside the rest of the
// page's work: measure.mjs sees no change beyond its noise.
// Built only for the browser.
#pragma once

#include "platform/sdl/window_surface.h"

namespace platform {

class BrowserCanvasSurface final : public WindowSurface {
 public:
  BrowserCanvasSurface() = default;
  BrowserCanvasSurface(const BrowserCanvasSurface&) = delete;
  BrowserCanvasSurface& operator=(const BrowserCanvasSurface&) = delete;
  ~BrowserCanvasSurface() override;
  SDL_Surface* Surface(int width, int height) override;
  [[nodiscard]] bool Put(const SDL_Rect* parts, int count) override;

 private:
  SDL_Surface* surface_ = nullptr;  // owned
};

}  // namespace platform
