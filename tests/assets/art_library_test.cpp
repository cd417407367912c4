// The painting library under the generators: its arithmetic, its palette
// reduction and its file encoders.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tools/art/bmp_writer.h"
#include "tools/art/det_math.h"
#include "tools/art/ico_writer.h"
#include "tools/art/quantizer.h"

namespace {

TEST(PortableMath, AgreesWithTheCLibrary) {
  for (double x : {-20.0, -3.5, -1.0, -0.25, 0.0, 0.3, 1.5707, 2.0, 3.14159, 7.0, 100.0}) {
    EXPECT_NEAR(art::Sin(x), std::sin(x), 1e-12) << x;
    EXPECT_NEAR(art::Cos(x), std::cos(x), 1e-12) << x;
    EXPECT_NEAR(art::Exp(x / 10), std::exp(x / 10), 1e-12 * std::exp(x / 10)) << x;
  }
  for (double x : {1e-6, 0.01, 0.5, 1.0, 2.0, 9.75, 1e6}) {
    EXPECT_NEAR(art::Log(x), std::log(x), 1e-12) << x;
    EXPECT_NEAR(art::Pow(x, 0.9), std::pow(x, 0.9), 1e-11 * std::pow(x, 0.9)) << x;
  }
  for (const auto& [y, x] :
       {std::pair{0.0, 1.0}, {1.0, 0.0}, {-1.0, -1.0}, {0.3, -2.0}, {-5.0, 0.1}, {2.0, 2.0}}) {
    EXPECT_NEAR(art::Atan2(y, x), std::atan2(y, x), 1e-12) << y << "," << x;
  }
}

art::Canvas Stripes(int width, int height, int colours) {
  art::Canvas canvas(width, height, art::Rgb{});
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int k = (x + y * width) % colours;
      canvas.Set(x, y, art::Rgb{double(k * 7 % 256), double(k * 13 % 256), double(k * 29 % 256)});
    }
  }
  return canvas;
}

TEST(Quantizer, KeepsAFewColoursExactly) {
  const art::Canvas canvas = Stripes(30, 20, 40);
  const art::IndexedImage image = art::Quantize(canvas, {});
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const art::Rgb8 got = image.palette[image.pixels[y * 30 + x]];
      EXPECT_EQ(got.r, canvas.colour(x, y).r);
      EXPECT_EQ(got.g, canvas.colour(x, y).g);
      EXPECT_EQ(got.b, canvas.colour(x, y).b);
    }
  }
}

// The tile sheet's background entry must never turn up inside a tile, even
// for a colour that matches it exactly.
TEST(Quantizer, NeverGivesPaintedPixelsAnUnusableEntry) {
  art::Canvas canvas = Stripes(64, 64, 600);
  canvas.Set(5, 5, art::Rgb{2, 4, 4});
  art::QuantizeOptions options;
  options.reserved.push_back({{2, 4, 4}, false});
  options.forced.assign(64 * 64, -1);
  options.forced[0] = 0;
  options.dither.assign(64 * 64, true);
  const art::IndexedImage image = art::Quantize(canvas, options);
  EXPECT_EQ(image.palette[0], (art::Rgb8{2, 4, 4}));
  EXPECT_EQ(image.pixels[0], 0);
  for (size_t i = 1; i < image.pixels.size(); ++i) ASSERT_NE(image.pixels[i], 0) << i;
}

TEST(Quantizer, UsesNoMoreEntriesThanAsked) {
  art::QuantizeOptions options;
  options.size = 16;
  const art::IndexedImage image = art::Quantize(Stripes(32, 32, 300), options);
  const std::set<int> used(image.pixels.begin(), image.pixels.end());
  EXPECT_LE(used.size(), 16u);
  EXPECT_LT(*used.rbegin(), 16);
}

// Rows of a bitmap are padded to four bytes; a width that is not a multiple
// of four must not shear the picture.
TEST(BitmapEncoder, PadsRowsAndStoresThemBottomUp) {
  art::IndexedImage image;
  image.width = 3;
  image.height = 2;
  image.pixels = {1, 2, 3, 4, 5, 6};
  const art::Bytes b = art::EncodeBmp8(image);
  ASSERT_EQ(b.size(), 1078u + 2 * 4);
  const art::Bytes rows(b.begin() + 1078, b.end());
  EXPECT_EQ(rows, (art::Bytes{4, 5, 6, 0, 1, 2, 3, 0}));
}

TEST(IconEncoder, PacksTwoPixelsABytesAndMasksTheTransparentOnes) {
  art::IndexedImage image;
  image.width = 32;
  image.height = 32;
  image.pixels.assign(32 * 32, 0);
  image.pixels[0] = 0xA;  // top-left
  image.pixels[1] = 0x5;
  std::vector<bool> transparent(32 * 32, false);
  transparent[31] = true;  // top-right
  const art::Bytes b = art::EncodeIcon16(image, transparent);
  const size_t xorAt = 22 + 40 + 64;
  const size_t topXorRow = xorAt + 31 * 16;  // rows are stored bottom-up
  EXPECT_EQ(b[topXorRow], 0xA5);
  const size_t topMaskRow = xorAt + 32 * 16 + 31 * 4;
  EXPECT_EQ(b[topMaskRow + 3], 0x01);
  EXPECT_EQ(b[topMaskRow], 0x00);
}

}  // namespace
