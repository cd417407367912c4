#include "display/dib.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/test_pictures.h"

namespace {

using testsupport::MakeBitmap;

// 5 x 3 (rows padded to 8 bytes), pixel value 10 * y + x.
std::vector<std::uint8_t> SmallBitmap(bool bottomUp = true) {
  testsupport::Palette colours{};
  colours[7] = RGBQUAD{1, 2, 3, 0};
  return MakeBitmap(
      5, 3, colours, [](int x, int y) { return std::uint8_t(10 * y + x); }, bottomUp);
}

void Poke32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint8_t PixelOf(const IndexedPicture& picture, int x, int y) {
  return picture.topRow[y * picture.rowStep + x];
}

TEST(ParseDib, ReadsRowsTopFirstWhicheverWayTheyAreStored) {
  for (bool bottomUp : {true, false}) {
    const auto file = SmallBitmap(bottomUp);
    const auto picture = ParseDib(file);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 5);
    EXPECT_EQ(picture->height, 3);
    EXPECT_EQ(picture->colours[7].rgbRed, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(*picture, x, y), 10 * y + x);
    }
  }
}

TEST(ParseDib, RefusesPicturesItCannotShowOrWhosePartsDoNotFit) {
  struct Damage {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> apply;
  };
  const Damage damages[] = {
      {"not a bitmap", [](auto& f) { f[0] = 'X'; }},
      {"core header", [](auto& f) { Poke32(f, 14, 12); }},
      {"header past the end", [](auto& f) { Poke32(f, 14, 0x7FFFFFFF); }},
      {"zero width", [](auto& f) { Poke32(f, 18, 0); }},
      {"negative width", [](auto& f) { Poke32(f, 18, 0xFFFFFFFB); }},
      {"zero height", [](auto& f) { Poke32(f, 22, 0); }},
      {"height that cannot be negated", [](auto& f) { Poke32(f, 22, 0x80000000u); }},
      {"huge height", [](auto& f) { Poke32(f, 22, 0x7FFFFFFF); }},
      {"huge width", [](auto& f) { Poke32(f, 18, 0x7FFFFFFF); }},
      {"two planes", [](auto& f) { f[26] = 2; }},
      {"24 bits", [](auto& f) { f[28] = 24; }},
      {"run-length", [](auto& f) { Poke32(f, 30, 1); }},
      {"16 colours", [](auto& f) { Poke32(f, 46, 16); }},
      {"pixels over the colours", [](auto& f) { Poke32(f, 10, 54); }},
      {"pixels past the end", [](auto& f) { Poke32(f, 10, 0xFFFFFFF0u); }},
      {"last row cut", [](auto& f) { f.pop_back(); }},
  };
  for (const auto& damage : damages) {
    auto file = SmallBitmap();
    damage.apply(file);
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
    const auto size = ReadDibSize(cut);
    if (length < 26) {
      EXPECT_FALSE(size.has_value()) << length;
    }
  }
}

TEST(ReadDibSize, GivesTheHeadersSize) {
  const auto size = ReadDibSize(SmallBitmap(false));
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, 5);
  EXPECT_EQ(size->height, -3);
}

}  // namespace
