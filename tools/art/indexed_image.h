// A finished 256-colour picture: one palette index per pixel, top row first.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace art {

struct Rgb8 {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb8&) const = default;
};

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height, row by row from the top
  std::array<Rgb8, 256> palette{};
};

}  // namespace art
