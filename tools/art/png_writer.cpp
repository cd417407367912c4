#include "tools/art/png_writer.h"

#include <png.h>

#include <cmath>

namespace art {

namespace {

// Colours are painted on 0..255, coverage on 0..1.
std::uint8_t Byte(double value) {
  const double clamped = value < 0.0 ? 0.0 : (value > 255.0 ? 255.0 : value);
  return static_cast<std::uint8_t>(std::lround(clamped));
}

}  // namespace

std::optional<Bytes> EncodePngRgba(const Canvas& canvas) {
  Bytes pixels;
  pixels.reserve(static_cast<std::size_t>(canvas.width()) * canvas.height() * 4);
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb c = canvas.colour(x, y);
      const double a = canvas.alpha(x, y);
      // Nothing of a colour where nothing covers the pixel: the file stays
      // the same whatever was painted under a see-through edge.
      pixels.push_back(a > 0.0 ? Byte(c.r) : 0);
      pixels.push_back(a > 0.0 ? Byte(c.g) : 0);
      pixels.push_back(a > 0.0 ? Byte(c.b) : 0);
      pixels.push_back(Byte(a * 255.0));
    }
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(canvas.width());
  png.height = static_cast<png_uint_32>(canvas.height());
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr) == 0) {
    return std::nullopt;
  }
  Bytes file(size);
  const bool written =
      png_image_write_to_memory(&png, file.data(), &size, 0, pixels.data(), 0, nullptr) != 0;
  png_image_free(&png);
  if (!written) return std::nullopt;
  file.resize(size);
  return file;
}

}  // namespace art
