// The machine's clocks on Windows: the performance counter for timers, the
// C runtime for the calendar.
#include <windows.h>

#include <ctime>

#include "platform/base/clock.h"

namespace platform {

namespace {

std::int64_t CounterFrequency() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace

std::int64_t SystemClock::NowMs() {
  static const std::int64_t frequency = CounterFrequency();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  // Whole seconds and the rest apart, so that a machine up for months does
  // not overflow the product.
  return now.QuadPart / frequency * 1000 + now.QuadPart % frequency * 1000 / frequency;
}

// Sleep counts in the system's timer ticks, which SDL sets to 1 ms while the
// game runs; a wake-up that comes early sleeps again for the rest.
void SystemClock::SleepUntilMs(std::int64_t deadlineMs) {
  for (std::int64_t now = NowMs(); now < deadlineMs; now = NowMs()) {
    ::Sleep(static_cast<DWORD>(deadlineMs - now));
  }
}

std::int64_t MonotonicNs() {
  static const std::int64_t frequency = CounterFrequency();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart / frequency * 1'000'000'000 +
         now.QuadPart % frequency * 1'000'000'000 / frequency;
}

// Whole milliseconds, rounded up, so that the wait is never short.
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
