// Regions for the painters: circles, capsules, polygons and the ways to combine
// and move them.
#pragma once

#include <vector>

#include "tools/art/canvas.h"

namespace art {

struct Point {
  double x, y;
};

Region Circle(double cx, double cy, double r);
Region Ellipse(double cx, double cy, double rx, double ry);
Region Rect(double x0, double y0, double x1, double y1);
Region RoundRect(double x0, double y0, double x1, double y1, double radius);
// A thick line with round ends: every point within `r` of segment a-b.
Region Capsule(Point a, Point b, double r);
// Even-odd filled polygon.
Region Polygon(std::vector<Point> points);

Region Union(Region a, Region b);
Region Intersect(Region a, Region b);
Region Minus(Region a, Region b);
// Grows a region by `r` in every direction, approximately (by sampling a ring).
Region Grow(Region a, double r);

// A turn by `angle` (radians, clockwise on screen since y grows downwards)
// about (cx, cy), followed by a shift of (dx, dy).
struct Placement {
  double cx = 0, cy = 0, angle = 0, dx = 0, dy = 0;
  Point ToWorld(Point local) const;
  Point ToLocal(Point world) const;
};
Region Placed(Region local, Placement p);

// Distance from a point to segment a-b.
double SegmentDistance(Point p, Point a, Point b);

}  // namespace art
