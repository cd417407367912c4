// The Win32-shaped surface of the platform layer: the types, numbers and calls
// that the game was written against. Game code includes this and nothing of SDL.
// Every number here is the Win32 value, so the game's key and message tables
// read exactly as they always did.
#pragma once

#include <cstdint>

// Handles are pointers to types that are never defined: the game only keeps
// them and passes them back.
struct WindowHandle;
struct InstanceHandle;
struct IconHandle;
struct CursorHandle;
struct BrushHandle;
using HWND = WindowHandle*;
using HINSTANCE = InstanceHandle*;
using HICON = IconHandle*;
using HCURSOR = CursorHandle*;
using HBRUSH = BrushHandle*;
using HGDIOBJ = void*;

using BOOL = std::int32_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using ATOM = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using HRESULT = std::int32_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
using LPCSTR = const char*;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
         (static_cast<COLORREF>(b) << 16);
}

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_TIMER = 0x0113;

// Virtual-key codes the scenes compare against.
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_F1 = 0x70;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// The shortest period a timer runs at; shorter requests are raised to it.
constexpr UINT USER_TIMER_MINIMUM = 10;

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
constexpr int SW_SHOWNORMAL = 1;
constexpr int LTGRAY_BRUSH = 1;
constexpr std::uintptr_t IDC_ARROW = 32512;
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_ICONWARNING = 0x0030;

constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_FILENAME = 0x00020000;

struct POINT {
  std::int32_t x;
  std::int32_t y;
};

struct RECT {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;   // exclusive
  std::int32_t bottom;  // exclusive
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};

// Window class and the one main window.
ATOM RegisterClassA(const WNDCLASSA* wndClass);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* menu, HINSTANCE instance,
                     void* param);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL UpdateWindow(HWND hwnd);
BOOL DestroyWindow(HWND hwnd);
int GetSystemMetrics(int index);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ GetStockObject(int object);

// The message queue of the one thread.
BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg);
BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT period, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// A modal message box. Texts are Shift-JIS (code page 932).
int MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type);

// The clap. Only SND_FILENAME | SND_ASYNC is used: play the named WAV file and
// return at once; a new call cuts off the sound still playing.
BOOL PlaySoundA(LPCSTR sound, HINSTANCE module, DWORD flags);
