// The pixels of a DirectDraw-shaped surface, for the platform's own code (the
// text drawing, the hosts, tests). The game's code never sees them; it reaches
// a surface only through ddraw.h.
#pragma once

#include "platform/win32/ddraw.h"
#include "platform/win32/pixel_buffer.h"

namespace platform {

struct SurfacePixels {
  // Whoever takes the pixels may write anywhere: the whole surface counts as
  // written. For names the only part that will be written; View only reads.
  [[nodiscard]] static PixelBuffer& Of(IDirectDrawSurface& surface);
  [[nodiscard]] static PixelBuffer& For(IDirectDrawSurface& surface, const RECT& area);
  [[nodiscard]] static const PixelBuffer& View(const IDirectDrawSurface& surface);
};

}  // namespace platform
