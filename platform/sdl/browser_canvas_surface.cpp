#include "platform/sdl/browser_canvas_surface.h"

#include <emscripten.h>

#include "platform/base/log.h"
#include "platform/sdl/sdl_error.h"

namespace {

// Copies the part's rows of the surface (RGBA in memory, as SDL makes it for
// the canvas) into the canvas's own image, opaque, and puts that part alone.
// clang-format off
EM_JS(void, PutOnCanvas, (const void* pixels, int pitch, int x, int y, int width, int height), {
  var canvas = Module['canvas'];
  var kept = Module.morvex2CanvasImage;
  if (!kept || kept.canvas !== canvas || kept.image.width !== canvas.width ||
      kept.image.height !== canvas.height) {
    var context = canvas.getContext('2d');
    var image = context.createImageData(canvas.width, canvas.height);
    kept = Module.morvex2CanvasImage = {
      canvas: canvas, context: context, image: image, words: new Uint32Array(image.data.buffer)
    };
  }
  var words = kept.words;
  var columns = kept.image.width;
  for (var row = y; row < y + height; ++row) {
    var from = (pixels + row * pitch) / 4 + x;
    var to = row * columns + x;
    for (var i = 0; i < width; ++i) words[to + i] = HEAPU32[from + i] | 0xff000000;
  }
  kept.context.putImageData(kept.image, 0, 0, x, y, width, height);
});
// clang-format on

}  // namespace

namespace platform {

SDL_Surface* BrowserCanvasSurface::Surface(int /*width*/, int /*height*/) {
  surface_ = SDL_GetWindowSurface(window_);
  if (surface_ == nullptr) LogSdlError("SDL_GetWindowSurface", Repeats::kLogOnce);
  return surface_;
}

bool BrowserCanvasSurface::Put(const SDL_Rect* parts, int count) {
  if (surface_ == nullptr || surface_->format->BytesPerPixel != 4) return false;
  for (int i = 0; i < count; ++i) {
    // Only what lies on the surface: the canvas is the surface's size.
    SDL_Rect part{};
    const SDL_Rect whole{0, 0, surface_->w, surface_->h};
    if (SDL_IntersectRect(&parts[i], &whole, &part) == SDL_FALSE) continue;
    PutOnCanvas(surface_->pixels, surface_->pitch, part.x, part.y, part.w, part.h);
  }
  return true;
}

}  // namespace platform
