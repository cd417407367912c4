#include "platform/sdl/window_picture.h"

#include "platform/base/failure_log.h"
#include "platform/sdl/sdl_failure.h"

namespace platform {

// SDL makes the surface the window's size by itself, anew after a resize.
SDL_Surface* SdlWindowPicture::Surface(int /*width*/, int /*height*/) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (surface == nullptr) LogSdlFailure("SDL_GetWindowSurface", Repeats::kSayOnce);
  return surface;
}

bool SdlWindowPicture::Put(const SDL_Rect* parts, int count) {
  if (SDL_UpdateWindowSurfaceRects(window_, parts, count) == 0) return true;
  LogSdlFailure("SDL_UpdateWindowSurfaceRects", Repeats::kSayOnce);
  return false;
}

}  // namespace platform
