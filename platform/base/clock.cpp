#include "platform/base/clock.h"

namespace platform {

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
