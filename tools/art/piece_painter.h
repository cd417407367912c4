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
void PaintBurst(Canvas& canvas, TileFrame frame = {});

}  // namespace art
