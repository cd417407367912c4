#include "tools/art/app_icon.h"

#include "tools/art/det_math.h"
#include "tools/art/piece_painter.h"
#include "tools/art/sheet_colours.h"

namespace art {

Canvas PaintAppIcon(int size) {
  // The design is laid out on 32 pixels, the size of the window icon.
  const double k = size / 32.0;
  Canvas canvas(size, size, Rgb{}, 0.0);
  PaintBalloon(canvas, kPieceColours[0], {-1.0 * k, 0.0, 0.85 * k});
  // The pin comes in from the upper right, pointing down-left at the balloon.
  PaintPin(canvas, kPieceColours[2], 45.0 * kPi / 180.0, false, {12.0 * k, -1.0 * k, 0.52 * k});
  return canvas;
}

}  // namespace art
