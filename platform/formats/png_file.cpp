#include "platform/formats/png_file.h"

#include <png.h>

#include "platform/base/failure_log.h"

namespace platform {

namespace {

// A frame never comes near this; a file that claims more is not ours.
constexpr png_uint_32 kLargestSide = 8192;

}  // namespace

bool WritePng(const std::string& path, const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  const bool written =
      png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
  if (!written) LogFailure("png_image_write_to_file(" + path + ")", png.message);
  png_image_free(&png);
  return written;
}

std::optional<RgbImage> ReadPng(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    LogFailure("png_image_begin_read_from_file(" + path + ")", png.message);
    return std::nullopt;
  }
  if (png.width == 0 || png.height == 0 || png.width > kLargestSide || png.height > kLargestSide) {
    LogFailure("reading " + path, "an image larger than any frame");
    png_image_free(&png);
    return std::nullopt;
  }
  png.format = PNG_FORMAT_RGB;
  RgbImage image;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.pixels.resize(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) == 0) {
    LogFailure("png_image_finish_read(" + path + ")", png.message);
    png_image_free(&png);
    return std::nullopt;
  }
  return image;
}

}  // namespace platform
