// Copies a named bitmap carried inside the program into a surface.
#pragma once

#include "platform/win32/win32.h"

class IDirectDrawSurface;

[[nodiscard]] bool LoadBitmapToSurface(HWND hwnd, IDirectDrawSurface* surface, const char* name);
