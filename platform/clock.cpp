#include "platform/clock.h"

#include <chrono>

namespace platform {

std::int64_t SystemClock::NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::UnixSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

static std::tm LocalTimeOf(std::int64_t seconds) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm result{};
  localtime_r(&t, &result);
  return result;
}

std::tm SystemClock::LocalTime() { return LocalTimeOf(UnixSeconds()); }

std::tm VirtualClock::LocalTime() { return LocalTimeOf(UnixSeconds()); }

namespace {
SystemClock g_systemClock;
Clock* g_gameClock = &g_systemClock;
}  // namespace

Clock& GameClock() { return *g_gameClock; }

void SetGameClock(Clock* clock) { g_gameClock = clock != nullptr ? clock : &g_systemClock; }

}  // namespace platform
