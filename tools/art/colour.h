// Colours while a picture is painted: channels as doubles on the 0..255 scale,
// so that gradients and blends keep their precision until the palette is made.
#pragma once

#include <cstdint>

namespace art {

struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};

inline Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator-(Rgb a, Rgb b) {
  return {a.r - b.r, a.g - b.g, a.b - b.b};
}
inline Rgb operator*(Rgb a, double s) {
  return {a.r * s, a.g * s, a.b * s};
}

// 0xRRGGBB, as colours are written in the pictures' code.
constexpr Rgb Hex(std::uint32_t rgb) {
  return {static_cast<double>((rgb >> 16) & 0xFF), static_cast<double>((rgb >> 8) & 0xFF),
          static_cast<double>(rgb & 0xFF)};
}

inline Rgb Mix(Rgb a, Rgb b, double t) {
  return a + (b - a) * t;
}

// Brightens towards white (amount > 0) or darkens towards black (amount < 0).
inline Rgb Shade(Rgb c, double amount) {
  return amount >= 0.0 ? Mix(c, Rgb{255, 255, 255}, amount) : Mix(c, Rgb{0, 0, 0}, -amount);
}

// Piecewise-linear gradient through evenly spaced stops.
template <int N>
Rgb Gradient(const Rgb (&stops)[N], double t) {
  if (t <= 0.0) return stops[0];
  if (t >= 1.0) return stops[N - 1];
  const double scaled = t * (N - 1);
  const int i = static_cast<int>(scaled);
  return Mix(stops[i], stops[i + 1], scaled - i);
}

}  // namespace art
