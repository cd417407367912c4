// The shell's globals that the rest of the game reads.
#pragma once

#include <cstdint>

#include "platform/win32/win32.h"

extern HINSTANCE g_hInstance;
extern HWND g_hwnd;
extern std::uint32_t g_appActive;  // wParam of the last WM_ACTIVATEAPP
