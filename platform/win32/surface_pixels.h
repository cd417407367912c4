// The pixels of a DirectDraw-shaped surface, for the platform's own code (the
// text drawing, the hosts, tests). The game's code never sees them; it reaches
// a surface only through ddraw.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win32/ddraw.h"
#include "platform/win32/pixel_buffer.h"

namespace platform {

// A text as a device context draws it: opaque over every pixel of its cells.
struct DrawnTextCells {
  RECT cells;  // on the surface
  int x;
  int y;
  std::uint16_t ink;
  std::uint16_t paper;
  std::string_view bytes;  // up to its length or its first zero byte
};

struct SurfacePixels {
  // Whoever takes the pixels may write anywhere: the whole surface counts as
  // written. For names the only part that will be written; View only reads.
  [[nodiscard]] static PixelBuffer& Of(IDirectDrawSurface& surface);
  [[nodiscard]] static PixelBuffer& For(IDirectDrawSurface& surface, const RECT& area);
  [[nodiscard]] static const PixelBuffer& View(const IDirectDrawSurface& surface);

  // True when `text` is on the surface already, every pixel as it would be
  // drawn: the last whole copy of the background left it in place, and it
  // now counts as drawn again. Nothing need be drawn, nor compared with the
  // screen. False when it must be drawn.
  [[nodiscard]] static bool StillThere(IDirectDrawSurface& surface, const DrawnTextCells& text);
  // A text just drawn, which the next whole copy of the background may leave.
  static void Drawn(IDirectDrawSurface& surface, const DrawnTextCells& text);
};

}  // namespace platform
