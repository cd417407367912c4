// The program: start-up in its fixed order, the main loop, shutdown.
#pragma once

#include "platform/win32/win32.h"

int WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, char* lpCmdLine, int nCmdShow);

// Where every platform message enters the game.
LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// What the program shows first: the title screen, unless something else (a
// replay) is set before WinMain runs. Null goes back to the title screen.
using FirstScreen = void (*)();
void SetFirstScreen(FirstScreen begin);

// The loop posts one message when network answers wait (none while one is
// on its way), and the window procedure hands them out on it.
void PostNetworkAnswers();
void DeliverNetworkAnswers();
