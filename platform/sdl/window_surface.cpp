#include "platform/sdl/window_surface.h"

#include "platform/base/log.h"
#include "platform/sdl/sdl_error.h"

namespace platform {

// SDL makes the surface the window's size by itself, anew after a resize.
SDL_Surface* SdlWindowSurface::Surface(int /*width*/, int /*height*/) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) LogSdlError("SDL_GetWindowSurface", Repeats::kLogOnce);
  return surface;
}

bool SdlWindowSurface::Put(const SDL_Rect* parts, int count) {
  if (SDL_UpdateWindowSurfaceRects(window_, parts, count) == 0) return true;
  LogSdlError("SDL_UpdateWindowSurfaceRects", Repeats::kLogOnce);
  return false;
}

}  // namespace platform
