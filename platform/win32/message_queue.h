// The message queue of the game's one thread, with its timers, in plain C++.
//
// It keeps the rules the game was written against:
// - posted messages and input (keys, focus, close requests) come out in the
//   order they arrived;
// - WM_QUIT comes out once nothing else is queued, before any timer tick;
// - WM_TIMER is made up only when nothing else waits, and a timer has at most
//   one tick pending: ticks that fall due while the game is busy merge into one;
// - a tick keeps its timer's phase: after a late one the next is due at the
//   first multiple of the period after now;
// - a period under 10 ms runs at 10 ms; setting a live timer again replaces its
//   period and starts its count afresh; killing a timer drops its pending tick.
//
// The host is asked for input in one place, at the start of a poll, and only
// when the poll before did not already find the message in hand: the game's
// loop peeks without removing and then gets, and that pair asks once. So a
// message costs one question to the host, as a frame does.
//
// Time comes from a Clock, so tests step it exactly.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "platform/base/clock.h"
#include "platform/win32/host.h"
#include "platform/win32/win32.h"

namespace platform {

class MessageQueue {
 public:
  // `clock` is not owned. A queue without one is the game's own: it runs on
  // the installed host's clock and input pump, whichever they are at each call.
  explicit MessageQueue(Clock* clock = nullptr) : clock_(clock) {}

  // Posted messages and the host's input share this one queue, so a key and
  // a close request come out in the order the player made them.
  void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void PostQuit(int exitCode);

  // Asked at the start of every poll that has no message in hand, and while
  // Get waits: it moves the host's gathered input in with Post. In place
  // of the host's.
  void SetInputPump(std::function<void()> pump) { pump_ = std::move(pump); }

  // Copies the next message into `msg`; with `remove` it is taken off the
  // queue (a timer tick then counts as delivered). False when none waits.
  // Without `remove`, the message found stays in hand: the next poll takes
  // it up without asking the host again.
  bool Peek(MSG* msg, bool remove);

  // Takes the next message, waiting on the clock until one arrives or
  // a timer falls due. Returns 1 for a message, 0 for WM_QUIT (its wParam is
  // the exit code), and -1 with a WM_NULL message when waiting would hang the
  // thread for good: no pump to bring input and no timer to fall due, or a
  // clock that does not move when asked to wait.
  int Get(MSG* msg);

  // Arms or re-arms timer `id` of `hwnd`; returns the id (1 for id 0).
  UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs);
  // False when there is no such timer.
  bool KillTimer(HWND hwnd, UINT_PTR id);

  // When the next message will be waiting, on the queue's clock, unless input
  // comes first: at once (the lowest int64) while one waits, else when the
  // earliest timer falls due, else never (the highest int64). A host that
  // would rather sleep than poll need not wake before then for the queue.
  std::int64_t NextMessageDueMs();

  // Drops every queued message and every timer of a window that is gone.
  void ForgetWindow(HWND hwnd);
  // Back to empty: no messages, no quit, no timers, no pump of its own.
  void Clear();

  // The period a timer asked for `periodMs` runs at.
  [[nodiscard]] static std::int64_t RunningPeriodMs(UINT periodMs);

  // How often a waiting Get looks at the input pump.
  static constexpr std::int64_t kInputPollMs = 10;
  // The longest period a timer runs at; longer requests are lowered to it.
  static constexpr std::int64_t kMaxTimerPeriodMs = 0x7FFFFFFF;

 private:
  struct Timer {
    HWND hwnd;
    UINT_PTR id;
    std::int64_t periodMs;
    std::int64_t dueMs;
  };

  [[nodiscard]] Clock& ClockNow() const { return clock_ != nullptr ? *clock_ : GameClock(); }
  [[nodiscard]] bool HasPump() const;
  void AskForInput();
  MSG MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const;
  bool TakeQueued(MSG* msg, bool remove);
  bool TakeQuit(MSG* msg, bool remove);
  bool TakeTick(MSG* msg, bool remove);
  Timer* EarliestTimer();
  Timer* FindTimer(HWND hwnd, UINT_PTR id);
  int GiveUp(MSG* msg) const;

  Clock* clock_;
  std::function<void()> pump_;
  std::deque<MSG> messages_;
  bool quitPending_ = false;
  int quitCode_ = 0;
  std::vector<Timer> timers_;  // in the order they were first set: the tie-break
  bool inHand_ = false;        // the last look found a message and left it queued
};

}  // namespace platform
