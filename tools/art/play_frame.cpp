#include "tools/art/play_frame.h"

#include "tools/art/det_math.h"
#include "tools/art/shapes.h"

namespace art {
namespace {

void PaintFrame(Canvas& canvas) {
  const Region outer = RoundRect(kFrame.x0, kFrame.y0, kFrame.x1, kFrame.y1, 6);
  const Region hole = Rect(kField.x0, kField.y0, kField.x1, kField.y1);
  canvas.Fill(Grow(outer, 1.5), Hex(0x3A1A08), 0.85);
  // Bevelled orange: light along the top and left, deeper towards the
  // bottom right, with a bright bead along the middle of the moulding.
  canvas.Fill(Minus(outer, hole), [](double x, double y) {
    const double dx = std::min(x - kFrame.x0, kFrame.x1 - x);
    const double dy = std::min(y - kFrame.y0, kFrame.y1 - y);
    const double depth = std::min(dx, dy);  // 0 at the outer edge, ~11 at the inner
    const bool lit = (dx < dy) ? (x < 180) : (y < 240);
    const Rgb ramp[4] = {Hex(0xB8520E), Hex(0xFFB24A), Hex(0xFF8A1C), Hex(0xC85A0A)};
    Rgb c = Gradient(ramp, depth / 11.0);
    return Shade(c, lit ? 0.12 : -0.1);
  });
  canvas.Fill(Minus(Rect(kField.x0 - 2, kField.y0 - 2, kField.x1 + 2, kField.y1 + 2), hole),
              Hex(0x5A2608));
}

// The panel takes the field's own tones, so that the playing area reads as
// one piece of furniture across the picture.
void PaintPanel(Canvas& canvas, Rgb top, Rgb bottom) {
  const Region panel = RoundRect(kPanel.x0, kPanel.y0, kPanel.x1, kPanel.y1, 10);
  canvas.Fill(Minus(Grow(panel, 2.0), panel), Hex(0xFFB24A), 0.9);
  canvas.Fill(
      panel,
      [top, bottom](double, double y) {
        return Mix(Shade(top, 0.1), bottom, (y - kPanel.y0) / (kPanel.y1 - kPanel.y0));
      },
      0.95);
  // A soft well behind the three preview tiles.
  canvas.Fill(RoundRect(366, 36, 494, 84, 6), Shade(bottom, -0.3), 0.7);
}

}  // namespace

void PaintPlayFrame(Canvas& canvas, Rgb fieldTop, Rgb fieldBottom) {
  PaintFrame(canvas);
  // One flat tone: a gradient this dark shows as bands on a 16-bit screen.
  const Rgb field = Mix(fieldTop, fieldBottom, 0.5);
  for (int y = static_cast<int>(kField.y0); y < kField.y1; ++y) {
    for (int x = static_cast<int>(kField.x0); x < kField.x1; ++x) {
      canvas.Set(x, y, field);
    }
  }
  PaintPanel(canvas, fieldTop, fieldBottom);
}

std::vector<Box> PlayCrispAreas() {
  return {kFrame, kPanel};
}

}  // namespace art
