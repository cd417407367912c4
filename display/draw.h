// The four operations every screen draws with.
#pragma once

#include "platform/win32/win32.h"

struct Cell;

void DrawBackground(HWND hwnd);
void DrawTile(HWND hwnd, const Cell& cell);
void DrawString(int x, int y, const char* text, COLORREF textColor, COLORREF backColor);
void FlipScreen(HWND hwnd);
