// The frames the tests compare and the icons the desktop shows go through the
// PNG encoder and decoder: a picture must come back exactly as it was encoded,
// and bytes that are not one of our files must be refused, with a reason,
// without reading outside them or asking for more memory than a frame needs.
#include "formats/png_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A picture whose every byte differs from its neighbours, so that a row or a
// channel out of place shows.
Bytes Pattern(int width, int height, int channels) {
  Bytes pixels(static_cast<std::size_t>(width) * height * channels);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 13);
  }
  return pixels;
}

void PutU32(Bytes& file, std::size_t at, std::uint32_t value) {
  if (file.size() < at + 4) {
    ADD_FAILURE() << "no field at " << at;
    return;
  }
  for (int i = 0; i < 4; ++i) file.at(at + i) = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

TEST(PngFile, PicturesComeBackAsWritten) {
  const struct {
    const char* name;
    int width;
    int height;
    formats::PngPixels format;
  } cases[] = {
      {"frame", 640, 480, formats::PngPixels::kRgb},
      {"one pixel", 1, 1, formats::PngPixels::kRgb},
      {"icon with coverage", 48, 48, formats::PngPixels::kRgba},
      {"a column", 1, 37, formats::PngPixels::kRgba},
  };
  for (const auto& c : cases) {
    const int channels = static_cast<int>(c.format);
    const Bytes pixels = Pattern(c.width, c.height, channels);
    const auto file = formats::EncodePng(c.width, c.height, c.format, pixels);
    ASSERT_TRUE(file.has_value()) << c.name;
    std::string why;
    const auto image = formats::DecodePng(*file, &why);
    ASSERT_TRUE(image.has_value()) << c.name << ": " << why;
    EXPECT_EQ(image->width, c.width) << c.name;
    EXPECT_EQ(image->height, c.height) << c.name;
    // The reader gives red, green and blue; coverage is for the desktop alone.
    Bytes rgb;
    for (std::size_t i = 0; i < pixels.size(); i += channels) {
      rgb.insert(rgb.end(), pixels.begin() + i, pixels.begin() + i + 3);
    }
    EXPECT_EQ(image->pixels, rgb) << c.name;
  }
}

TEST(PngFile, PixelsThatDoNotFillThePictureMakeNoFile) {
  EXPECT_FALSE(formats::EncodePng(4, 4, formats::PngPixels::kRgb, Bytes(47)).has_value());
  EXPECT_FALSE(formats::EncodePng(0, 4, formats::PngPixels::kRgb, Bytes{}).has_value());
}

TEST(PngFile, FilesThatAreNotOursAreRefused) {
  const Bytes good = *formats::EncodePng(8, 8, formats::PngPixels::kRgb, Pattern(8, 8, 3));
  // The header's fields: width at 16, height at 20, depth at 24, colour at 25,
  // interlacing at 28; the picture data's length at 33 and its bytes from 41.
  const auto changed = [&](auto change) {
    Bytes file = good;
    change(file);
    return file;
  };
  const struct {
    const char* name;
    Bytes file;
  } cases[] = {
      {"empty", {}},
      {"not a PNG", Bytes(good.begin() + 1, good.end())},
      {"cut in the header", Bytes(good.begin(), good.begin() + 20)},
      {"cut in the picture data", Bytes(good.begin(), good.begin() + 50)},
      {"no width", changed([](Bytes& f) { PutU32(f, 16, 0); })},
      {"wider than any frame", changed([](Bytes& f) { PutU32(f, 16, 100000); })},
      {"taller than memory allows", changed([](Bytes& f) { PutU32(f, 20, 0xFFFFFFFF); })},
      {"16-bit", changed([](Bytes& f) { f[24] = 16; })},
      {"palette", changed([](Bytes& f) { f[25] = 3; })},
      {"interlaced", changed([](Bytes& f) { f[28] = 1; })},
      {"data longer than the file", changed([](Bytes& f) { PutU32(f, 33, 0x7FFFFFFF); })},
      {"damaged data", changed([](Bytes& f) { f[45] ^= 0xFF; })},
      {"more rows than the data holds", changed([](Bytes& f) { PutU32(f, 20, 9); })},
      {"no picture data", changed([](Bytes& f) { f.erase(f.begin() + 33, f.end() - 12); })},
  };
  for (const auto& c : cases) {
    std::string why;
    EXPECT_FALSE(formats::DecodePng(c.file, &why).has_value()) << c.name;
    EXPECT_FALSE(why.empty()) << c.name << ": refused without a reason";
  }
}

}  // namespace
