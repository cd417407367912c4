// The machine's clocks on Linux, the other POSIX systems and in the browser;
// how they wait is sleep_posix.cpp's or platform/web/sleep_web.cpp's.
#include <ctime>

#include "platform/base/clock.h"

namespace platform {

// The clock that sleep_posix.cpp's clock_nanosleep waits on.
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
