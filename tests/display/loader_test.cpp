// Pictures read from bytes nobody vouches for, and copied to a surface through
// their own colours. The loader's failures are with the screen's.
#include <gtest/gtest.h>

#include "display/bitmap_loader.h"
#include "display/dib.h"
#include "display/screen.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/surface_pixels.h"
#include "resources/resources.h"
#include "resources/resources_testing.h"
#include "tests/support/test_display.h"
#include "tests/support/test_pictures.h"

namespace {

using testsupport::FakeWindow;
using testsupport::PixelAt;
using testsupport::TestDisplay;

// 5 x 3 (rows padded to 8 bytes), pixel value 10 * y + x, whose colour is
// that much red.
std::vector<std::uint8_t> SmallBitmap(bool bottomUp = true) {
  testsupport::Palette colours{};
  for (int v = 0; v < 25; ++v) colours[v] = RGBQUAD{0, 0, static_cast<std::uint8_t>(v * 8), 0};
  return testsupport::MakeBitmap(
      5, 3, colours, [](int x, int y) { return std::uint8_t(10 * y + x); }, bottomUp);
}

TEST(LoadBitmapToSurface, CopiesThePictureToTheTopLeftCornerThroughItsColours) {
  TestDisplay display;
  for (bool bottomUp : {true, false}) {
    platform::SurfacePixels::Of(*g_backgroundSurface).Fill(0x0FF0);
    resources::SetTestResource("BRANK", RT_BITMAP, SmallBitmap(bottomUp));
    ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BRANK"));
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) {
        const int expected = x < 5 && y < 3 ? (10 * y + x) << 11 : 0x0FF0;  // the rest untouched
        EXPECT_EQ(PixelAt(x, y, g_backgroundSurface), expected) << x << "," << y << " " << bottomUp;
      }
    }
  }
}

TEST(ParseDib, RefusesPicturesItCannotShowOrWhosePartsDoNotFit) {
  const struct {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  } damages[] = {
      {"not a bitmap", 0, 0},
      {"core header", 14, 12},
      {"header past the end", 14, 0x7FFFFFFF},
      {"zero width", 18, 0},
      {"negative width", 18, 0xFFFFFFFB},
      {"zero height", 22, 0},
      {"height that cannot be negated", 22, 0x80000000u},
      {"huge height", 22, 0x7FFFFFFF},
      {"huge width", 18, 0x7FFFFFFF},
      {"two planes", 26, 2 | 8 << 16},
      {"24 bits", 28, 24},
      {"run-length", 30, 1},
      {"16 colours", 46, 16},
      {"pixels over the colours", 10, 54},
      {"pixels past the end", 10, 0xFFFFFFF0u},
  };
  for (const auto& damage : damages) {
    auto file = SmallBitmap();
    for (int i = 0; i < 4; ++i)
      file[damage.at + i] = static_cast<std::uint8_t>(damage.value >> 8 * i);
    EXPECT_FALSE(ParseDib(file).has_value()) << damage.what;
  }
}

// Every prefix is read from a buffer of exactly that size, so the sanitizer
// catches any read past what was given.
TEST(ParseDib, EveryTruncationIsRefusedWithoutReadingPastIt) {
  const auto file = SmallBitmap();
  for (std::size_t length = 0; length < file.size(); ++length) {
    const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<long>(length));
    EXPECT_FALSE(ParseDib(cut).has_value()) << length;
    EXPECT_EQ(ReadDibSize(cut).has_value(), length >= 26) << length;
  }
}

}  // namespace
