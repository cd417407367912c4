#include "tools/art/shapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "tools/art/det_math.h"

namespace art {

Region Circle(double cx, double cy, double r) {
  return {{cx - r, cy - r, cx + r, cy + r},
          [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; }};
}

Region Ellipse(double cx, double cy, double rx, double ry) {
  return {{cx - rx, cy - ry, cx + rx, cy + ry}, [=](double x, double y) {
            const double u = (x - cx) / rx;
            const double v = (y - cy) / ry;
            return u * u + v * v <= 1.0;
          }};
}

Region Rect(double x0, double y0, double x1, double y1) {
  return {{x0, y0, x1, y1},
          [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }};
}

Region RoundRect(double x0, double y0, double x1, double y1, double radius) {
  return {{x0, y0, x1, y1}, [=](double x, double y) {
            if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
            const double cx = Clamp(x, x0 + radius, x1 - radius);
            const double cy = Clamp(y, y0 + radius, y1 - radius);
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
          }};
}

double SegmentDistance(Point p, Point a, Point b) {
  const double vx = b.x - a.x;
  const double vy = b.y - a.y;
  const double len2 = vx * vx + vy * vy;
  double t = len2 > 0.0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / len2 : 0.0;
  t = Clamp(t, 0.0, 1.0);
  const double dx = p.x - (a.x + t * vx);
  const double dy = p.y - (a.y + t * vy);
  return std::sqrt(dx * dx + dy * dy);
}

Region Capsule(Point a, Point b, double r) {
  const Box box{std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
                std::max(a.y, b.y) + r};
  return {box, [=](double x, double y) { return SegmentDistance({x, y}, a, b) <= r; }};
}

Region Polygon(std::vector<Point> points) {
  Box box{points[0].x, points[0].y, points[0].x, points[0].y};
  for (const Point& p : points) {
    box = {std::min(box.x0, p.x), std::min(box.y0, p.y), std::max(box.x1, p.x),
           std::max(box.y1, p.y)};
  }
  return {box, [pts = std::move(points)](double x, double y) {
            bool inside = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
              const Point& a = pts[i];
              const Point& b = pts[j];
              if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) {
                inside = !inside;
              }
            }
            return inside;
          }};
}

Region Union(Region a, Region b) {
  const Box box{std::min(a.bounds.x0, b.bounds.x0), std::min(a.bounds.y0, b.bounds.y0),
                std::max(a.bounds.x1, b.bounds.x1), std::max(a.bounds.y1, b.bounds.y1)};
  return {box, [a = std::move(a.contains), b = std::move(b.contains)](double x, double y) {
            return a(x, y) || b(x, y);
          }};
}

Region Intersect(Region a, Region b) {
  const Box box{std::max(a.bounds.x0, b.bounds.x0), std::max(a.bounds.y0, b.bounds.y0),
                std::min(a.bounds.x1, b.bounds.x1), std::min(a.bounds.y1, b.bounds.y1)};
  return {box, [a = std::move(a.contains), b = std::move(b.contains)](double x, double y) {
            return a(x, y) && b(x, y);
          }};
}

Region Minus(Region a, Region b) {
  return {a.bounds, [a = std::move(a.contains), b = std::move(b.contains)](double x, double y) {
            return a(x, y) && !b(x, y);
          }};
}

Region Grow(Region a, double r) {
  const Box box{a.bounds.x0 - r, a.bounds.y0 - r, a.bounds.x1 + r, a.bounds.y1 + r};
  std::vector<Point> offsets{{0, 0}};
  for (int ring = 1; ring <= 2; ++ring) {
    const double radius = r * ring / 2.0;
    for (int k = 0; k < 16; ++k) {
      const double t = 2.0 * kPi * k / 16.0;
      offsets.push_back({radius * Cos(t), radius * Sin(t)});
    }
  }
  return {box, [f = std::move(a.contains), offsets](double x, double y) {
            for (const Point& o : offsets) {
              if (f(x + o.x, y + o.y)) return true;
            }
            return false;
          }};
}

Point Placement::ToWorld(Point local) const {
  const double c = Cos(angle);
  const double s = Sin(angle);
  const double x = local.x - cx;
  const double y = local.y - cy;
  return {cx + c * x - s * y + dx, cy + s * x + c * y + dy};
}

Point Placement::ToLocal(Point world) const {
  const double c = Cos(angle);
  const double s = Sin(angle);
  const double x = world.x - dx - cx;
  const double y = world.y - dy - cy;
  return {cx + c * x + s * y, cy - s * x + c * y};
}

Region Placed(Region local, Placement p) {
  const Box& b = local.bounds;
  Box box{1e9, 1e9, -1e9, -1e9};
  for (Point corner :
       {Point{b.x0, b.y0}, Point{b.x1, b.y0}, Point{b.x0, b.y1}, Point{b.x1, b.y1}}) {
    const Point w = p.ToWorld(corner);
    box = {std::min(box.x0, w.x), std::min(box.y0, w.y), std::max(box.x1, w.x),
           std::max(box.y1, w.y)};
  }
  return {box, [f = std::move(local.contains), p](double x, double y) {
            const Point l = p.ToLocal({x, y});
            return f(l.x, l.y);
          }};
}

}  // namespace art
