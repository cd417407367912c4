#include "tests/support/headless/png_files.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/base/log.h"
#include "platform/base/whole_file.h"

namespace platform {

namespace {

// A frame's file never comes near this; a larger one is not ours.
constexpr std::size_t kLargestFile = std::size_t{64} * 1024 * 1024;

}  // namespace

bool WritePngFile(const std::string& path, const formats::RgbImage& image) {
  const auto file =
      formats::EncodePng(image.width, image.height, formats::PngPixels::kRgb, image.pixels);
  if (!file) {
    LogError("writing " + path, "the picture could not be packed as PNG");
    return false;
  }
  const bool written = WriteWholeFile(path, *file, WriteMode::kReplace);
  if (!written) LogErrno("writing " + path, errno);
  return written;
}

std::optional<formats::RgbImage> ReadPngFile(const std::string& path) {
  const std::optional<std::vector<std::uint8_t>> file = ReadSmallFile(path, kLargestFile);
  if (!file) {
    LogErrno("reading " + path, errno);
    return std::nullopt;
  }
  std::string why;
  std::optional<formats::RgbImage> image = formats::DecodePng(*file, &why);
  if (!image) LogError("reading " + path, why);
  return image;
}

}  // namespace platform
