// The committed tile sheet as the game draws it: each balloon covers only its
// piece, and its colour reads as itself once converted for the 16-bit screen.
#include <gtest/gtest.h>

#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/screen.h"
#include "play/cell.h"
#include "resources/resources.h"
#include "tests/support/test_display.h"

namespace {

using testsupport::FakeWindow;

// Which of the four colours an RGB565 pixel reads as, in 8-bit terms.
std::string Hue(std::uint16_t p) {
  const int r = (p >> 11) * 255 / 31, g = (p >> 5 & 0x3F) * 255 / 63, b = (p & 0x1F) * 255 / 31;
  if (r > g + 50 && b > g + 50) return "magenta";
  if (r > g + 50 && r > b + 50) return "red";
  if (g > r + 50 && g > b + 30) return "green";
  if (b > r + 50 && b > g + 30) return "blue";
  return "unclear";
}

TEST(RealArt, BalloonsKeepTheirColoursAndTheirSurroundings) {
  testsupport::TestDisplay display;
  resources::ClearTestResources();  // the program's own pictures from here on
  ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_spriteSurface, "FHSPRITE"));
  ASSERT_TRUE(LoadBitmapToSurface(FakeWindow(), g_backgroundSurface, "BCRI"));
  const std::pair<int, const char*> balloons[] = {
      {-5, "red"}, {-6, "green"}, {-7, "blue"}, {-8, "magenta"}};
  for (const auto& [kind, colour] : balloons) {
    DrawBackground(FakeWindow());
    const std::uint16_t corner = testsupport::PixelAt(20, 20), edge = testsupport::PixelAt(20, 58);
    DrawTile(FakeWindow(), Cell{kind, 0, 0, 0, 0, 20, 20});
    EXPECT_EQ(testsupport::PixelAt(20, 20), corner) << kind;
    EXPECT_EQ(testsupport::PixelAt(20, 58), edge) << kind;
    // Points of the body away from the highlight, lit and shaded.
    for (const auto& [x, y] : {std::pair{40, 32}, {46, 46}, {30, 44}}) {
      EXPECT_EQ(Hue(testsupport::PixelAt(x, y)), colour) << kind << " at " << x << "," << y;
    }
  }
}

}  // namespace
