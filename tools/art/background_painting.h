// Helpers shared by the full-screen pictures.
#pragma once

#include <vector>

#include "tools/art/canvas.h"
#include "tools/art/indexed_image.h"
#include "tools/art/rng.h"

namespace art {

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;

// Reduces a painted screen to 256 colours, smoothing gradients by dithering
// except inside `crisp` boxes (lettering, frames, the playing field).
IndexedImage FlattenScreen(const Canvas& canvas, const std::vector<Box>& crisp);

// A sprinkle of stars over `area`: small points and a few four-pointed glints.
// `visible(x, y)` tells where the sky is (not hidden by land or moon).
void PaintStars(Canvas& canvas, Rng& rng, Box area, int count,
                const std::function<double(double, double)>& visible);

}  // namespace art
