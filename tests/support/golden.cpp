#include "tests/support/golden.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/offscreen_video.h"
#include "platform/png_file.h"

namespace testsupport {

namespace {

// Where the frame drawn goes when it differs, to be looked at.
std::string SaveActual(const platform::RgbImage& image, const std::string& golden) {
  namespace fs = std::filesystem;
  const fs::path path =
      fs::path(MORVEX2_BINARY_DIR) / "golden-actual" / fs::path(golden).filename();
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  if (!platform::WritePng(path.string(), image)) return "nowhere (it could not be saved)";
  return path.string();
}

// Narrowed to the back buffer's 5-6-5 bits, the way the frame was drawn.
std::uint32_t As565(const platform::RgbImage& image, std::size_t pixel) {
  const std::uint8_t* rgb = &image.pixels[pixel * 3];
  return (std::uint32_t{rgb[0]} >> 3) << 11 | (std::uint32_t{rgb[1]} >> 2) << 5 | rgb[2] >> 3;
}

}  // namespace

::testing::AssertionResult MatchesGolden(const SDL_Surface& frame, const std::string& golden,
                                         const SDL_Rect& area) {
  const platform::RgbImage actual = platform::RgbFromRgb565(frame, area);
  const std::string path = std::string(MORVEX2_SOURCE_DIR) + "/" + golden;
  const char* update = std::getenv("MORVEX2_UPDATE_GOLDEN");
  if (update != nullptr && std::string_view(update) == "1") {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (platform::WritePng(path, actual)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot write " << path;
  }
  const std::optional<platform::RgbImage> expected = platform::ReadPng(path);
  if (!expected || expected->width != actual.width || expected->height != actual.height) {
    return ::testing::AssertionFailure()
           << "no golden frame " << path << " of the frame's size"
           << " (drawn: " << SaveActual(actual, golden) << "; MORVEX2_UPDATE_GOLDEN=1 makes it)";
  }
  std::size_t differing = 0, first = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(actual.width) * actual.height; ++i) {
    if (As565(*expected, i) != As565(actual, i) && differing++ == 0) first = i;
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differing << " pixels differ from " << golden << ", the first at ("
         << area.x + first % actual.width << ", " << area.y + first / actual.width
         << "); drawn: " << SaveActual(actual, golden);
}

}  // namespace testsupport
