// The four operations every screen draws with. The three that go through
// DirectDraw draw nothing while the game is in the background, and bring a
// lost screen back (surfaces restored, both pictures reloaded) before they
// try again.
#include "display/draw.h"

#include <algorithm>
#include <cstring>

#include "core/cell.h"
#include "core/globals.h"
#include "display/screen.h"
#include "display/tile_table.h"
#include "platform/win32/ddraw.h"

namespace {

// The original asks again at once after any failure but a lost screen,
// waiting out a busy blitter. This layer's failures are never passing ones,
// so a few attempts are made and then the call gives up for this frame
// rather than hang the game.
constexpr int kAttempts = 4;

// Makes `call` under the retry rule. `call` returns null-safe results: it
// re-reads the display objects every time, since a restore may end in the
// fatal path that releases them.
template <typename Call>
void WithRetry(HWND hwnd, Call call) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const HRESULT result = call();
    if (result == DD_OK || result == DDERR_INVALIDOBJECT) return;
    if (result == DDERR_SURFACELOST && RestoreSurfaces(hwnd) != DD_OK) return;
  }
}

}  // namespace

void DrawBackground(HWND hwnd) {
  if (g_appActive == 0) return;
  // Every frame starts here, before its tiles: the sheet follows the colour
  // aid once a frame rather than at every tile.
  FollowColourAid(hwnd);
  RECT whole{0, 0, kScreenWidth, kScreenHeight};
  WithRetry(hwnd, [&] {
    if (g_backBuffer == nullptr || g_backgroundSurface == nullptr) return DDERR_INVALIDOBJECT;
    return g_backBuffer->Blt(&whole, g_backgroundSurface, &whole, DDBLT_WAIT, nullptr);
  });
}

void DrawTile(HWND hwnd, const Cell& cell) {
  if (g_appActive == 0) return;
  const std::optional<TilePos> tile = TileOfKind(cell.kind);
  if (!tile) return;
  RECT source{tile->column * kTileSize, tile->row * kTileSize, (tile->column + 1) * kTileSize,
              (tile->row + 1) * kTileSize};
  // A tile wholly off the screen shows nothing wherever it is; pulling a far
  // position in to the screen's edge keeps its rectangle within 32 bits.
  const std::int32_t x = std::clamp(cell.x, -kTileSize, kScreenWidth);
  const std::int32_t y = std::clamp(cell.y, -kTileSize, kScreenHeight);
  RECT dest{x, y, x + kTileSize, y + kTileSize};
  WithRetry(hwnd, [&] {
    if (g_backBuffer == nullptr || g_spriteSurface == nullptr) return DDERR_INVALIDOBJECT;
    return g_backBuffer->Blt(&dest, g_spriteSurface, &source, DDBLT_WAIT | DDBLT_KEYSRC, nullptr);
  });
}

void DrawString(int x, int y, const char* text, COLORREF textColor, COLORREF backColor) {
  if (g_backBuffer == nullptr || text == nullptr) return;
  HDC dc = nullptr;
  if (g_backBuffer->GetDC(&dc) != DD_OK) return;
  SetTextColor(dc, textColor);
  SetBkColor(dc, backColor);
  const std::size_t length = std::strlen(text);
  TextOutA(dc, x, y, text, static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF)));
  g_backBuffer->ReleaseDC(dc);
}

void FlipScreen(HWND hwnd) {
  if (g_appActive == 0) return;
  WithRetry(hwnd, [] {
    if (g_primarySurface == nullptr) return DDERR_INVALIDOBJECT;
    return g_primarySurface->Flip(nullptr, DDFLIP_WAIT);
  });
}
