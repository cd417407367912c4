// The machine's clocks on Linux, the other POSIX systems and in the browser;
// how they wait is sleep_posix.cpp's or sleep_web.cpp's.
#include <ctime>
#include <limits>

#include "platform/base/clock.h"

namespace platform {

std::int64_t SystemClock::NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
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

std::int64_t MonotonicNs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

std::tm LocalTimeAt(std::int64_t unixSeconds) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  std::tm result{};
  ::localtime_r(&t, &result);
  return result;
}

}  // namespace platform
