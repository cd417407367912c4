#include <SDL_syswm.h>
#include <windows.h>

#include "platform/sdl/error_box.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

bool ShowBox(SDL_Window* window, const char* title, const char* message, UINT icon) {
  HWND owner = nullptr;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
      info.subsystem == SDL_SYSWM_WINDOWS) {
    owner = info.info.win.window;
  }
  const std::wstring text = WideFromUtf8(message);
  const std::wstring caption = WideFromUtf8(title);
  if (::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | icon) != 0) return true;
  SDL_SetError("MessageBoxW failed with error %lu", ::GetLastError());
  return false;
}

}  // namespace

bool ShowErrorBox(SDL_Window* window, const char* title, const char* message) {
  return ShowBox(window, title, message, MB_ICONERROR);
}

bool ShowWarningBox(SDL_Window* window, const char* title, const char* message) {
  return ShowBox(window, title, message, MB_ICONWARNING);
}

}  // namespace platform
