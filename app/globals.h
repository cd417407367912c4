// The shell's globals that the rest of the game reads.
#pragma once

#include <cstdint>

#include "platform/win32.h"

extern HINSTANCE g_hInstance;
extern HWND g_hwnd;
extern std::uint32_t g_appActive;  // wParam of the last WM_ACTIVATEAPP

// Puts back what a run of the program changes, as a new process starts: these
// globals, the screens' and the music's, the play screen's carried flags, and
// the window system's class and window. What is chosen before a run (the first
// screen, replay recording, hooks) is left as it is.
void ResetProgramState();
