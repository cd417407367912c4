// The committed pictures and icon are standard files in the form the game's
// loader expects, and keep the arrangement that the game draws over them.
#include <gtest/gtest.h>

#include <string>

#include "tests/assets/file_bytes.h"

namespace {

struct Bitmap {
  int width = 0, height = 0;
  FileBytes palette;  // 256 x (blue, green, red, 0)
  FileBytes pixels;   // palette indices, top row first
  int At(int x, int y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
  int Red(int i) const { return palette.at(4 * i + 2); }
  int Green(int i) const { return palette.at(4 * i + 1); }
  int Blue(int i) const { return palette.at(4 * i); }
};

// Checks every header field a loader relies on, then unpacks the picture.
Bitmap ParseBmp8(const FileBytes& b) {
  Bitmap bmp;
  EXPECT_GE(b.size(), 1078u);
  if (b.size() < 1078u) return bmp;
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(Le32(b, 2), b.size()) << "file size field";
  EXPECT_EQ(Le32(b, 10), 1078u) << "pixels follow the 256-entry colour table";
  EXPECT_EQ(Le32(b, 14), 40u) << "BITMAPINFOHEADER";
  bmp.width = static_cast<int>(Le32(b, 18));
  bmp.height = static_cast<int>(Le32(b, 22));
  EXPECT_GT(bmp.height, 0) << "bottom-up rows";
  EXPECT_EQ(Le16(b, 26), 1u) << "planes";
  EXPECT_EQ(Le16(b, 28), 8u) << "bits per pixel";
  EXPECT_EQ(Le32(b, 30), 0u) << "uncompressed";
  EXPECT_TRUE(Le32(b, 46) == 0 || Le32(b, 46) == 256) << "colours used";
  const size_t stride = (static_cast<size_t>(bmp.width) + 3) & ~size_t{3};
  EXPECT_EQ(b.size(), 1078 + stride * bmp.height);
  if (bmp.width <= 0 || bmp.height <= 0 || b.size() != 1078 + stride * bmp.height) return bmp;
  bmp.palette.assign(b.begin() + 54, b.begin() + 1078);
  for (int y = 0; y < bmp.height; ++y) {
    const auto row = b.begin() + static_cast<std::ptrdiff_t>(1078 + (bmp.height - 1 - y) * stride);
    bmp.pixels.insert(bmp.pixels.end(), row, row + bmp.width);
  }
  return bmp;
}

Bitmap LoadPicture(const std::string& name) {
  return ParseBmp8(ReadSourceFile("resources/" + name + ".bmp"));
}

struct PictureSize {
  const char* name;
  int width, height;
};

class Pictures : public ::testing::TestWithParam<PictureSize> {};

TEST_P(Pictures, AreEightBitBitmapsOfTheirSize) {
  const Bitmap bmp = LoadPicture(GetParam().name);
  EXPECT_EQ(bmp.width, GetParam().width);
  EXPECT_EQ(bmp.height, GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(
    AllSix, Pictures,
    ::testing::Values(PictureSize{"FHSPRITE", 160, 400}, PictureSize{"BOPENING", 640, 480},
                      PictureSize{"BRANK", 640, 480}, PictureSize{"BCRI", 640, 480},
                      PictureSize{"BGIYA", 640, 480}, PictureSize{"BFUNE", 640, 480}),
    [](const auto& info) { return std::string(info.param.name); });

// Palette entry 0 of the sheet is its background and is never drawn: no
// tile may use it, nor an entry of the same colour, nor a near-black one
// that would vanish on the dark fields.
TEST(TileSheet, KeepsEntryZeroForTheBackgroundAlone) {
  const Bitmap sheet = LoadPicture("FHSPRITE");
  ASSERT_EQ(sheet.pixels.size(), 160u * 400u);
  EXPECT_EQ(sheet.Red(0), 2);
  EXPECT_EQ(sheet.Green(0), 4);
  EXPECT_EQ(sheet.Blue(0), 4);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 160; ++x) {
      const int i = sheet.At(x, y);
      if (i == 0) continue;
      const int brightest = std::max({sheet.Red(i), sheet.Green(i), sheet.Blue(i)});
      ASSERT_GE(brightest, 24) << "near-black tile pixel at " << x << "," << y;
    }
  }
}

TEST(TileSheet, HasEveryTileInPlaceAndTwoEmptySlots) {
  const Bitmap sheet = LoadPicture("FHSPRITE");
  ASSERT_EQ(sheet.pixels.size(), 160u * 400u);
  for (int row = 0; row < 10; ++row) {
    for (int column = 0; column < 4; ++column) {
      int drawn = 0;
      for (int y = 40 * row; y < 40 * row + 40; ++y) {
        for (int x = 40 * column; x < 40 * column + 40; ++x) drawn += sheet.At(x, y) != 0;
      }
      const bool empty = row == 0 && column >= 2;
      if (empty) {
        EXPECT_EQ(drawn, 0) << "tile " << column << "," << row;
      } else {
        EXPECT_GT(drawn, 150) << "tile " << column << "," << row;
      }
    }
  }
}

// The field's cells are drawn at x 20..339, y 20..459 over a plain dark
// area; the frame around it is orange.
class PlayBackgrounds : public ::testing::TestWithParam<const char*> {};

TEST_P(PlayBackgrounds, KeepTheFieldDarkInsideAnOrangeFrame) {
  const Bitmap bmp = LoadPicture(GetParam());
  ASSERT_EQ(bmp.pixels.size(), 640u * 480u);
  for (int y = 20; y < 460; ++y) {
    for (int x = 20; x < 340; ++x) {
      const int i = bmp.At(x, y);
      ASSERT_LT(bmp.Red(i) + bmp.Green(i) + bmp.Blue(i), 150)
          << "bright field pixel at " << x << "," << y;
    }
  }
  for (const auto& [x, y] :
       {std::pair{15, 200}, std::pair{344, 200}, std::pair{180, 14}, std::pair{180, 465}}) {
    const int i = bmp.At(x, y);
    EXPECT_GT(bmp.Red(i), 150) << x << "," << y;
    EXPECT_GT(bmp.Red(i), bmp.Green(i)) << x << "," << y;
    EXPECT_GT(bmp.Green(i), bmp.Blue(i)) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(AllThree, PlayBackgrounds, ::testing::Values("BCRI", "BGIYA", "BFUNE"));

bool IsYellow(const Bitmap& bmp, int x, int y) {
  const int i = bmp.At(x, y);
  return bmp.Red(i) > 200 && bmp.Green(i) > 180 && bmp.Blue(i) < 80;
}

TEST(RankingPicture, RulesTheTableInYellow) {
  const Bitmap bmp = LoadPicture("BRANK");
  ASSERT_EQ(bmp.pixels.size(), 640u * 480u);
  for (int x : {20, 60, 193, 474, 571, 620}) {
    for (int y : {36, 52, 90, 300, 469}) EXPECT_TRUE(IsYellow(bmp, x, y)) << x << "," << y;
  }
  for (int y = 35; y <= 470; y += (y < 70 ? 35 : 40)) {
    for (int x : {25, 100, 300, 500, 600}) EXPECT_TRUE(IsYellow(bmp, x, y)) << x << "," << y;
  }
}

// The game writes each row's texts, 16 pixels high, into the lower half of
// the row, from a few pixels right of each column's rule up to the next rule.
TEST(RankingPicture, LeavesTheRowTextAreasBlack) {
  const Bitmap bmp = LoadPicture("BRANK");
  ASSERT_EQ(bmp.pixels.size(), 640u * 480u);
  const std::pair<int, int> columns[] = {{61, 193}, {194, 474}, {475, 571}, {572, 620}};
  for (int row = 0; row < 10; ++row) {
    for (int y = 90 + 40 * row; y < 106 + 40 * row; ++y) {
      for (const auto& [from, to] : columns) {
        for (int x = from; x < to; ++x) {
          const int i = bmp.At(x, y);
          ASSERT_EQ(bmp.Red(i) + bmp.Green(i) + bmp.Blue(i), 0) << x << "," << y;
        }
      }
    }
  }
}

TEST(Icon, HoldsOneSixteenColourImageWithItsMask) {
  const FileBytes ico = ReadSourceFile("resources/ZELF.ico");
  ASSERT_EQ(ico.size(), 6u + 16 + 40 + 16 * 4 + 32 * 16 + 32 * 4);
  EXPECT_EQ(Le16(ico, 0), 0u);
  EXPECT_EQ(Le16(ico, 2), 1u) << "an icon";
  EXPECT_EQ(Le16(ico, 4), 1u) << "one image";
  EXPECT_EQ(ico[6], 32);
  EXPECT_EQ(ico[7], 32);
  EXPECT_EQ(ico[8], 16) << "colours";
  EXPECT_EQ(Le16(ico, 12), 4u) << "bits per pixel";
  EXPECT_EQ(Le32(ico, 14), ico.size() - 22);
  EXPECT_EQ(Le32(ico, 18), 22u);
  EXPECT_EQ(Le32(ico, 22), 40u);
  EXPECT_EQ(Le32(ico, 26), 32u);
  EXPECT_EQ(Le32(ico, 30), 64u) << "image and mask stacked";
  EXPECT_EQ(Le16(ico, 36), 4u);
  EXPECT_EQ(Le32(ico, 38), 0u);
}

}  // namespace
