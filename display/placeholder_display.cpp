// Stand-ins until the display lands.
#include "display/bitmap_loader.h"
#include "display/draw.h"
#include "display/screen.h"

IDirectDraw* g_directDraw = nullptr;
IDirectDrawSurface* g_primarySurface = nullptr;
IDirectDrawSurface* g_backBuffer = nullptr;
IDirectDrawClipper* g_clipper = nullptr;
IDirectDrawSurface* g_backgroundSurface = nullptr;
IDirectDrawSurface* g_spriteSurface = nullptr;

bool InitDisplay(HWND) { return true; }
bool FatalDisplayError(HWND) { return false; }
void ReleaseDisplay() {}
HRESULT RestoreSurfaces(HWND) { return 0; }
bool LoadBitmapToSurface(HWND, IDirectDrawSurface*, const char*) { return true; }
void DrawBackground(HWND) {}
void DrawTile(HWND, const Cell&) {}
void DrawString(int, int, const char*, COLORREF, COLORREF) {}
void FlipScreen(HWND) {}
