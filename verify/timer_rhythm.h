// The play screen's timer as the game's own message queue runs it, followed
// through a recorded game's times: where each recorded tick stands against
// the rhythm its timer keeps.
//
// Setting the timer (the game's Start, a piece landing, the field settling, a
// piece spawned, DOWN pressed or let go) starts its rhythm at that message's
// time. A tick is taken when its beat falls due, or later when the game was
// busy (a frame being drawn); beats that fell due meanwhile, or while the game
// was in the background, merge into the tick taken, and the rhythm goes on
// from the same beats. So a tick the game's clock gave is never before its
// timer's next beat, and comes a frame or so after some beat of the rhythm.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/base/call_log.h"
#include "platform/base/clock.h"
#include "platform/win32/host.h"
#include "platform/win32/message_queue.h"

// Where one tick stands against its timer's rhythm.
struct TickPlace {
  bool running = true;       // false: no timer was running at all
  std::int64_t earlyMs = 0;  // how long before the next beat it came (0 when not early)
  std::int64_t lateMs = 0;   // how long after the last beat at or before it
};

class TimerRhythm {
 public:
  TimerRhythm();

  // Timer 1 set with `periodMs` (as asked for) while the message at `atMs` was handled.
  void Set(std::uint32_t atMs, std::uint32_t periodMs);
  void Kill();
  // A tick recorded at `atMs`, which the timer's rhythm then goes on from.
  TickPlace Tick(std::uint32_t atMs);
  // When the timer's next beat falls due; empty while no timer runs.
  [[nodiscard]] std::optional<std::int64_t> NextBeatMs();

  // The game notes a message's time after it takes the message from its
  // queue; in a browser slowed four times the two were measured up to 8 ms
  // apart. The rhythm is followed from the earliest moment the tick may have
  // been taken, so that it never counts a true tick as early.
  static constexpr std::int64_t kTakenBeforeNotedMs = 30;

 private:
  void MoveTo(std::int64_t ms);

  platform::VirtualClock clock_;
  platform::MessageQueue queue_;
  std::int64_t periodMs_ = 0;
};

// The play screen's timer calls, as the host's call log notes them, handed to
// a TimerRhythm after each message. A host that keeps a log of its own (the
// simulator's, a test's) keeps it whole; otherwise one is lent for as long as
// this lives, and emptied as it is read.
class TimerCalls {
 public:
  TimerCalls();
  ~TimerCalls();
  TimerCalls(const TimerCalls&) = delete;
  TimerCalls& operator=(const TimerCalls&) = delete;

  // The calls made while the message at `atMs` was handled (0: the game's Start).
  void Follow(std::uint32_t atMs, TimerRhythm& rhythm);

 private:
  platform::Host before_;
  platform::CallLog own_;
  platform::CallLog* log_ = nullptr;
  std::size_t read_ = 0;
};
