// "BFUNE", the beginner level: a sailing boat on a bright sea.
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

constexpr double kHorizon = 300;

void PaintSky(Canvas& canvas) {
  const Rgb sky[3] = {Hex(0x2E7EE0), Hex(0x6CB4F4), Hex(0xD4F0FF)};
  const Rgb sea[3] = {Hex(0x3A8ED0), Hex(0x1C64AE), Hex(0x0C3E7A)};
  canvas.Paint([&](double x, double y) {
    if (y < kHorizon) {
      const double dx = x - 600, dy = y - 44;
      const double glow = Exp(-(dx * dx + dy * dy) / (2 * 46.0 * 46.0));
      return Mix(Gradient(sky, y / kHorizon), Hex(0xFFFFF0), 0.7 * glow);
    }
    const double t = (y - kHorizon) / (480 - kHorizon);
    Rgb c = Gradient(sea, t);
    const double swell = Fractal3(x / 50.0, y / (4.0 + 10 * t), 0.3, 3, 3);
    return Shade(c, (swell - 0.5) * 0.25);
  });
}

void PaintCloud(Canvas& canvas, double cx, double cy, double size) {
  Region cloud = Ellipse(cx, cy + 4 * size, 38 * size, 12 * size);
  for (const auto& [dx, dy, r] :
       {std::tuple{-22.0, 0.0, 14.0}, {-4.0, -10.0, 20.0}, {18.0, -4.0, 16.0}, {32.0, 4.0, 10.0}}) {
    cloud = Union(std::move(cloud), Circle(cx + dx * size, cy + dy * size, r * size));
  }
  canvas.Fill(cloud, [=](double, double y) {
    return Mix(Hex(0xFFFFFF), Hex(0xC4DCF0), Clamp((y - cy + 10 * size) / (26 * size), 0, 1));
  });
}

void PaintBoat(Canvas& canvas) {
  constexpr double x = 548, water = 318;
  // Reflection first, broken by the ripples.
  canvas.Fill(
      Polygon({{x - 30, water + 2}, {x + 34, water + 2}, {x + 4, water + 40}}),
      [](double px, double py) {
        return Fractal3(px / 6, py / 2, 7, 2, 4) > 0.5 ? Hex(0xE8F4FF) : Hex(0x5A9AD0);
      },
      0.35);
  canvas.Fill(Rect(x + 2, water - 96, x + 5, water - 6), Hex(0x6A4A32));
  canvas.Fill(Polygon({{x + 1, water - 92}, {x + 1, water - 12}, {x - 46, water - 12}}),
              [](double px, double) { return Mix(Hex(0xFFFFFF), Hex(0xD0DCE8), (x - px) / 46); });
  canvas.Fill(Polygon({{x + 6, water - 86}, {x + 6, water - 14}, {x + 40, water - 14}}),
              [](double px, double) { return Mix(Hex(0xFFF0D0), Hex(0xF2C878), (px - x) / 40); });
  canvas.Fill(Polygon({{x + 5, water - 98}, {x + 18, water - 94}, {x + 5, water - 90}}),
              Hex(0xE8262E));
  canvas.Fill(
      Polygon(
          {{x - 44, water - 10}, {x + 46, water - 10}, {x + 34, water + 4}, {x - 32, water + 4}}),
      [](double, double py) {
        return py < water - 4 ? Hex(0xFFFFFF) : Mix(Hex(0xD83030), Hex(0x982020), 0.3);
      });
  canvas.Fill(Rect(x - 40, water - 4.5, x + 42, water - 2.5), Hex(0x2A4A8A));
}

void PaintWaves(Canvas& canvas, Rng& rng) {
  for (int i = 0; i < 340; ++i) {
    const double y = kHorizon + 3 + 177 * rng.Uniform() * rng.Uniform() + 0 * i;
    const double x = rng.Range(0, 640);
    const double near = (y - kHorizon) / 180;
    const double len = 3 + 16 * near * rng.Uniform();
    canvas.Fill(Capsule({x - len, y}, {x + len, y}, 0.5 + 0.8 * near), Hex(0xD8F0FF),
                0.35 + 0.4 * rng.Uniform());
  }
}

}  // namespace

IndexedImage MakeSeaBackground() {
  Canvas canvas(kScreenWidth, kScreenHeight, Rgb{});
  PaintSky(canvas);
  // A sun high on the right with a soft halo.
  canvas.Fill(Circle(600, 44, 24), Hex(0xFFFDE6));
  PaintCloud(canvas, 560, 150, 1.3);
  PaintCloud(canvas, 420, 270, 0.9);
  PaintCloud(canvas, 40, 100, 1.0);
  // A small green island on the horizon.
  canvas.Fill(Intersect(Ellipse(416, kHorizon, 44, 14), Rect(0, 0, 640, kHorizon)),
              [](double, double y) { return Mix(Hex(0x4E9A5A), Hex(0x2E7048), (y - 286) / 14); });
  Rng rng(0xF0E);
  PaintWaves(canvas, rng);
  PaintBoat(canvas);
  // Gulls.
  for (const auto& [x, y] : {std::pair{520.0, 86.0}, {612.0, 212.0}, {470.0, 196.0}}) {
    canvas.Fill(Capsule({x - 7, y - 3}, {x, y}, 1.0), Hex(0x44546A));
    canvas.Fill(Capsule({x, y}, {x + 7, y - 3}, 1.0), Hex(0x44546A));
  }
  PaintPlayFrame(canvas, Hex(0x132838), Hex(0x0C1C2A));
  return FlattenScreen(canvas, PlayCrispAreas());
}

}  // namespace art
