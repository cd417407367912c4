// PNG files of 8-bit RGB pictures: captured frames and the golden frames that
// tests compare them with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // red, green, blue; rows top to bottom

  bool operator==(const RgbImage&) const = default;
};

[[nodiscard]] bool WritePng(const std::string& path, const RgbImage& image);
// Nothing when the file is missing or is not a PNG that can be read.
[[nodiscard]] std::optional<RgbImage> ReadPng(const std::string& path);

}  // namespace platform
