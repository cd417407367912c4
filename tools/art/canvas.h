// A picture being painted in full colour with coverage (alpha), before it is
// reduced to a 256-colour palette.
#pragma once

#include <functional>
#include <vector>

#include "tools/art/colour.h"

namespace art {

struct Box {
  double x0, y0, x1, y1;
};

// An area of the plane: a bounding box (for speed) and a membership test.
struct Region {
  Box bounds;
  std::function<bool(double, double)> contains;
};

class Canvas {
 public:
  Canvas(int width, int height, Rgb fill, double alpha = 1.0);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb colour(int x, int y) const { return colour_[Index(x, y)]; }
  double alpha(int x, int y) const { return alpha_[Index(x, y)]; }
  void Set(int x, int y, Rgb c, double a = 1.0);

  // Paints `c` over the pixel with opacity `a` (0..1), "over" compositing.
  void Blend(int x, int y, Rgb c, double a);

  // Fills a region, anti-aliased by 4 x 4 samples per pixel; the paint is
  // evaluated at the pixel's centre.
  void Fill(const Region& region, const std::function<Rgb(double, double)>& paint,
            double opacity = 1.0);
  void Fill(const Region& region, Rgb c, double opacity = 1.0);

  // Sets every pixel from a function of its centre: skies, seas, gradients.
  void Paint(const std::function<Rgb(double, double)>& paint);

  // Copies another canvas with its alpha onto this one at (x, y).
  void Draw(const Canvas& source, int x, int y);

 private:
  int Index(int x, int y) const { return y * width_ + x; }

  int width_;
  int height_;
  std::vector<Rgb> colour_;
  std::vector<double> alpha_;
};

}  // namespace art
