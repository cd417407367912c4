#include "platform/sdl/window_surface.h"

#include "platform/base/log.h"
#include "platform/sdl/sdl_error.h"

namespace platform {

// SDL makes the surface the window's size by itself, anew after a resize.
SDL_Surface* SdlWindowSurface::Surface(int /*width*/, int /*height*/) {
  return SdlMade(SDL_GetWindowSurface(window_), "SDL_GetWindowSurface", Repeats::kLogOnce);
}

bool SdlWindowSurface::Put(const SDL_Rect* parts, int count) {
  return SdlDone(SDL_UpdateWindowSurfaceRects(window_, parts, count),
                 "SDL_UpdateWindowSurfaceRects", Repeats::kLogOnce);
}

}  // namespace platform
