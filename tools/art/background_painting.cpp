#include "tools/art/background_painting.h"

#include "tools/art/det_math.h"
#include "tools/art/quantizer.h"
#include "tools/art/shapes.h"

namespace art {

IndexedImage FlattenScreen(const Canvas& canvas, const std::vector<Box>& crisp) {
  QuantizeOptions options;
  options.dither.assign(static_cast<size_t>(canvas.width()) * canvas.height(), true);
  for (const Box& b : crisp) {
    for (int y = static_cast<int>(b.y0); y < static_cast<int>(b.y1); ++y) {
      for (int x = static_cast<int>(b.x0); x < static_cast<int>(b.x1); ++x) {
        if (x >= 0 && y >= 0 && x < canvas.width() && y < canvas.height()) {
          options.dither[static_cast<size_t>(y) * canvas.width() + x] = false;
        }
      }
    }
  }
  return Quantize(canvas, options);
}

void PaintStars(Canvas& canvas, Rng& rng, Box area, int count,
                const std::function<double(double, double)>& visible) {
  for (int i = 0; i < count; ++i) {
    const double x = rng.Range(area.x0, area.x1);
    const double y = rng.Range(area.y0, area.y1);
    const double size = rng.Uniform();
    const double tint = rng.Uniform();
    const double seen = visible(x, y);
    if (seen <= 0.0) continue;
    const Rgb colour = tint < 0.2 ? Hex(0xFFE8C0) : (tint < 0.4 ? Hex(0xC8DCFF) : Hex(0xFFFFFF));
    const double r = 0.45 + 0.9 * size * size;
    canvas.Fill(Circle(x, y, r), colour, seen * (0.55 + 0.45 * size));
    if (size > 0.93) {  // a bright one with a cross of light
      canvas.Fill(Capsule({x - 4.5, y}, {x + 4.5, y}, 0.45), colour, seen * 0.7);
      canvas.Fill(Capsule({x, y - 4.5}, {x, y + 4.5}, 0.45), colour, seen * 0.7);
      canvas.Fill(Circle(x, y, 2.2), colour, seen * 0.25);
    }
  }
}

}  // namespace art
