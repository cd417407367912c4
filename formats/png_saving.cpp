// Saving a frame as a PNG file, whichever library makes its bytes.
#include <cerrno>

#include "formats/png_file.h"
#include "platform/base/log.h"
#include "platform/base/whole_file.h"

namespace formats {

bool WritePng(const std::string& path, const RgbImage& image) {
  const auto file = EncodePng(image.width, image.height, PngPixels::kRgb, image.pixels);
  if (!file) return false;
  const bool written = platform::WriteWholeFile(path, *file, platform::WriteMode::kReplace);
  if (!written) platform::LogErrno("writing " + path, errno);
  return written;
}

}  // namespace formats
