#include "platform/base/clock.h"

#include <cerrno>
#include <chrono>

namespace platform {

std::int64_t SystemClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::SleepUntilMs(std::int64_t deadlineMs) {
  // steady_clock is CLOCK_MONOTONIC on Linux, so NowMs() and this deadline share one scale.
  if (deadlineMs <= NowMs()) return;  // also keeps the split below free of negative parts
  timespec deadline{};
  deadline.tv_sec = static_cast<time_t>(deadlineMs / 1000);
  deadline.tv_nsec = static_cast<long>(deadlineMs % 1000) * 1000000L;
  // A signal cuts the sleep short; the deadline is absolute, so sleeping again is exact.
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

std::int64_t SystemClock::UnixSeconds() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

static std::tm LocalTimeOf(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm result{};
  localtime_r(&t, &result);
  return result;
}

std::tm SystemClock::LocalTime() {
  return LocalTimeOf(UnixSeconds());
}

std::tm VirtualClock::LocalTime() {
  return LocalTimeOf(UnixSeconds());
}

}  // namespace platform
