// The machine's clocks on Windows: the performance counter for timers, the
// C runtime for the calendar.
#include <windows.h>

#include <chrono>
#include <ctime>

#include "platform/base/clock.h"

namespace platform {

// The performance counter, through the C++ library's steady clock.
std::int64_t MonotonicNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Sleep counts in the system's timer ticks, which SDL sets to 1 ms while the
// game runs; a wake-up that comes early sleeps again for the rest. Whole
// milliseconds, rounded up, so that the wait is never short.
void SleepUntilNs(std::int64_t deadlineNs) {
  for (std::int64_t now = MonotonicNs(); now < deadlineNs; now = MonotonicNs()) {
    ::Sleep(static_cast<DWORD>((deadlineNs - now + 999'999) / 1'000'000));
  }
}

std::tm LocalTimeAt(std::int64_t unixSeconds) {
  const auto t = static_cast<std::time_t>(unixSeconds);
  std::tm result{};
  ::localtime_s(&result, &t);
  return result;
}

}  // namespace platform
