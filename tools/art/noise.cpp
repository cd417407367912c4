#include "tools/art/noise.h"

#include <cmath>

namespace art {
namespace {

double Lattice(std::int64_t x, std::int64_t y, std::int64_t z, std::uint32_t seed) {
  std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B185EBCA87ull ^
                    static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^
                    static_cast<std::uint64_t>(z) * 0x165667B19E3779F9ull ^ seed;
  h ^= h >> 33;
  h *= 0xFF51AFD7ED558CCDull;
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

double Fade(double t) {
  return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}
double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

}  // namespace

double Noise3(double x, double y, double z, std::uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const auto ix = static_cast<std::int64_t>(fx);
  const auto iy = static_cast<std::int64_t>(fy);
  const auto iz = static_cast<std::int64_t>(fz);
  const double u = Fade(x - fx), v = Fade(y - fy), w = Fade(z - fz);
  auto corner = [&](int dx, int dy, int dz) { return Lattice(ix + dx, iy + dy, iz + dz, seed); };
  const double x00 = Lerp(corner(0, 0, 0), corner(1, 0, 0), u);
  const double x10 = Lerp(corner(0, 1, 0), corner(1, 1, 0), u);
  const double x01 = Lerp(corner(0, 0, 1), corner(1, 0, 1), u);
  const double x11 = Lerp(corner(0, 1, 1), corner(1, 1, 1), u);
  return Lerp(Lerp(x00, x10, v), Lerp(x01, x11, v), w);
}

double Fractal3(double x, double y, double z, int octaves, std::uint32_t seed) {
  double sum = 0.0, weight = 1.0, total = 0.0, scale = 1.0;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * Noise3(x * scale, y * scale, z * scale, seed + static_cast<std::uint32_t>(i));
    total += weight;
    weight *= 0.5;
    scale *= 2.0;
  }
  return sum / total;
}

}  // namespace art
