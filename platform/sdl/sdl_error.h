// Logging with SDL's own reason, apart from the log itself so that
// code that never talks to SDL can use the log without linking SDL.
#pragma once

#include <string_view>

#include "platform/base/log.h"

namespace platform {

// The reason SDL gave for its last failure (SDL_mixer's too: it keeps its
// reason in SDL's).
void LogSdlError(std::string_view what, Repeats repeats = Repeats::kLogEachTime);

// An SDL call checked: what `what` made, or null with SDL's reason logged.
template <typename T>
T* SdlMade(T* made, std::string_view what, Repeats repeats = Repeats::kLogEachTime) {
  if (made == nullptr) LogSdlError(what, repeats);
  return made;
}

// An SDL call that answers 0 (or more) when done and a negative number when
// it failed, checked: false, with SDL's reason logged, when it failed.
inline bool SdlDone(int status, std::string_view what, Repeats repeats = Repeats::kLogEachTime) {
  if (status < 0) LogSdlError(what, repeats);
  return status >= 0;
}

}  // namespace platform
