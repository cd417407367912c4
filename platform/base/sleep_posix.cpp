// Waiting on the monotonic clock on Linux and the other POSIX systems.
#include <cerrno>
#include <ctime>

#include "platform/base/clock.h"

namespace platform {

void SleepUntilNs(std::int64_t deadlineNs) {
  if (deadlineNs <= MonotonicNs()) return;  // also keeps the split below free of negative parts
  const timespec deadline{static_cast<time_t>(deadlineNs / 1'000'000'000),
                          static_cast<long>(deadlineNs % 1'000'000'000)};
  // A signal cuts the sleep short; the deadline is absolute, so sleeping again is exact.
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
  }
}

}  // namespace platform
