// "BOPENING": the earth seen from space at sunrise, with the game's title in a
// framed box across the upper part. The menu and the credit line are drawn
// by the game over the open picture below the box.
#include <cmath>
#include <tuple>

#include "tools/art/background_painting.h"
#include "tools/art/det_math.h"
#include "tools/art/noise.h"
#include "tools/art/pictures.h"
#include "tools/art/shapes.h"

namespace art {
namespace {

// The planet: a great circle whose top rises out of the lower right.
constexpr double kCx = 430, kCy = 1010, kR = 670;
// Towards the sun: up and to the right, a little behind the planet.
constexpr double kLx = 0.62, kLy = -0.62, kLz = 0.48;

constexpr Box kTitleBox{34, 22, 606, 212};

Rgb Surface(double nx, double ny, double nz) {
  const double k = 3.2;
  const double land = Fractal3(nx * k + 7, ny * k, nz * k, 5, 101);
  const double cloud = Fractal3(nx * 4.5, ny * 9.0, nz * 4.5 + 3, 5, 202);
  Rgb c = land > 0.56 ? Mix(Hex(0x4E8A3A), Hex(0xB09A62), Clamp((land - 0.56) * 5, 0, 1))
                      : Mix(Hex(0x0E3C8C), Hex(0x1E66B8), Clamp(land * 1.6, 0, 1));
  c = Mix(c, Hex(0xF4F8FF), SmoothStep(0.5, 0.72, cloud) * 0.9);
  const double light = nx * kLx + ny * kLy + nz * kLz;
  const double day = SmoothStep(-0.12, 0.35, light);
  c = Mix(Mix(Hex(0x04081C), c, 0.18), c, day);
  // Air thickens towards the rim.
  const double rim = Pow(1.0 - nz, 3.0);
  return Mix(c, Hex(0x8CCBFF), Clamp(rim * (0.25 + 0.75 * day), 0, 0.85));
}

void PaintSpaceAndPlanet(Canvas& canvas) {
  canvas.Paint([](double x, double y) {
    const double dx = x - kCx, dy = y - kCy;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d <= kR) {
      const double nx = dx / kR, ny = dy / kR;
      return Surface(nx, ny, std::sqrt(Clamp(1 - nx * nx - ny * ny, 0, 1)));
    }
    const Rgb space = Mix(Hex(0x02040E), Hex(0x0A1436), Clamp(y / 480, 0, 1));
    const double facing = Clamp((dx * kLx + dy * kLy) / d, 0, 1);
    const double glow = Exp(-(d - kR) / 16.0) * (0.25 + 0.95 * facing);
    const double haze = Exp(-(d - kR) / 70.0) * 0.35 * facing;
    return Mix(Mix(space, Hex(0x2A5AB0), haze), Hex(0x9ED8FF), Clamp(glow, 0, 1));
  });
}

double OffPlanet(double x, double y) {
  const double dx = x - kCx, dy = y - kCy;
  return std::sqrt(dx * dx + dy * dy) > kR + 24 ? 1.0 : 0.0;
}

void PaintSunrise(Canvas& canvas) {
  // The sun just clearing the limb on the right, with a soft star of rays.
  const double sx = 618, sy = 372;
  for (int ray = 0; ray < 4; ++ray) {
    const double a = ray * kPi / 4 + 0.2;
    const double len = ray % 2 == 0 ? 90 : 50;
    canvas.Fill(Polygon({{sx + len * Cos(a), sy + len * Sin(a)},
                         {sx + 3 * Cos(a + kPi / 2), sy + 3 * Sin(a + kPi / 2)},
                         {sx - len * Cos(a), sy - len * Sin(a)},
                         {sx - 3 * Cos(a + kPi / 2), sy - 3 * Sin(a + kPi / 2)}}),
                Hex(0xFFFFFF), 0.45);
  }
  canvas.Fill(
      Circle(sx, sy, 40),
      [=](double x, double y) {
        const double d = std::sqrt((x - sx) * (x - sx) + (y - sy) * (y - sy)) / 40;
        return Mix(Hex(0xFFFFFF), Hex(0xBFE4FF), d);
      },
      0.5);
  canvas.Fill(Circle(sx, sy, 9), Hex(0xFFFFF4));
}

void PaintTitleBox(Canvas& canvas) {
  const Box& b = kTitleBox;
  const Region outer = RoundRect(b.x0, b.y0, b.x1, b.y1, 18);
  const Region inner = RoundRect(b.x0 + 7, b.y0 + 7, b.x1 - 7, b.y1 - 7, 12);
  canvas.Fill(Grow(outer, 2), Hex(0x101030), 0.8);
  canvas.Fill(Minus(outer, inner), [](double x, double y) {
    const Box& b = kTitleBox;
    const Rgb gold[4] = {Hex(0xFFF2B0), Hex(0xF6C040), Hex(0xD08A18), Hex(0xFFE08A)};
    return Gradient(gold, Clamp((y - b.y0) / (b.y1 - b.y0) + (x - b.x0) / 2400, 0, 1));
  });
  canvas.Fill(
      inner,
      [](double, double y) {
        const Box& b = kTitleBox;
        return Mix(Hex(0x1E2A78), Hex(0x0C1238), (y - b.y0) / (b.y1 - b.y0));
      },
      0.82);
  // A fine inner rule.
  canvas.Fill(Minus(RoundRect(b.x0 + 12, b.y0 + 12, b.x1 - 12, b.y1 - 12, 9),
                    RoundRect(b.x0 + 13.5, b.y0 + 13.5, b.x1 - 13.5, b.y1 - 13.5, 8)),
              Hex(0xF6C040), 0.7);
}

void PaintLogo(Canvas& canvas, const PixelFont& font) {
  const std::u32string title = U"Morvex2";
  constexpr double kScale = 9;
  const double x = 320 - font.Width(title) * kScale / 2;
  const double y = 40;
  auto text = [&](double dx, double dy, double weight) {
    return font.Rounded(title, x + dx, y + dy, kScale, weight);
  };
  canvas.Fill(text(6, 7, 1.25), Hex(0x05061A), 0.6);
  canvas.Fill(text(0, 0, 1.25), Hex(0xFFFFFF));
  canvas.Fill(text(0, 0, 0.95), Hex(0x3A1C86));
  const Rgb ramp[4] = {Hex(0xFFF8C8), Hex(0xFFD240), Hex(0xFF8A28), Hex(0xF0406A)};
  canvas.Fill(text(0, 0, 0.62), [&ramp, y](double, double py) {
    return Gradient(ramp, Clamp((py - y - 2 * kScale) / (12 * kScale), 0, 1));
  });
  // Gloss along the upper part of every stroke.
  canvas.Fill(Intersect(text(-2, -3, 0.35), Minus(text(0, 0, 0.62), text(0, 4, 0.62))),
              Hex(0xFFFFFF), 0.7);
  // ピンとふうせんのパズル
  const std::u32string subtitle =
      U"\u30D4\u30F3\u3068\u3075\u3046\u305B\u3093\u306E\u30D1\u30BA\u30EB";
  const double sx = 320 - font.Width(subtitle) * 1.25 / 2;
  canvas.Fill(font.Rounded(subtitle, sx + 1.5, 178 + 1.5, 1.25, 0.5), Hex(0x05061A), 0.8);
  canvas.Fill(font.Rounded(subtitle, sx, 178, 1.25, 0.5), Hex(0xDDEBFF));
}

void PaintSparkle(Canvas& canvas, double x, double y, double size) {
  canvas.Fill(Polygon({{x, y - size},
                       {x + size * 0.18, y - size * 0.18},
                       {x + size, y},
                       {x + size * 0.18, y + size * 0.18},
                       {x, y + size},
                       {x - size * 0.18, y + size * 0.18},
                       {x - size, y},
                       {x - size * 0.18, y - size * 0.18}}),
              Hex(0xFFFBE0));
}

}  // namespace

IndexedImage MakeTitlePicture(const PixelFont& font) {
  Canvas canvas(kScreenWidth, kScreenHeight, Rgb{});
  PaintSpaceAndPlanet(canvas);
  Rng rng(0x0BE);
  PaintStars(canvas, rng, {0, 0, 640, 480}, 380, OffPlanet);
  PaintSunrise(canvas);
  PaintTitleBox(canvas);
  PaintLogo(canvas, font);
  for (const auto& [x, y, s] : {std::tuple{60.0, 52.0, 9.0},
                                {584.0, 60.0, 7.0},
                                {548.0, 188.0, 10.0},
                                {90.0, 190.0, 6.0}}) {
    PaintSparkle(canvas, x, y, s);
  }
  return FlattenScreen(canvas, {kTitleBox});
}

}  // namespace art
