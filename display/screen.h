// The screen and its surfaces: set-up, the fatal-error path, release, and the
// recovery of a lost display.
#pragma once

#include "platform/win32/win32.h"

class IDirectDraw;
class IDirectDrawSurface;
class IDirectDrawClipper;

// The game's screen mode: every frame is composed at this size.
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

extern IDirectDraw* g_directDraw;
extern IDirectDrawSurface* g_primarySurface;
extern IDirectDrawSurface* g_backBuffer;
extern IDirectDrawClipper* g_clipper;
extern IDirectDrawSurface* g_backgroundSurface;
extern IDirectDrawSurface* g_spriteSurface;

[[nodiscard]] bool InitDisplay(HWND hwnd);
bool FatalDisplayError(HWND hwnd);  // always false
void ReleaseDisplay();
HRESULT RestoreSurfaces(HWND hwnd);
// Loads the tile sheet again when the player has switched the colour aid
// since it was loaded: the aid's sheet marks each colour with a shape.
void FollowColourAid(HWND hwnd);
