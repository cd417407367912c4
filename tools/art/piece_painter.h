// Paints the game's pieces on a 40 x 40 canvas: pins, balloons, the flask and
// the burst. Used for the tile sheet and, scaled down, for the icon.
#pragma once

#include "tools/art/canvas.h"

namespace art {

// `scale` shrinks or grows the 40 x 40 design; `ox`, `oy` place its corner.
struct TileFrame {
  double ox = 0, oy = 0, scale = 1;
};

void PaintBalloon(Canvas& canvas, Rgb base, TileFrame frame = {});
// `angle`: 0 with the point down, turning clockwise on the screen.
void PaintPin(Canvas& canvas, Rgb base, double angle, bool flying, TileFrame frame = {});
void PaintFlask(Canvas& canvas, TileFrame frame = {});

// The colour aid's mark of colour 0 to 3 (red a ring, green a triangle, blue
// a diamond, magenta a cross): white on a dark rim of `base`, upright,
// centred on (cx, cy) of the 40 x 40 design and `size` across.
void PaintColourMark(Canvas& canvas, int colour, Rgb base, double cx, double cy, double size,
                     TileFrame frame = {});
// Where the mark sits on a balloon, and on a pin's head, and how big it is.
inline constexpr double kBalloonMarkX = 20.0, kBalloonMarkY = 18.5, kBalloonMarkSize = 13.0;
inline constexpr double kPinMarkSize = 8.6;
void PinHeadCentre(double angle, bool flying, double* x, double* y);
void PaintBurst(Canvas& canvas, TileFrame frame = {});

}  // namespace art
