// Saving a frame as a PNG file, whichever library makes its bytes.
#include <cerrno>

#include "platform/base/log.h"
#include "platform/base/whole_file.h"
#include "platform/formats/png_file.h"

namespace platform {

bool WritePng(const std::string& path, const RgbImage& image) {
  const auto file = EncodePng(image.width, image.height, PngPixels::kRgb, image.pixels);
  if (!file) return false;
  const bool written = WriteWholeFile(path, *file, WriteMode::kReplace);
  if (!written) LogErrno("writing " + path, errno);
  return written;
}

}  // namespace platform
