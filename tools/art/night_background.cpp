// "BCRI", the advanced level: a starry night with a crescent moon over a
// sleeping hillside town.
#include <cmath>
#include <tuple>
#include <utility>

#include "tools/art/background_painting.h"
#include "tools/art/det_math.h"
#include "tools/art/noise.h"
#include "tools/art/pictures.h"
#include "tools/art/play_frame.h"
#include "tools/art/shapes.h"

namespace art {
namespace {

double FarHill(double x) {
  return 372 + 14 * Sin(x * 0.018 + 1.0) + 8 * Sin(x * 0.047);
}
double NearHill(double x) {
  return 418 - 22 * Sin((x - 360) * 0.011) + 5 * Sin(x * 0.09);
}

void PaintSky(Canvas& canvas) {
  const Rgb ramp[4] = {Hex(0x070A24), Hex(0x141A52), Hex(0x2E2C72), Hex(0x5A3E86)};
  canvas.Paint([&ramp](double x, double y) {
    Rgb c = Gradient(ramp, y / 400.0);
    // A faint band of the Milky Way, slanting down to the right.
    const double band = std::fabs((y - 60) - (x - 360) * 0.55) / 70.0;
    const double haze = Fractal3(x / 60.0, y / 60.0, 0.5, 4, 11) * Clamp(1.0 - band, 0, 1);
    c = Mix(c, Hex(0x8C8CC8), 0.28 * haze * haze);
    // Moonlight scattered around the moon.
    const double dx = x - 574, dy = y - 92;
    return Mix(c, Hex(0xFFF2B0), 0.35 * Exp(-(dx * dx + dy * dy) / (2 * 38.0 * 38.0)));
  });
}

void PaintMoon(Canvas& canvas) {
  const double cx = 574, cy = 92, r = 34;
  const Region crescent = Minus(Circle(cx, cy, r), Circle(cx + 15, cy - 9, r * 0.9));
  canvas.Fill(crescent, [=](double x, double y) {
    const double t = Clamp(((x - cx) + (y - cy)) / (2 * r) + 0.5, 0, 1);
    return Mix(Hex(0xFFFBE0), Hex(0xF2CC60), t);
  });
}

void PaintTown(Canvas& canvas, Rng& rng) {
  canvas.Fill({{0, 330, 640, 480}, [](double x, double y) { return y >= FarHill(x); }},
              [](double, double y) { return Mix(Hex(0x2A2460), Hex(0x1C1A46), (y - 350) / 60); });
  struct House {
    double x, w, h;
  };
  const House houses[] = {{392, 26, 24}, {422, 20, 32}, {446, 30, 22}, {482, 22, 28},
                          {508, 34, 20}, {548, 18, 36}, {570, 28, 24}, {604, 30, 30}};
  for (const House& h : houses) {
    const double base = NearHill(h.x + h.w / 2) + 6;
    const Rgb wall = Hex(0x16143A);
    canvas.Fill(Rect(h.x, base - h.h, h.x + h.w, base), wall);
    canvas.Fill(
        Polygon(
            {{h.x - 3, base - h.h}, {h.x + h.w / 2, base - h.h - 13}, {h.x + h.w + 3, base - h.h}}),
        Hex(0x221E50));
    for (double wy = base - h.h + 5; wy + 6 < base - 2; wy += 10) {
      for (double wx = h.x + 4; wx + 5 < h.x + h.w - 2; wx += 9) {
        if (rng.Uniform() < 0.55) canvas.Fill(Rect(wx, wy, wx + 5, wy + 6), Hex(0xFFD873));
      }
    }
  }
  canvas.Fill({{0, 380, 640, 480}, [](double x, double y) { return y >= NearHill(x); }},
              [](double x, double y) {
                const double grass = Fractal3(x / 9.0, y / 5.0, 3.0, 3, 21);
                return Mix(Hex(0x14123A), Hex(0x0E0C2A), Clamp((y - 420) / 60, 0, 1) + grass * 0.2);
              });
}

}  // namespace

IndexedImage MakeNightBackground() {
  Canvas canvas(kScreenWidth, kScreenHeight, Rgb{});
  PaintSky(canvas);
  Rng rng(0xC41);
  PaintStars(canvas, rng, {0, 0, 640, 400}, 420, [](double x, double y) {
    const double moon = (x - 574) * (x - 574) + (y - 92) * (y - 92);
    return (y < FarHill(x) - 4 && moon > 60 * 60) ? 1.0 : 0.0;
  });
  // A shooting star low on the right, away from the score panel.
  canvas.Fill(Polygon({{630, 196}, {560, 244}, {561.5, 246}}), Hex(0xFFFFFF), 0.55);
  canvas.Fill(Circle(560.8, 245, 1.6), Hex(0xFFFFFF));
  PaintMoon(canvas);
  PaintTown(canvas, rng);
  PaintPlayFrame(canvas, Hex(0x161C36), Hex(0x101428));
  return FlattenScreen(canvas, PlayCrispAreas());
}

}  // namespace art
