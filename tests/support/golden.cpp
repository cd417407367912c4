#include "tests/support/golden.h"

#include <optional>

#include "tests/support/golden_update.h"
#include "tests/support/headless/offscreen_video.h"
#include "tests/support/headless/png_files.h"

namespace testsupport {

namespace {

namespace fs = std::filesystem;

// Where the frame drawn goes when it differs, to be looked at.
std::string SaveActual(const formats::RgbImage& image, const std::string& golden) {
  const fs::path path =
      fs::path(MORVEX2_BINARY_DIR) / "golden-actual" / fs::path(golden).filename();
  std::error_code ignored;
  fs::create_directories(path.parent_path(), ignored);
  if (!platform::WritePngFile(path.string(), image)) return "nowhere (it could not be saved)";
  return path.string();
}

}  // namespace

::testing::AssertionResult MatchesGolden(const formats::RgbImage& drawn,
                                         const std::string& golden) {
  const std::string path = std::string(MORVEX2_SOURCE_DIR) + "/" + golden;
  if (UpdatingGoldens()) {
    fs::create_directories(fs::path(path).parent_path());
    if (platform::WritePngFile(path, drawn)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot write " << path;
  }
  const std::optional<formats::RgbImage> expected = platform::ReadPngFile(path);
  if (!expected || expected->width != drawn.width || expected->height != drawn.height) {
    return ::testing::AssertionFailure()
           << "no golden frame " << path << " of the frame's size"
           << " (drawn: " << SaveActual(drawn, golden) << "; MORVEX2_UPDATE_GOLDEN=1 makes it)";
  }
  std::size_t differing = 0, first = 0;
  for (std::size_t i = 0; i < drawn.pixels.size(); i += 3) {
    const bool same = expected->pixels[i] == drawn.pixels[i] &&
                      expected->pixels[i + 1] == drawn.pixels[i + 1] &&
                      expected->pixels[i + 2] == drawn.pixels[i + 2];
    if (!same && differing++ == 0) first = i / 3;
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differing << " pixels differ from " << golden << ", the first at ("
         << first % static_cast<std::size_t>(drawn.width) << ", "
         << first / static_cast<std::size_t>(drawn.width)
         << ") of the part compared; drawn: " << SaveActual(drawn, golden);
}

::testing::AssertionResult MatchesGolden(const platform::PixelBuffer& frame,
                                         const std::string& golden, const RECT& area) {
  return MatchesGolden(platform::RgbFromRgb565(frame, area), golden);
}

::testing::AssertionResult MatchesGolden(const fs::path& captured, const std::string& golden) {
  const std::optional<formats::RgbImage> drawn = platform::ReadPngFile(captured.string());
  if (!drawn) return ::testing::AssertionFailure() << "no frame captured in " << captured;
  return MatchesGolden(*drawn, golden);
}

}  // namespace testsupport
