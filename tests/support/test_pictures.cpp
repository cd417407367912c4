#include "tests/support/test_pictures.h"

#include "resources/resources.h"

namespace testsupport {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

RGBQUAD TileColour(int index) {
  return RGBQUAD{static_cast<std::uint8_t>(40 + index * 5),
                 static_cast<std::uint8_t>(250 - index * 6),
                 static_cast<std::uint8_t>(index * 61 % 200 + 50), 0};
}

}  // namespace

std::vector<std::uint8_t> MakeBitmap(int width, int height, const Palette& colours,
                                     const std::function<std::uint8_t(int, int)>& pixel,
                                     bool bottomUp) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) + 3) / 4 * 4;
  const std::uint32_t pixelsAt = 14 + 40 + 256 * 4;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, pixelsAt + rowBytes * static_cast<std::uint32_t>(height));
  Put32(out, 0);
  Put32(out, pixelsAt);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(bottomUp ? height : -height));
  Put16(out, 1);
  Put16(out, 8);
  for (int i = 0; i < 6; ++i) Put32(out, 0);  // BI_RGB, sizes, resolution, colours
  for (const RGBQUAD& c : colours) {
    out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
  }
  for (int row = 0; row < height; ++row) {
    const int y = bottomUp ? height - 1 - row : row;
    for (std::uint32_t x = 0; x < rowBytes; ++x) {
      out.push_back(x < static_cast<std::uint32_t>(width) ? pixel(static_cast<int>(x), y) : 0);
    }
  }
  return out;
}

std::vector<std::uint8_t> TestSheet() {
  Palette colours{};
  colours[0] = kSheetBackground;
  for (int i = 1; i <= 40; ++i) colours[i] = TileColour(i);
  return MakeBitmap(160, 400, colours, [](int x, int y) -> std::uint8_t {
    const int inX = x % 40;
    const int inY = y % 40;
    const bool inside =
        inX >= kTileInset && inX < 40 - kTileInset && inY >= kTileInset && inY < 40 - kTileInset;
    return inside ? static_cast<std::uint8_t>(1 + 4 * (y / 40) + x / 40) : 0;
  });
}

std::vector<std::uint8_t> TestBackground(int look) {
  Palette colours{};
  colours[1] = RGBQUAD{static_cast<std::uint8_t>(200 - look * 30), 120,
                       static_cast<std::uint8_t>(look * 40), 0};
  colours[2] = RGBQUAD{60, static_cast<std::uint8_t>(look * 45), 180, 0};
  return MakeBitmap(640, 480, colours, [](int x, int y) -> std::uint8_t {
    return ((x / 32 + y / 32) % 2) != 0 ? 1 : 2;
  });
}

void RegisterTestPictures() {
  resources::SetTestResource("FHSPRITE", RT_BITMAP, TestSheet());
  const char* backgrounds[] = {"BOPENING", "BRANK", "BCRI", "BGIYA", "BFUNE"};
  for (int look = 0; look < 5; ++look) {
    resources::SetTestResource(backgrounds[look], RT_BITMAP, TestBackground(look));
  }
}

}  // namespace testsupport
