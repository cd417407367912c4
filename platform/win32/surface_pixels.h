// The pixels of a DirectDraw-shaped surface, for the platform's own code (the
// text drawing, the hosts, tests): 16-bit RGB565 in an SDL surface. The game's
// code never sees them; it reaches a surface only through ddraw.h.
#pragma once

#include <SDL.h>

#include "platform/win32/ddraw.h"

namespace platform {

struct SurfacePixels {
  // Whoever takes the pixels may write anywhere: the whole surface counts as
  // written. For names the only part that will be written; View only reads.
  [[nodiscard]] static SDL_Surface* Of(IDirectDrawSurface& surface);
  [[nodiscard]] static SDL_Surface* For(IDirectDrawSurface& surface, const SDL_Rect& area);
  [[nodiscard]] static const SDL_Surface& View(const IDirectDrawSurface& surface);
};

}  // namespace platform
