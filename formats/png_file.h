// PNG files of 8-bit pictures: captured frames and the golden frames that
// tests compare them with (RGB), and the icons that desktops show in their
// menus (RGB with coverage). Bytes in, bytes out: the callers read and write
// the files.
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
// channels in that order. Nothing when the pixels do not fill the picture, or
// when zlib could not pack them.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> EncodePng(
    int width, int height, PngPixels format, std::span<const std::uint8_t> pixels);
// The picture a PNG file's bytes hold, as RGB. Nothing, and in `why` the
// reason in a few words, for bytes that are not a PNG file this reader takes
// (8-bit RGB or RGB with coverage, not interlaced, no larger than a frame).
[[nodiscard]] std::optional<RgbImage> DecodePng(std::span<const std::uint8_t> file,
                                                std::string* why);

}  // namespace formats
