// The failure log's SDL reason, apart from the rest of the log so that code
// that never talks to SDL can use the log without linking SDL.
#include <SDL.h>

#include "platform/failure_log.h"

namespace platform {

void LogSdlFailure(std::string_view what, Repeats repeats) {
  LogFailure(what, SDL_GetError(), repeats);
}

}  // namespace platform
