// Frames kept as PNG files: the offscreen host's captures, the golden frames
// the tests compare with, and what a test drew when it differs. The bytes are
// formats/png_file.h's; these read and write the files.
#pragma once

#include <optional>
#include <string>

#include "formats/png_file.h"

namespace platform {

// Writes the picture whole or not at all; false, with one line on standard
// error, when it could not.
[[nodiscard]] bool WritePngFile(const std::string& path, const formats::RgbImage& image);
// Nothing, with one line on standard error, when the file is missing or is
// not a PNG that can be read.
[[nodiscard]] std::optional<formats::RgbImage> ReadPngFile(const std::string& path);

}  // namespace platform
