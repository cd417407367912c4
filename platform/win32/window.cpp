// The Win32 window calls on the game's one message queue: the class registry,
// the one main window and its procedure, the messages and the timers. A host
// with a real screen brings its window as a WindowBackend; without one the
// window is a handle and a procedure, which is all the game needs.
#include <strings.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/host.h"
#include "platform/win32/message_queue.h"
#include "platform/win32/win32.h"
#include "platform/win32/window_backend.h"
#include "platform/win32/window_testing.h"

namespace {

struct WindowClass {
  std::string name;
  WNDPROC proc;
};

struct Window {
  HWND handle;
  WNDPROC proc;
  bool visible = false;
  bool destroying = false;
};

struct WindowSystem {
  platform::MessageQueue queue;  // on the host's clock and input, whichever they are at the time
  std::vector<WindowClass> classes;
  std::optional<Window> window;
  std::uintptr_t windowsMade = 0;
};

WindowSystem& System() {
  static WindowSystem system;
  return system;
}

// Each window gets a handle of its own, so a handle kept from a destroyed
// window never reaches a later one.
HWND NewWindowHandle() {
  const std::uintptr_t serial = ++System().windowsMade;
  return reinterpret_cast<HWND>(0x10000 + serial * 0x10);  // NOLINT(performance-no-int-to-ptr)
}

bool IsLiveWindow(HWND hwnd) {
  const auto& window = System().window;
  return hwnd != nullptr && window.has_value() && window->handle == hwnd;
}

// Class names compare without regard to case, as they always have.
const WindowClass* FindClass(LPCSTR name) {
  if (name == nullptr) return nullptr;
  for (const WindowClass& windowClass : System().classes) {
    if (strcasecmp(windowClass.name.c_str(), name) == 0) return &windowClass;
  }
  return nullptr;
}

// Handles that the game only stores and passes back: distinct and non-null.
template <typename Handle>
Handle DummyHandle(std::uintptr_t value) {
  return reinterpret_cast<Handle>(value);  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace

namespace platform {

bool PostInputMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!System().window.has_value()) return false;
  System().queue.Post(System().window->handle, message, wParam, lParam);
  return true;
}

std::int64_t NextMessageDueMs() {
  return System().queue.NextMessageDueMs();
}

void ResetWindowSystem() {
  WindowSystem& system = System();
  system.queue.Clear();
  system.classes.clear();
  system.window.reset();
}

}  // namespace platform

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (wndClass == nullptr || wndClass->lpszClassName == nullptr || wndClass->lpfnWndProc == nullptr)
    return 0;
  if (FindClass(wndClass->lpszClassName) != nullptr) return 0;  // already registered
  auto& classes = System().classes;
  classes.push_back(WindowClass{wndClass->lpszClassName, wndClass->lpfnWndProc});
  return static_cast<ATOM>(0xC000 + classes.size() - 1);
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int, int, int width,
                     int height, HWND, void*, HINSTANCE, void*) {
  const WindowClass* windowClass = FindClass(className);
  // The game has one window; a second one while it lives is refused.
  if (windowClass == nullptr || System().window.has_value()) return nullptr;
  platform::WindowBackend* backend = platform::InstalledHost().window;
  if (backend != nullptr &&
      !backend->Create(windowName != nullptr ? windowName : "", width, height))
    return nullptr;
  System().window = Window{NewWindowHandle(), windowClass->proc};
  return System().window->handle;
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  if (!IsLiveWindow(hwnd)) return 0;
  const bool wasVisible = System().window->visible;
  // The backend can only show; hiding is never asked for by the game.
  if (cmdShow != 0) {
    System().window->visible = true;
    if (platform::WindowBackend* backend = platform::InstalledHost().window) backend->Show();
  }
  return wasVisible ? 1 : 0;
}

// The window paints itself every frame; there is nothing to paint ahead of that.
BOOL UpdateWindow(HWND hwnd) {
  return IsLiveWindow(hwnd) ? 1 : 0;
}

BOOL DestroyWindow(HWND hwnd) {
  if (!IsLiveWindow(hwnd) || System().window->destroying) return 0;
  System().window->destroying = true;
  // The window is still valid while its procedure handles WM_DESTROY.
  System().window->proc(hwnd, WM_DESTROY, 0, 0);
  if (platform::WindowBackend* backend = platform::InstalledHost().window) backend->Destroy();
  // Messages and timers of a window that is gone would find no procedure.
  System().queue.ForgetWindow(hwnd);
  System().window.reset();
  return 1;
}

int GetSystemMetrics(int index) {
  platform::WindowBackend* backend = platform::InstalledHost().window;
  switch (index) {
    case SM_CXSCREEN:
      return backend != nullptr ? backend->DesktopWidth() : 640;
    case SM_CYSCREEN:
      return backend != nullptr ? backend->DesktopHeight() : 480;
    default:
      return 0;
  }
}

// The name may be a resource number in pointer form (IDC_ARROW): never read it.
HICON LoadIconA(HINSTANCE, LPCSTR) {
  return DummyHandle<HICON>(0x20010);
}
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
  return DummyHandle<HCURSOR>(0x20020);
}
HGDIOBJ GetStockObject(int object) {
  return DummyHandle<HGDIOBJ>(0x20100 + static_cast<std::uintptr_t>(object & 0xFF));
}

// The game always looks at every message of its thread. A peek narrowed to one
// window or a range of numbers is not offered, and fails rather than answer
// with a message outside what was asked for.
static bool HasNoFilter(HWND hwnd, UINT filterMin, UINT filterMax) {
  return hwnd == nullptr && filterMin == 0 && filterMax == 0;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (msg == nullptr || !HasNoFilter(hwnd, filterMin, filterMax)) return 0;
  return System().queue.Peek(msg, (removeMsg & PM_REMOVE) != 0) ? 1 : 0;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (msg == nullptr || !HasNoFilter(hwnd, filterMin, filterMax)) return -1;
  return System().queue.Get(msg);
}

// Nothing in the game reads character messages, so none are made.
BOOL TranslateMessage(const MSG*) {
  return 0;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || !IsLiveWindow(msg->hwnd)) return 0;
  // Read the procedure first: the call may destroy the window.
  const WNDPROC proc = System().window->proc;
  const LRESULT result = proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  platform::WindowBackend* backend = platform::InstalledHost().window;
  if (msg->message == WM_ACTIVATEAPP && backend != nullptr) {
    backend->ActivationDelivered(msg->wParam != 0);
  }
  return result;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(hwnd);
  return 0;
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A null window posts to the thread itself; any other must be the live window.
  if (hwnd != nullptr && !IsLiveWindow(hwnd)) return 0;
  System().queue.Post(hwnd, message, wParam, lParam);
  return 1;
}

void PostQuitMessage(int exitCode) {
  System().queue.PostQuit(exitCode);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC) {
  // The simulator prints the period as the game asked for it, before any raising.
  platform::RecordCall("SetTimer", {static_cast<std::int64_t>(id), period});
  // Timers tick on the main window; the game never times the thread alone.
  if (!IsLiveWindow(hwnd)) return 0;
  return System().queue.SetTimer(hwnd, id, period);
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  platform::RecordCall("KillTimer", {static_cast<std::int64_t>(id)});
  return System().queue.KillTimer(hwnd, id) ? 1 : 0;
}
