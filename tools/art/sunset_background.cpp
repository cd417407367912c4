// "BGIYA", the middle level: a meadow at sunset with a lone tree.
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

constexpr double kHorizon = 330;
constexpr double kSunX = 470, kSunY = 318;
double FarHill(double x) {
  return kHorizon - 6 + 10 * Sin(x * 0.02) + 6 * Sin(x * 0.053 + 2);
}
double Meadow(double x) {
  return 372 + 18 * Sin((x - 300) * 0.012) + 4 * Sin(x * 0.07);
}

void PaintSky(Canvas& canvas) {
  const Rgb ramp[5] = {Hex(0x2C2466), Hex(0x6E3C8A), Hex(0xD2607A), Hex(0xFB9A4C), Hex(0xFFD98A)};
  canvas.Paint([&ramp](double x, double y) {
    Rgb c = Gradient(ramp, y / kHorizon);
    const double dx = x - kSunX, dy = y - kSunY;
    const double glow = Exp(-(dx * dx + dy * dy) / (2 * 90.0 * 90.0));
    c = Mix(c, Hex(0xFFF0B0), 0.6 * glow);
    // Long wisps of cloud in two bands, lit pink and gold from below.
    const double high = (y - 150) / 45, low = (y - 240) / 22;
    const double band = Exp(-high * high) + 0.8 * Exp(-low * low);
    const double wisp = SmoothStep(0.4, 0.56, Fractal3(x / 140.0, y / 11.0, 1.0, 4, 5)) * band;
    const Rgb cloud = Mix(Hex(0x7A3C7E), Hex(0xFFC8A0), Clamp((y - 110) / 150, 0, 1));
    return Mix(c, cloud, Clamp(wisp, 0, 0.85));
  });
}

void PaintLand(Canvas& canvas, Rng& rng) {
  canvas.Fill(Circle(kSunX, kSunY, 40), [](double, double y) {
    return Mix(Hex(0xFFFBE0), Hex(0xFFC860), Clamp((y - 278) / 80, 0, 1));
  });
  canvas.Fill({{0, 300, 640, 480}, [](double x, double y) { return y >= FarHill(x); }},
              [](double, double y) { return Mix(Hex(0x7A4E7A), Hex(0x5A4470), (y - 320) / 40); });
  canvas.Fill({{0, 340, 640, 480}, [](double x, double y) { return y >= Meadow(x); }},
              [](double x, double y) {
                const double grass = Fractal3(x / 14.0, y / 6.0, 2.0, 4, 9);
                const Rgb warm = Mix(Hex(0x8AB83C), Hex(0x3E7A2A), Clamp((y - 360) / 110, 0, 1));
                return Shade(warm, (grass - 0.5) * 0.35);
              });
  // The tree on the rise, its crown a cluster of round leaves.
  canvas.Fill(Polygon({{586, 376}, {592, 304}, {598, 304}, {606, 376}}), Hex(0x4A2E26));
  for (const auto& leaf : {std::tuple{580.0, 296.0, 22.0},
                           {610.0, 290.0, 24.0},
                           {595.0, 270.0, 26.0},
                           {570.0, 276.0, 16.0},
                           {622.0, 268.0, 16.0}}) {
    // Named copies rather than a structured binding: clang 14 cannot capture one.
    const double x = std::get<0>(leaf), y = std::get<1>(leaf), r = std::get<2>(leaf);
    canvas.Fill(Circle(x, y, r), [x, y, r](double px, double py) {
      const double lit = Clamp(((px - x) + (py - y)) / (2 * r) + 0.5, 0, 1);
      return Mix(Hex(0x7CA040), Hex(0x2E5030), lit);
    });
  }
  // Flowers scattered through the grass, larger towards the front.
  const Rgb petals[4] = {Hex(0xFFF4F0), Hex(0xFFD84A), Hex(0xFF7A9A), Hex(0xC8A0FF)};
  for (int i = 0; i < 260; ++i) {
    const double x = rng.Range(0, 640);
    const double y = rng.Range(360, 480);
    const Rgb c = petals[rng.Below(4)];
    if (y < Meadow(x) + 4) continue;
    const double r = 0.7 + 1.8 * (y - 360) / 120;
    canvas.Fill(Circle(x, y, r), c);
    canvas.Fill(Circle(x, y, r * 0.4), Hex(0xFFE070));
  }
}

}  // namespace

IndexedImage MakeSunsetBackground() {
  Canvas canvas(kScreenWidth, kScreenHeight, Rgb{});
  PaintSky(canvas);
  Rng rng(0x61A);
  PaintLand(canvas, rng);
  // Two birds heading home.
  for (const auto& [x, y] : {std::pair{540.0, 110.0}, {566.0, 124.0}}) {
    canvas.Fill(Capsule({x - 7, y - 3}, {x, y}, 1.0), Hex(0x3A2040));
    canvas.Fill(Capsule({x, y}, {x + 7, y - 3}, 1.0), Hex(0x3A2040));
  }
  PaintPlayFrame(canvas, Hex(0x221A36), Hex(0x18122A));
  return FlattenScreen(canvas, PlayCrispAreas());
}

}  // namespace art
