// Small 8-bit bitmaps made for tests, so that tests do not depend on the art:
// a tile sheet whose every tile is a solid square on the sheet's background,
// and plain patterned backgrounds, one look per name.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/gdi.h"

namespace testsupport {

using Palette = std::array<RGBQUAD, 256>;

// A whole .bmp file: 8 bits per pixel, 256 colours, rows bottom-up unless told.
std::vector<std::uint8_t> MakeBitmap(int width, int height, const Palette& colours,
                                     const std::function<std::uint8_t(int x, int y)>& pixel,
                                     bool bottomUp = true);

// The sheet's background, palette entry 0 of every test sheet.
constexpr RGBQUAD kSheetBackground{4, 4, 2, 0};  // red 2, green 4, blue 4
// Each tile (column, row) is a 32 x 32 square of colour entry 1 + 4 * row + column,
// 4 px in from the tile's edges; the rest is the background.
constexpr int kTileInset = 4;
std::vector<std::uint8_t> TestSheet();
// A 640 x 480 checkerboard of 32 px squares in two colours that depend on `look`.
std::vector<std::uint8_t> TestBackground(int look);

// Puts a test sheet under "FHSPRITE" and a different background under each of
// "BOPENING", "BRANK", "BCRI", "BGIYA" and "BFUNE".
void RegisterTestPictures();

}  // namespace testsupport
