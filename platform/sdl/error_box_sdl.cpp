#include "platform/sdl/error_box.h"

namespace platform {

bool ShowErrorBox(SDL_Window* window, const char* title, const char* message) {
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, message, window) == 0;
}

bool ShowWarningBox(SDL_Window* /*window*/, const char* /*title*/, const char* /*message*/) {
  return false;
}

}  // namespace platform
