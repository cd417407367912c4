#include <emscripten.h>

#include <memory>

#include "platform/base/log.h"
#include "platform/sdl/sdl_error.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/window_surface.h"
#include "platform/sdl/window_system.h"

namespace {

// Puts the part of the surface (width x height pixels, rows without gaps)
// on the canvas. The canvas's image is a view of the surface's pixels in the
// module's memory, made again only for another surface, or when the memory
// has grown (the old view then sees nothing).
// clang-format off
EM_JS(void, PutOnCanvas, (const void* pixels, int width, int height, int x, int y, int partWidth,
                          int partHeight), {
  var canvas = Module['canvas'];
  var kept = Module.morvex2CanvasImage;
  if (!kept || kept.canvas !== canvas || kept.pixels !== pixels || kept.buffer !== HEAPU8.buffer ||
      kept.image.width !== width || kept.image.height !== height) {
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    kept = Module.morvex2CanvasImage = {
      canvas: canvas, context: canvas.getContext('2d'), pixels: pixels, buffer: HEAPU8.buffer,
      image: new ImageData(bytes, width, height)
    };
  }
  kept.context.putImageData(kept.image, 0, 0, x, y, partWidth, partHeight);
});
// clang-format on

}  // namespace

namespace platform {

namespace {

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
class BrowserCanvasSurface final : public WindowSurface {
 public:
  BrowserCanvasSurface() = default;
  BrowserCanvasSurface(const BrowserCanvasSurface&) = delete;
  BrowserCanvasSurface& operator=(const BrowserCanvasSurface&) = delete;
  ~BrowserCanvasSurface() override = default;
  SDL_Surface* Surface(int width, int height) override;
  [[nodiscard]] bool Put(const SDL_Rect* parts, int count) override;

 private:
  OwnedSurface surface_;
};

// A 32-bit pixel whose bytes in memory are red, green, blue and alpha, as
// the canvas's image data holds them. The frame's conversion fills the alpha
// byte, so every pixel put is opaque.
SDL_Surface* BrowserCanvasSurface::Surface(int width, int height) {
  if (surface_ != nullptr && surface_->w == width && surface_->h == height) return surface_.get();
  surface_.reset();
  surface_.reset(
      SdlMade(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32),
              "SDL_CreateRGBSurfaceWithFormat", Repeats::kLogOnce));
  return surface_.get();
}

bool BrowserCanvasSurface::Put(const SDL_Rect* parts, int count) {
  if (surface_ == nullptr || surface_->pitch != surface_->w * 4) return false;
  const SDL_Rect whole{0, 0, surface_->w, surface_->h};
  for (int i = 0; i < count; ++i) {
    // Only what lies on the surface: the canvas is the surface's size.
    SDL_Rect part{};
    if (SDL_IntersectRect(&parts[i], &whole, &part) == SDL_FALSE) continue;
    PutOnCanvas(surface_->pixels, surface_->w, surface_->h, part.x, part.y, part.w, part.h);
  }
  return true;
}

}  // namespace

std::unique_ptr<WindowSurface> MakeWindowSurface(SDL_Window* /*window*/) {
  return std::make_unique<BrowserCanvasSurface>();
}

}  // namespace platform
