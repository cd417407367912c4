// PNG files of 8-bit pictures: captured frames and the golden frames that
// tests compare them with (RGB), and the icons that desktops show in their
// menus (RGB with coverage).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace formats {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // red, green, blue; rows top to bottom

  bool operator==(const RgbImage&) const = default;
};

enum class PngPixels { kRgb = 3, kRgba = 4 };

// True when `pixels` fill a picture of width x height in `format` exactly.
[[nodiscard]] inline bool PixelsFillPicture(int width, int height, PngPixels format,
                                            std::span<const std::uint8_t> pixels) {
  return width > 0 && height > 0 &&
         pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                              static_cast<std::size_t>(format);
}

// The bytes of a PNG file of `pixels`, rows top to bottom, each pixel its
// channels in that order. Nothing when the pixels do not fill the picture.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> EncodePng(
    int width, int height, PngPixels format, std::span<const std::uint8_t> pixels);
// Writes the picture whole or not at all.
[[nodiscard]] bool WritePng(const std::string& path, const RgbImage& image);
// Nothing when the file is missing or is not a PNG that can be read.
[[nodiscard]] std::optional<RgbImage> ReadPng(const std::string& path);

}  // namespace formats
