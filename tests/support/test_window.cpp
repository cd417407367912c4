#include "tests/support/test_window.h"

#include "platform/win32/window_testing.h"
#include "tests/support/host_part.h"

namespace testsupport {

HWND MakeTestWindow(WNDPROC procedure, platform::WindowBackend* backend) {
  platform::ResetWindowSystem();
  testsupport::PutInHost(&platform::Host::window, backend);
  WNDCLASSA wc{};
  wc.lpfnWndProc = procedure;
  wc.lpszClassName = "morvex2";
  if (RegisterClassA(&wc) == 0) return nullptr;
  return CreateWindowExA(0, "morvex2", "Morvex2", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                         nullptr, nullptr);
}

void DispatchWaiting() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    DispatchMessageA(&msg);
  }
}

}  // namespace testsupport
