#include "core/globals.h"

HINSTANCE g_hInstance = nullptr;
HWND g_hwnd = nullptr;
std::uint32_t g_appActive = 0;
