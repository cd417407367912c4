// The display's message boxes in the player's language: the box shows the
// game's own Japanese text, byte for byte; where the player reads English, an
// English line follows on standard error.
#pragma once

#include "platform/win32/win32.h"

void ShowDisplayMessage(HWND hwnd, const char* text, const char* english);
