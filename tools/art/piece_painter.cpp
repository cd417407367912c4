#include "tools/art/piece_painter.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tools/art/det_math.h"
#include "tools/art/shapes.h"

namespace art {
namespace {

// Pieces are designed in a 40 x 40 box; a frame places and scales that box.
Region InFrame(Region local, TileFrame f) {
  const Box& b = local.bounds;
  return {
      {f.ox + b.x0 * f.scale, f.oy + b.y0 * f.scale, f.ox + b.x1 * f.scale, f.oy + b.y1 * f.scale},
      [c = std::move(local.contains), f](double x, double y) {
        return c((x - f.ox) / f.scale, (y - f.oy) / f.scale);
      }};
}

using LocalPaint = std::function<Rgb(double, double)>;

void FillLocal(Canvas& canvas, TileFrame f, Region local, LocalPaint paint, double opacity = 1) {
  canvas.Fill(
      InFrame(std::move(local), f),
      [&paint, f](double x, double y) { return paint((x - f.ox) / f.scale, (y - f.oy) / f.scale); },
      opacity);
}

void FillLocal(Canvas& canvas, TileFrame f, Region local, Rgb c, double opacity = 1) {
  canvas.Fill(InFrame(std::move(local), f), c, opacity);
}

// Colour of a glossy sphere (or ellipsoid) lit from the upper left, at the
// normalised position (u, v) inside its outline: a soft body gradient, a
// bright reflection and a little bounce light along the lower right rim.
Rgb GlossyShade(Rgb base, double u, double v) {
  const double r2 = Clamp(u * u + v * v, 0.0, 1.0);
  const double nz = std::sqrt(1.0 - r2);
  const double lx = -0.48, ly = -0.58, lz = 0.66;
  const double diffuse = Clamp(u * lx + v * ly + nz * lz, 0.0, 1.0);
  Rgb c = Mix(Shade(base, -0.5), Shade(base, 0.12), Pow(diffuse, 0.9));
  const double rim = SmoothStep(0.55, 1.0, r2) * Clamp(u * 0.5 + v * 0.8, 0.0, 1.0);
  c = Mix(c, Shade(base, 0.3), rim * 0.45);
  const double du = (u + 0.42) / 0.26;
  const double dv = (v + 0.48) / 0.34;
  const double spot = 1.0 - SmoothStep(0.35, 1.0, std::sqrt(du * du + dv * dv));
  return Mix(c, Rgb{255, 255, 255}, spot * 0.92);
}

void PaintGlossyBall(Canvas& canvas, TileFrame f, Rgb base, double cx, double cy, double rx,
                     double ry, double outline) {
  FillLocal(canvas, f, Ellipse(cx, cy, rx + outline, ry + outline), Shade(base, -0.62));
  FillLocal(canvas, f, Ellipse(cx, cy, rx, ry),
            [=](double x, double y) { return GlossyShade(base, (x - cx) / rx, (y - cy) / ry); });
}

const Rgb kSteelEdge = Hex(0x3C465A);
const Rgb kFieldTone = Hex(0x1A2238);  // what the pieces usually stand on

}  // namespace

void PaintBalloon(Canvas& canvas, Rgb base, TileFrame f) {
  // The string first, so that the knot covers its end.
  const std::vector<Point> string{{20.0, 34.0}, {21.6, 35.8}, {20.6, 37.2}, {19.4, 38.6}};
  for (size_t i = 0; i + 1 < string.size(); ++i) {
    FillLocal(canvas, f, Capsule(string[i], string[i + 1], 0.62), Hex(0xE4E2D8));
  }
  const Region knot = Polygon({{17.2, 35.2}, {22.8, 35.2}, {20.0, 31.0}});
  FillLocal(canvas, f, Grow(knot, 0.9), Shade(base, -0.62));
  FillLocal(canvas, f, knot, Shade(base, -0.18));
  PaintGlossyBall(canvas, f, base, 20.0, 17.0, 13.6, 15.4, 1.3);
}

namespace {

// Designed pointing down; a flying pin sits further forward to leave room for
// the speed lines behind its head.
double PinHeadY(bool flying) {
  return flying ? 12.0 : 9.0;
}

}  // namespace

void PinHeadCentre(double angle, bool flying, double* x, double* y) {
  const Point head = Placement{20.0, 20.0, angle, 0.0, 0.0}.ToWorld({20.0, PinHeadY(flying)});
  *x = head.x;
  *y = head.y;
}

namespace {

// Shapes that differ in outline, not only in size, so that each still reads
// on a pin's small head: a ring, a triangle, a diamond and a cross, each
// filling about the same part of its square.
Region ColourMarkShape(int colour, double cx, double cy, double size) {
  const double h = size / 2;
  switch (colour) {
    case 0:
      return Minus(Circle(cx, cy, h * 0.92), Circle(cx, cy, h * 0.42));
    case 1:
      return Polygon({{cx, cy - h}, {cx + h * 1.05, cy + h * 0.8}, {cx - h * 1.05, cy + h * 0.8}});
    case 2:
      return Polygon({{cx, cy - h * 1.1}, {cx + h, cy}, {cx, cy + h * 1.1}, {cx - h, cy}});
    default: {
      const double arm = h * 0.36;
      return Union(Rect(cx - h, cy - arm, cx + h, cy + arm),
                   Rect(cx - arm, cy - h, cx + arm, cy + h));
    }
  }
}

}  // namespace

void PaintColourMark(Canvas& canvas, int colour, Rgb base, double cx, double cy, double size,
                     TileFrame f) {
  const Region shape = ColourMarkShape(colour, cx, cy, size);
  FillLocal(canvas, f, Grow(shape, std::max(0.8, size * 0.09)), Shade(base, -0.7));
  FillLocal(canvas, f, shape, Hex(0xFFFFFF));
}

void PaintPin(Canvas& canvas, Rgb base, double angle, bool flying, TileFrame f) {
  const double headY = PinHeadY(flying);
  const double headR = flying ? 6.2 : 6.6;
  const double tipY = flying ? 37.5 : 37.5;
  const Placement turn{20.0, 20.0, angle, 0.0, 0.0};
  auto placed = [&](Region r) { return Placed(std::move(r), turn); };
  auto local = [turn](LocalPaint p) {
    return [turn, p = std::move(p)](double x, double y) {
      const Point l = turn.ToLocal({x, y});
      return p(l.x, l.y);
    };
  };

  if (flying) {
    for (double dx : {-5.5, 0.0, 5.5}) {
      const double len = dx == 0.0 ? 3.4 : 2.4;
      const double end = headY - headR - (dx == 0.0 ? 1.3 : 0.2);
      FillLocal(canvas, f, placed(Capsule({20 + dx, end - len}, {20 + dx, end}, 0.75)),
                Hex(0xF0F6FF), 0.8);
    }
  }

  const double top = headY + 2.0;
  const double taper = tipY - 7.0;
  const Region shaft =
      Polygon({{18.4, top}, {21.6, top}, {21.6, taper}, {20.0, tipY}, {18.4, taper}});
  FillLocal(canvas, f, placed(Grow(shaft, 0.9)), kSteelEdge);
  const Rgb steel[4] = {Hex(0x8A93A6), Hex(0xF6F8FC), Hex(0xC2C9D4), Hex(0x707A90)};
  FillLocal(canvas, f, placed(shaft),
            local([&steel](double x, double) { return Gradient(steel, (x - 18.4) / 3.2); }));

  const Point head = turn.ToWorld({20.0, headY});
  PaintGlossyBall(canvas, f, base, head.x, head.y, headR, headR, 1.25);
}

void PaintFlask(Canvas& canvas, TileFrame f) {
  const Region body = Union(Rect(16.2, 5.0, 23.8, 16.0), Polygon({{16.2, 15.0},
                                                                  {23.8, 15.0},
                                                                  {34.0, 31.0},
                                                                  {33.0, 35.2},
                                                                  {30.5, 37.0},
                                                                  {9.5, 37.0},
                                                                  {7.0, 35.2},
                                                                  {6.0, 31.0}}));
  FillLocal(canvas, f, Grow(body, 1.2), Hex(0x4E6E8A));
  // Dark glass, so that the bright potion and the glints carry the shape.
  FillLocal(canvas, f, body, [](double x, double y) {
    return Mix(Mix(kFieldTone, Hex(0x9ADCF0), 0.38), Hex(0x3A5A78),
               Clamp((x - 8) / 40, 0, 0.5) * Clamp(y / 37, 0, 1));
  });
  const double surface = 22.5;
  const Region potion = Intersect(body, Rect(0, surface, 40, 40));
  const Rgb potionRamp[3] = {Hex(0xFFF07A), Hex(0xFFC22E), Hex(0xF27A12)};
  FillLocal(canvas, f, potion, [&potionRamp, surface](double x, double y) {
    const Rgb c = Gradient(potionRamp, (y - surface) / (37.0 - surface));
    return Mix(c, Hex(0xFFFBD0), 0.35 * (1.0 - SmoothStep(0.0, 7.0, std::fabs(x - 14.0))));
  });
  FillLocal(canvas, f, Intersect(body, Rect(0, surface - 0.6, 40, surface + 1.0)), Hex(0xFFF8C0));
  for (const auto& [x, y, r] : {std::tuple{15.0, 31.0, 1.7},
                                {24.0, 27.5, 1.3},
                                {20.0, 34.0, 1.1},
                                {27.5, 33.0, 1.5},
                                {19.5, 18.5, 1.2},
                                {21.0, 12.0, 0.9}}) {
    FillLocal(canvas, f, Minus(Circle(x, y, r), Circle(x + 0.3, y + 0.3, r * 0.55)), Hex(0xFFFDE8),
              0.9);
  }
  // Glints on the glass.
  FillLocal(canvas, f, Capsule({11.0, 31.5}, {15.8, 21.5}, 0.9), Hex(0xFFFFFF), 0.85);
  FillLocal(canvas, f, Capsule({18.0, 7.5}, {18.0, 14.0}, 0.7), Hex(0xFFFFFF), 0.8);
  // Cork.
  const Region cork = RoundRect(15.0, 0.8, 25.0, 7.4, 1.6);
  FillLocal(canvas, f, Grow(cork, 0.9), Hex(0x4A2E18));
  const Rgb corkRamp[3] = {Hex(0xE0A868), Hex(0xB87838), Hex(0x8A5426)};
  FillLocal(canvas, f, cork,
            [&corkRamp](double x, double) { return Gradient(corkRamp, (x - 15.0) / 10.0); });
}

void PaintBurst(Canvas& canvas, TileFrame f) {
  std::vector<Point> star;
  std::vector<Point> core;
  for (int k = 0; k < 20; ++k) {
    const double a = kPi * k / 10.0 + 0.15;
    const double outer = (k % 2 == 0) ? ((k % 4 == 0) ? 16.5 : 13.5) : 6.8;
    star.push_back({20.0 + outer * Cos(a), 20.0 + outer * Sin(a)});
    core.push_back({20.0 + outer * 0.55 * Cos(a), 20.0 + outer * 0.55 * Sin(a)});
  }
  const Region starRegion = Polygon(star);
  FillLocal(canvas, f, Grow(starRegion, 1.2), Hex(0xF07A1E));
  FillLocal(canvas, f, starRegion, [](double x, double y) {
    const double d = std::sqrt((x - 20) * (x - 20) + (y - 20) * (y - 20));
    return Mix(Hex(0xFFFFF0), Hex(0xFFD23C), SmoothStep(3.0, 15.0, d));
  });
  FillLocal(canvas, f, Polygon(core), Hex(0xFFFFFF));

  // Shreds of the balloon and bubbles flying off.
  for (int k = 0; k < 5; ++k) {
    const double a = kPi * (2 * k + 1) / 5.0 + 0.5;
    const Point from{20.0 + 15.0 * Cos(a), 20.0 + 15.0 * Sin(a)};
    const Point to{20.0 + 18.5 * Cos(a + 0.12), 20.0 + 18.5 * Sin(a + 0.12)};
    FillLocal(canvas, f, Capsule(from, to, 0.9), Hex(0xFFE9A0));
  }
  for (const auto& [x, y, r] : {std::tuple{5.5, 7.5, 3.0},
                                {34.0, 6.5, 2.4},
                                {35.0, 31.5, 3.4},
                                {6.5, 33.0, 2.6},
                                {27.0, 36.5, 1.9},
                                {3.5, 20.5, 1.8}}) {
    FillLocal(canvas, f, Minus(Circle(x, y, r), Circle(x, y, r - 1.1)), Hex(0xBFEFFF));
    FillLocal(canvas, f, Circle(x - r * 0.35, y - r * 0.35, r * 0.3), Hex(0xFFFFFF));
  }
}

}  // namespace art
