// Smooth pseudo-random noise for clouds, continents, grass and waves.
#pragma once

#include <cstdint>

namespace art {

// Value noise on an integer lattice, smoothly interpolated, in [0, 1].
double Noise3(double x, double y, double z, std::uint32_t seed);
// Fractal sum of `octaves` layers of noise, each twice as fine and half as
// strong as the one before, in [0, 1].
double Fractal3(double x, double y, double z, int octaves, std::uint32_t seed);

}  // namespace art
