#include "platform/base/clock.h"

#include "platform/base/os.h"

namespace platform {

std::int64_t SystemClock::NowMs() {
  return MonotonicMs();
}

void SystemClock::SleepUntilMs(std::int64_t deadlineMs) {
  SleepUntilMonotonicMs(deadlineMs);
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

namespace {
SystemClock g_systemClock;
Clock* g_gameClock = &g_systemClock;
}  // namespace

Clock& GameClock() {
  return *g_gameClock;
}

void SetGameClock(Clock* clock) {
  g_gameClock = clock != nullptr ? clock : &g_systemClock;
}

}  // namespace platform
