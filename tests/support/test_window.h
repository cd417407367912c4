// The game's window made for a test on a window system of its own: the class
// "morvex2" with a procedure of the test's choosing, and its one window.
#pragma once

#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"

namespace testsupport {

// Forgets every class and window first, and installs `backend` as the host's
// window (none when not given); the test uninstalls it. Null when the window
// cannot be made.
HWND MakeTestWindow(WNDPROC procedure, platform::WindowBackend* backend = nullptr);

// Dispatches every message that waits now, and returns once none does.
void DispatchWaiting();

}  // namespace testsupport
