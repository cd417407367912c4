#include "platform/win32/gdi.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "platform/base/shift_jis.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/font.h"
#include "platform/win32/pixel_buffer.h"
#include "platform/win32/surface_pixels.h"

namespace {

platform::PixelBuffer* TargetOf(HDC dc) {
  if (dc == nullptr || dc->surface == nullptr) return nullptr;
  return &platform::SurfacePixels::Of(*dc->surface);
}

// For each byte of a glyph row, its eight pixels from the left as masks: all
// ones where the ink goes. A whole byte inside the surface is then drawn in one
// go, paper ^ ((ink ^ paper) & mask), with no test per pixel.
using EightMasks = std::array<std::uint16_t, 8>;
constexpr std::array<EightMasks, 256> kInkMasks = [] {
  std::array<EightMasks, 256> masks{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    for (unsigned bit = 0; bit < 8; ++bit) {
      masks[byte][bit] = (byte & (0x80u >> bit)) != 0 ? 0xFFFF : 0;
    }
  }
  return masks;
}();

// Worked out in a block of its own, which nothing else can overlap, and then
// copied out: the eight pixels become a few whole-block operations.
void DrawEight(std::uint16_t* to, std::uint8_t bits, std::uint16_t ink, std::uint16_t paper) {
  const EightMasks& mask = kInkMasks[bits];
  const auto inkBits = static_cast<std::uint16_t>(ink ^ paper);
  EightMasks pixels{};
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = static_cast<std::uint16_t>(paper ^ (inkBits & mask[i]));
  }
  std::memcpy(to, pixels.data(), sizeof pixels);
}

// One row of a character cell, `bytes` glyph bytes wide, whose left edge is at
// x; only columns from left to right (exclusive) are on the surface.
void DrawGlyphRow(std::uint16_t* line, const std::uint8_t* bits, int bytes, std::int64_t x,
                  std::int64_t left, std::int64_t right, std::uint16_t ink, std::uint16_t paper) {
  for (int b = 0; b < bytes; ++b) {
    const std::int64_t start = x + 8 * std::int64_t{b};
    if (start >= left && start + 8 <= right) {
      DrawEight(line + start, bits[b], ink, paper);
      continue;
    }
    // A byte cut by an edge of the surface: only its pixels on the surface.
    const std::int64_t from = std::max(start, left);
    const std::int64_t to = std::min(start + 8, right);
    for (std::int64_t px = from; px < to; ++px) {
      line[px] = (bits[b] & (0x80u >> (px - start))) != 0 ? ink : paper;
    }
  }
}

// One character cell, opaque, cropped to the surface: the crop is worked out
// once, not for every pixel, as the title draws its texts at every frame.
// Positions are 64-bit so that a text far off the screen cannot overflow.
void DrawGlyph(platform::PixelBuffer& target, std::int64_t x, std::int64_t y,
               const platform::font::Glyph& glyph, std::uint16_t ink, std::uint16_t paper) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t right = std::min<std::int64_t>(x + glyph.width, target.Width());
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y + platform::font::kHeight, target.Height());
  if (left >= right) return;
  const int bytesPerRow = glyph.width / 8;
  for (std::int64_t py = top; py < bottom; ++py) {
    DrawGlyphRow(target.Row(py), glyph.rows + (py - y) * bytesPerRow, bytesPerRow, x, left, right,
                 ink, paper);
  }
}

// Walks the characters of a Shift-JIS text, calling draw(glyph) for each.
// Stops at the end of the length, at a zero byte and at a lead byte that has
// no second byte; never reads past any of them.
template <typename Draw>
void ForEachGlyph(LPCSTR text, int length, Draw draw) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  for (int i = 0; i < length && bytes[i] != 0;) {
    if (!platform::IsShiftJisLeadByte(bytes[i])) {
      draw(platform::font::SingleByte(bytes[i]));
      i += 1;
      continue;
    }
    if (i + 1 >= length || bytes[i + 1] == 0) return;
    draw(platform::font::DoubleByte(bytes[i], bytes[i + 1]));
    i += 2;
  }
}

}  // namespace

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  if (dc == nullptr) return 0xFFFFFFFFu;  // CLR_INVALID
  return std::exchange(dc->textColor, colour);
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  if (dc == nullptr) return 0xFFFFFFFFu;
  return std::exchange(dc->backColor, colour);
}

