#include "tools/art/canvas.h"

#include <algorithm>
#include <cmath>

namespace art {
namespace {

constexpr int kSamples = 4;  // per axis

// Fraction of the pixel's 4 x 4 sample grid that lies inside the region.
double Coverage(const Region& region, int x, int y) {
  int inside = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      if (region.contains(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples)) ++inside;
    }
  }
  return static_cast<double>(inside) / (kSamples * kSamples);
}

}  // namespace

Canvas::Canvas(int width, int height, Rgb fill, double alpha)
    : width_(width),
      height_(height),
      colour_(static_cast<size_t>(width) * height, fill),
      alpha_(static_cast<size_t>(width) * height, alpha) {}

void Canvas::Set(int x, int y, Rgb c, double a) {
  colour_[Index(x, y)] = c;
  alpha_[Index(x, y)] = a;
}

void Canvas::Blend(int x, int y, Rgb c, double a) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || a <= 0.0) return;
  const int i = Index(x, y);
  const double under = alpha_[i] * (1.0 - a);
  const double out = a + under;
  colour_[i] = (c * a + colour_[i] * under) * (1.0 / out);
  alpha_[i] = out;
}

void Canvas::Fill(const Region& region, const std::function<Rgb(double, double)>& paint,
                  double opacity) {
  const int x0 = std::max(0, static_cast<int>(std::floor(region.bounds.x0)));
  const int y0 = std::max(0, static_cast<int>(std::floor(region.bounds.y0)));
  const int x1 = std::min(width_ - 1, static_cast<int>(std::floor(region.bounds.x1)));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::floor(region.bounds.y1)));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double cover = Coverage(region, x, y);
      if (cover > 0.0) Blend(x, y, paint(x + 0.5, y + 0.5), cover * opacity);
    }
  }
}

void Canvas::Fill(const Region& region, Rgb c, double opacity) {
  Fill(
      region, [c](double, double) { return c; }, opacity);
}

void Canvas::Paint(const std::function<Rgb(double, double)>& paint) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) Set(x, y, paint(x + 0.5, y + 0.5));
  }
}

void Canvas::Draw(const Canvas& source, int x, int y) {
  for (int sy = 0; sy < source.height(); ++sy) {
    for (int sx = 0; sx < source.width(); ++sx) {
      Blend(x + sx, y + sy, source.colour(sx, sy), source.alpha(sx, sy));
    }
  }
}

}  // namespace art
