#include "platform/sdl/idle_wait.h"

#include <algorithm>

namespace platform {

std::int64_t IdleWait::SleepMs(const Look& look) {
  const bool drewAFrame = look.framesPresented != seenFrames_;
  seenFrames_ = look.framesPresented;
  const bool nothingNew = drewAFrame ? !look.repaintPending : !look.active;
  if (!nothingNew || look.nextMessageDueMs <= look.nowMs) return 0;
  // A timer due in more than int64 milliseconds (never, in practice) is far.
  std::int64_t untilDue = 0;
  if (__builtin_sub_overflow(look.nextMessageDueMs, look.nowMs, &untilDue)) return look.longestMs;
  return std::min(untilDue, look.longestMs);
}

}  // namespace platform
