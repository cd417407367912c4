#include "tests/support/test_pictures.h"

#include "resources/resources.h"
#include "resources/resources_testing.h"

namespace testsupport {

std::vector<std::uint8_t> MakeBitmap(int width, int height, const Palette& colours,
                                     const std::function<std::uint8_t(int, int)>& pixel,
                                     bool bottomUp) {
  std::vector<std::uint8_t> out{'B', 'M'};
  const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);
  const std::uint32_t rowBytes = (w + 3) / 4 * 4, pixelsAt = 14 + 40 + 256 * 4;
  // File size, reserved, pixel offset; header size, width, height, one plane
  // and 8 bits, then BI_RGB and zeros for sizes, resolution and colours.
  const std::uint32_t size = pixelsAt + rowBytes * h, rows = bottomUp ? h : 0 - h;
  const std::uint32_t header[] = {size, 0, pixelsAt, 40, w, rows, 1 | 8 << 16, 0, 0, 0, 0, 0, 0};
  for (std::uint32_t value : header) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> 8 * i));
  }
  for (const RGBQUAD& c : colours) out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
  for (int row = 0; row < height; ++row) {
    const int y = bottomUp ? height - 1 - row : row;
    for (std::uint32_t x = 0; x < rowBytes; ++x) {
      out.push_back(x < w ? pixel(static_cast<int>(x), y) : 0);
    }
  }
  return out;
}

std::vector<std::uint8_t> TestSheet() {
  Palette colours{};
  colours[0] = kSheetBackground;
  for (int i = 1; i <= 40; ++i) {
    colours[i] =
        RGBQUAD{static_cast<std::uint8_t>(40 + i * 5), static_cast<std::uint8_t>(250 - i * 6),
                static_cast<std::uint8_t>(i * 61 % 200 + 50), 0};
  }
  return MakeBitmap(160, 400, colours, [](int x, int y) -> std::uint8_t {
    auto inside = [](int v) { return v % 40 >= kTileInset && v % 40 < 40 - kTileInset; };
    return inside(x) && inside(y) ? static_cast<std::uint8_t>(1 + 4 * (y / 40) + x / 40) : 0;
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
