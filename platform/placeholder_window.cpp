// Stand-ins until the message queue lands: they only record what is asked.
#include "platform/call_log.h"
#include "platform/win32.h"

ATOM RegisterClassA(const WNDCLASSA*) { return 1; }
HWND CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, void*, HINSTANCE,
                     void*) {
  return nullptr;
}
BOOL ShowWindow(HWND, int) { return 0; }
BOOL UpdateWindow(HWND) { return 1; }
BOOL DestroyWindow(HWND) { return 1; }
int GetSystemMetrics(int index) { return index == SM_CXSCREEN ? 640 : 480; }
HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }
HGDIOBJ GetStockObject(int) { return nullptr; }
BOOL PeekMessageA(MSG*, HWND, UINT, UINT, UINT) { return 0; }
BOOL GetMessageA(MSG*, HWND, UINT, UINT) { return 0; }
BOOL TranslateMessage(const MSG*) { return 0; }
LRESULT DispatchMessageA(const MSG*) { return 0; }
LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL PostMessageA(HWND, UINT, WPARAM, LPARAM) { return 1; }
void PostQuitMessage(int) {}
UINT_PTR SetTimer(HWND, UINT_PTR id, UINT period, TIMERPROC) {
  platform::RecordCall("SetTimer", {static_cast<std::int64_t>(id), period});
  return id;
}
BOOL KillTimer(HWND, UINT_PTR id) {
  platform::RecordCall("KillTimer", {static_cast<std::int64_t>(id)});
  return 1;
}
