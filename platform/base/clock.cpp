#include "platform/base/clock.h"

#include <limits>

namespace platform {

std::int64_t SystemClock::NowMs() {
  return MonotonicNs() / 1'000'000;
}

void SystemClock::SleepUntilMs(std::int64_t deadlineMs) {
  if (deadlineMs <= NowMs()) return;
  // A deadline beyond the nanosecond scale's end (never, in practice) is its end.
  std::int64_t deadlineNs = 0;
  if (__builtin_mul_overflow(deadlineMs, std::int64_t{1'000'000}, &deadlineNs)) {
    deadlineNs = std::numeric_limits<std::int64_t>::max();
  }
  SleepUntilNs(deadlineNs);
}

std::int64_t SystemClock::UnixSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

std::tm SystemClock::LocalTime() {
  return LocalTimeAt(UnixSeconds());
}

std::tm VirtualClock::LocalTime() {
  return LocalTimeAt(UnixSeconds());
}

}  // namespace platform
