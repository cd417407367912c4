// The machine's clocks on Linux and the other POSIX systems.
#include <cerrno>
#include <ctime>

#include "platform/base/clock.h"

namespace platform {

std::int64_t SystemClock::NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

void SystemClock::SleepUntilMs(std::int64_t deadlineMs) {
  if (deadlineMs <= NowMs()) return;  // also keeps the split below free of negative parts
  timespec deadline{};
  deadline.tv_sec = static_cast<time_t>(deadlineMs / 1000);
  deadline.tv_nsec = static_cast<long>(deadlineMs % 1000) * 1000000L;
  // A signal cuts the sleep short; the deadline is absolute, so sleeping again is exact.
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

std::tm LocalTimeAt(std::int64_t unixSeconds) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  std::tm result{};
  ::localtime_r(&t, &result);
  return result;
}

}  // namespace platform
