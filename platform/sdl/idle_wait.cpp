#include "platform/sdl/idle_wait.h"

#include <algorithm>

namespace platform {

std::int64_t IdleWait::SleepMs(const Poll& poll) {
  const bool drewAFrame = poll.framesPresented != seenFrames_;
  seenFrames_ = poll.framesPresented;
  const bool nothingNew = drewAFrame ? !poll.repaintPending : !poll.active;
  if (!nothingNew || poll.nextMessageDueMs <= poll.nowMs) return 0;
  // A timer due in more than int64 milliseconds (never, in practice) is far.
  std::int64_t untilDue = 0;
  if (__builtin_sub_overflow(poll.nextMessageDueMs, poll.nowMs, &untilDue)) return poll.longestMs;
  return std::min(untilDue, poll.longestMs);
}

}  // namespace platform
