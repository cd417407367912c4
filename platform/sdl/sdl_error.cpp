#include "platform/sdl/sdl_error.h"

#include <SDL.h>

namespace platform {

void LogSdlError(std::string_view what, Repeats repeats) {
  LogError(what, SDL_GetError(), repeats);
}

}  // namespace platform
