// Waiting on the monotonic clock in the browser. The game runs on the page's
// one thread, where a sleep of the system's kind would spin and freeze the
// page; this one hands the page back to the browser until the time is up
// (emscripten's asyncify keeps the game's stack meanwhile), so the browser
// shows the frames drawn and takes input while the game waits.
#include <emscripten.h>

#include <algorithm>

#include "platform/base/clock.h"

namespace platform {

void SleepUntilNs(std::int64_t deadlineNs) {
  const std::int64_t leftNs = deadlineNs - std::min(deadlineNs, MonotonicNs());
  if (leftNs <= 0) return;
  // The browser's timers count whole milliseconds: rounded up, so the wait is never short.
  constexpr std::int64_t kLongestMs = 0x7FFFFFFF;
  emscripten_sleep(static_cast<unsigned>(std::min(kLongestMs, (leftNs + 999'999) / 1'000'000)));
}

}  // namespace platform
