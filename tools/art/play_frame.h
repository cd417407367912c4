// What the three play backgrounds share: the orange frame around the field,
// the dark field itself and the calm panel where the score is shown.
#pragma once

#include <vector>

#include "tools/art/canvas.h"

namespace art {

// The cells are drawn at x 20..339, y 20..459; the frame's inner edge lies
// just outside them.
inline constexpr Box kField{20, 20, 340, 460};
inline constexpr Box kFrame{9, 9, 351, 471};
// The labels, numbers and the preview (x 370..490, y 20..250) sit on this.
inline constexpr Box kPanel{360, 10, 500, 262};

void PaintPlayFrame(Canvas& canvas, Rgb fieldTop, Rgb fieldBottom);

// Boxes of the play layout that must not be dithered.
std::vector<Box> PlayCrispAreas();

}  // namespace art
