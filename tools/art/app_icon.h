// The game's icon: a red balloon with a blue pin about to meet it. Painted at
// any size from one design, so that each size is drawn rather than enlarged.
#pragma once

#include "tools/art/canvas.h"

namespace art {

// A size x size canvas, see-through around the picture.
Canvas PaintAppIcon(int size);

}  // namespace art
