#include "platform/gdi.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/ddraw.h"
#include "platform/font.h"

namespace {

SDL_Surface* TargetOf(HDC dc) {
  if (dc == nullptr || dc->surface == nullptr) return nullptr;
  return dc->surface->Pixels();
}

std::uint16_t* Row(SDL_Surface& pixels, std::int64_t y) {
  return reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(pixels.pixels) +
                                          y * pixels.pitch);
}

// One character cell, opaque, cropped to the surface: the crop is worked out
// once, not for every pixel, as the title draws its texts at every frame.
// Positions are 64-bit so that a text far off the screen cannot overflow.
void DrawGlyph(SDL_Surface& target, std::int64_t x, std::int64_t y,
               const platform::font::Glyph& glyph, std::uint16_t ink, std::uint16_t paper) {
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t right = std::min<std::int64_t>(x + glyph.width, target.w);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y + platform::font::kHeight, target.h);
  const int bytesPerRow = glyph.width / 8;
  for (std::int64_t py = top; py < bottom; ++py) {
    const std::uint8_t* bits = glyph.rows + (py - y) * bytesPerRow;
    std::uint16_t* line = Row(target, py);
    for (std::int64_t px = left; px < right; ++px) {
      const auto column = static_cast<int>(px - x);
      line[px] = (bits[column / 8] & (0x80 >> (column % 8))) != 0 ? ink : paper;
    }
  }
}

// Walks the characters of a Shift-JIS text, calling draw(glyph) for each.
// Stops at the end of the length, at a zero byte and at a lead byte that has
// no second byte; never reads past any of them.
template <typename Draw>
void ForEachGlyph(LPCSTR text, int length, Draw draw) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text);
  for (int i = 0; i < length && bytes[i] != 0;) {
    if (!platform::font::IsLeadByte(bytes[i])) {
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

int TextWidth(LPCSTR text, int length) {
  int width = 0;
  if (text != nullptr) ForEachGlyph(text, length, [&](const auto& glyph) { width += glyph.width; });
  return width;
}

namespace {

// The cells a text covers on its surface; only these are written.
SDL_Rect TextCells(const SDL_Surface& surface, int x, int y, LPCSTR text, int length) {
  std::int64_t width = 0;
  ForEachGlyph(text, length, [&](const platform::font::Glyph& glyph) { width += glyph.width; });
  const std::int64_t left = std::max<std::int64_t>(x, 0);
  const std::int64_t top = std::max<std::int64_t>(y, 0);
  const std::int64_t right = std::min<std::int64_t>(std::int64_t{x} + width, surface.w);
  const std::int64_t bottom =
      std::min<std::int64_t>(std::int64_t{y} + platform::font::kHeight, surface.h);
  if (left >= right || top >= bottom) return SDL_Rect{0, 0, 0, 0};
  return SDL_Rect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                  static_cast<int>(bottom - top)};
}

}  // namespace

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  if (dc == nullptr || dc->surface == nullptr || length < 0 || (length > 0 && text == nullptr)) {
    return 0;
  }
  SDL_Surface* target = dc->surface->PixelsFor(TextCells(dc->surface->View(), x, y, text, length));
  const std::uint16_t ink = platform::ToRgb565(dc->textColor);
  const std::uint16_t paper = platform::ToRgb565(dc->backColor);
  std::int64_t penX = x;
  ForEachGlyph(text, length, [&](const platform::font::Glyph& glyph) {
    DrawGlyph(*target, penX, y, glyph, ink, paper);
    penX += glyph.width;
  });
  return 1;
}

BOOL CopyPicture(HDC dc, const IndexedPicture& picture) {
  SDL_Surface* target = TargetOf(dc);
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
  const int width = std::min(picture.width, target->w);
  const int height = std::min(picture.height, target->h);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* from = picture.topRow + y * picture.rowStep;
    std::uint16_t* to = Row(*target, y);
    for (int x = 0; x < width; ++x) to[x] = lookup[from[x]];
  }
  return 1;
}
