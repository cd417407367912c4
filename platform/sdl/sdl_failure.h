// The failure log with SDL's own reason, apart from the log itself so that
// code that never talks to SDL can use the log without linking SDL.
#pragma once

#include <string_view>

#include "platform/base/failure_log.h"

namespace platform {

// The reason SDL gave for its last failure (SDL_mixer's too: it keeps its
// reason in SDL's).
void LogSdlFailure(std::string_view what, Repeats repeats = Repeats::kSayEachTime);

}  // namespace platform
