// Frames compared with golden images: PNGs in the source tree, compared pixel
// for pixel. Under the update switch (golden_update.h) the frame drawn is
// written as the golden instead. On a mismatch the frame drawn is saved beside
// the build as <build>/golden-actual/<name>.png.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "formats/png_file.h"
#include "platform/win32/pixel_buffer.h"

namespace testsupport {

// `golden` is a path relative to the source tree, e.g.
// "tests/display/golden/score_label.png".
::testing::AssertionResult MatchesGolden(const formats::RgbImage& drawn, const std::string& golden);
// `area` (left, top, right, bottom) of a 16-bit frame.
::testing::AssertionResult MatchesGolden(const platform::PixelBuffer& frame,
                                         const std::string& golden,
                                         const RECT& area = {0, 0, 640, 480});
// A frame captured to a PNG file.
::testing::AssertionResult MatchesGolden(const std::filesystem::path& captured,
                                         const std::string& golden);

}  // namespace testsupport