namespace {

std::int64_t WidthOf(LPCSTR text, int length) {
  std::int64_t width = 0;
  ForEachGlyph(text, length, [&](const platform::font::Glyph& glyph) { width += glyph.width; });
  return width;
}

// The cells a text `width` pixels wide covers on its surface; only these are written.
RECT TextCells(const IDirectDrawSurface& surface, int x, int y, std::int64_t width) {
  // Past the surface's right edge the text's end does not matter.
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, surface.Width());
  const std::int64_t bottom = std::int64_t{y} + platform::font::kHeight;
  return platform::CropTo(RECT{x, y, static_cast<int>(std::max<std::int64_t>(right, x)),
                               static_cast<int>(std::min<std::int64_t>(bottom, INT_MAX))},
                          surface.Width(), surface.Height());
}

void DrawText(platform::PixelBuffer& target, std::int64_t x, std::int64_t y, LPCSTR text,
              int length, std::uint16_t ink, std::uint16_t paper) {
  ForEachGlyph(text, length, [&](const platform::font::Glyph& glyph) {
    DrawGlyph(target, x, y, glyph, ink, paper);
    x += glyph.width;
  });
}

}  // namespace

// Summed in 64 bits, so that a text too long for an int cannot overflow.
int TextWidth(LPCSTR text, int length) {
  if (text == nullptr) return 0;
  return static_cast<int>(std::min<std::int64_t>(WidthOf(text, length), INT_MAX));
}

// Only the text's cells count as written, so that the next frame's copy of
// the background goes back over them alone.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  if (dc == nullptr || dc->surface == nullptr || length < 0 || (length > 0 && text == nullptr)) {
    return 0;
  }
  const RECT cells = TextCells(*dc->surface, x, y, WidthOf(text, length));
  if (platform::IsEmpty(cells)) return 1;
  const platform::DrawnTextCells drawn{
      .cells = cells,
      .x = x,
      .y = y,
      .ink = platform::ToRgb565(dc->textColor),
      .paper = platform::ToRgb565(dc->backColor),
      .bytes =
          std::string_view(text, length > 0 ? strnlen(text, static_cast<std::size_t>(length)) : 0)};
  if (platform::SurfacePixels::StillThere(*dc->surface, drawn)) return 1;
  DrawText(platform::SurfacePixels::For(*dc->surface, cells), x, y, text, length, drawn.ink,
           drawn.paper);
  platform::SurfacePixels::Drawn(*dc->surface, drawn);
  return 1;
}

BOOL CopyBitmap(HDC dc, const IndexedBitmap& picture) {
  platform::PixelBuffer* target = TargetOf(dc);
  if (target == nullptr || picture.colours == nullptr || picture.topRow == nullptr ||
      picture.width <= 0 || picture.height <= 0) {
    return 0;
  }
  std::uint16_t lookup[256];
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD& c = picture.colours[i];
    lookup[i] = platform::ToRgb565(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue));
  }
  if (auto key = dc->surface->SourceKey()) {
    lookup[0] = static_cast<std::uint16_t>(key->dwColorSpaceLowValue);
  }
  const int width = std::min(picture.width, target->Width());
  const int height = std::min(picture.height, target->Height());
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* from = picture.topRow + y * picture.rowStep;
    std::uint16_t* to = target->Row(y);
    for (int x = 0; x < width; ++x) to[x] = lookup[from[x]];
  }
  return 1;
}
