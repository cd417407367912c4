// Logging with SDL's own reason, apart from the log itself so that
// code that never talks to SDL can use the log without linking SDL.
#pragma once

#include <string_view>

#include "platform/base/log.h"

namespace platform {

// The reason SDL gave for its last failure (SDL_mixer's too: it keeps its
// reason in SDL's).
void LogSdlError(std::string_view what, Repeats repeats = Repeats::kLogEachTime);

}  // namespace platform
