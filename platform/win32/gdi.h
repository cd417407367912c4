// GDI on a surface's device context: the text colours, TextOutA in the fixed
// pitch Shift-JIS font, and the one-to-one copy of an 8-bit picture through its
// own colour table. A context comes from IDirectDrawSurface::GetDC and is only
// valid until ReleaseDC.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/win32.h"

class IDirectDrawSurface;

struct DeviceContext {
  IDirectDrawSurface* surface;
  COLORREF textColor;
  COLORREF backColor;
};
using HDC = DeviceContext*;

struct RGBQUAD {
  std::uint8_t rgbBlue;
  std::uint8_t rgbGreen;
  std::uint8_t rgbRed;
  std::uint8_t rgbReserved;
};

// Both return the previous colour.
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);

// Draws `length` bytes of Shift-JIS text with its top-left corner at (x, y),
// opaque: every character cell is filled with the background colour, 16 px
// tall, 8 px wide for a single-byte and 16 px for a double-byte character.
// The text is cropped to the surface. A lead byte at the end of the text (or
// before a zero byte) ends it; nothing after the given length is read.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);

// The width in pixels that TextOutA gives `length` bytes of text.
int TextWidth(LPCSTR text, int length);

// An 8-bit picture in memory, as a device-independent bitmap section holds it.
struct IndexedBitmap {
  int width;
  int height;
  const RGBQUAD* colours;      // 256 entries
  const std::uint8_t* topRow;  // first byte of the picture's top row
  std::ptrdiff_t rowStep;      // from one row to the one below; negative for bottom-up rows
};

// Copies the picture one to one to the top-left corner of the context's
// surface, converting every pixel through the colour table (what StretchBlt
// with SRCCOPY from a memory context does), cropped to the surface.
//
// On a surface that carries a source colour key, colour-table entry 0 is
// written as the key's value: entry 0 is the tile sheet's background, and the
// sheet's artist picked it expecting it to vanish under the key whatever the
// 16-bit layout of the screen.
BOOL CopyBitmap(HDC dc, const IndexedBitmap& picture);
