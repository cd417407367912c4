#include "platform/sdl/sdl_failure.h"

#include <SDL.h>

namespace platform {

void LogSdlFailure(std::string_view what, Repeats repeats) {
  LogFailure(what, SDL_GetError(), repeats);
}

}  // namespace platform
