#include "platform/formats/png_file.h"

#include <png.h>

#include "platform/base/failure_log.h"

namespace platform {

namespace {

// A frame never comes near this; a file that claims more is not ours.
constexpr png_uint_32 kLargestSide = 8192;

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePng(int width, int height, PngPixels format,
                                                   std::span<const std::uint8_t> pixels) {
  if (!PixelsFillPicture(width, height, format, pixels)) return std::nullopt;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(width);
  png.height = static_cast<png_uint_32>(height);
  png.format = format == PngPixels::kRgb ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
  // The first call measures, the second writes.
  png_alloc_size_t size = 0;
  std::optional<std::vector<std::uint8_t>> file;
  if (png_image_write_to_memory(&png, nullptr, &size, 0, pixels.data(), 0, nullptr) != 0) {
    file.emplace(size);
    if (png_image_write_to_memory(&png, file->data(), &size, 0, pixels.data(), 0, nullptr) != 0) {
      file->resize(size);
    } else {
      file.reset();
    }
  }
  if (!file) LogFailure("png_image_write_to_memory", png.message);
  png_image_free(&png);
  return file;
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
