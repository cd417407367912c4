// Time as the game sees it. Timers run on a monotonic millisecond clock; the
// seed of a new game and the date of a high-score entry come from the wall
// clock. The host brings its own (GameClock() in platform/win32/host.h), so
// tests advance time exactly and never sleep.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale; only differences matter.
  virtual std::int64_t NowMs() = 0;
  // Seconds since 1970-01-01 00:00 UTC.
  virtual std::int64_t UnixSeconds() = 0;
  // The local calendar time of UnixSeconds().
  virtual std::tm LocalTime() = 0;
  // Waits until NowMs() has reached `deadlineMs` (returns at once if it has).
  // The message queue waits through this, so that on a virtual clock a wait is
  // a jump in time rather than a hang. A clock that cannot wait (a fixed one)
  // keeps this default and returns; the queue then stops waiting on it.
  virtual void SleepUntilMs(std::int64_t /*deadlineMs*/) {}
};

// The real clocks of the machine.
class SystemClock final : public Clock {
 public:
  std::int64_t NowMs() override;
  std::int64_t UnixSeconds() override;
  std::tm LocalTime() override;
  // An absolute deadline on the monotonic clock, so that a wake-up that comes
  // late does not push the next one later still.
  void SleepUntilMs(std::int64_t deadlineMs) override;
};

// A clock that moves only when told to. LocalTime() is UTC-free: it is the
// broken-down form of UnixSeconds() in the process's time zone.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(std::int64_t nowMs = 0, std::int64_t unixSeconds = 0)
      : nowMs_(nowMs), unixSeconds_(unixSeconds) {}
  std::int64_t NowMs() override { return nowMs_; }
  std::int64_t UnixSeconds() override { return unixSeconds_ + nowMs_ / 1000; }
  std::tm LocalTime() override;
  void Advance(std::int64_t ms) { nowMs_ += ms; }
  // Never moves time backwards.
  void SleepUntilMs(std::int64_t deadlineMs) override {
    if (deadlineMs > nowMs_) nowMs_ = deadlineMs;
  }

 private:
  std::int64_t nowMs_;
  std::int64_t unixSeconds_;
};

// The local calendar time at `unixSeconds`, in the process's time zone.
std::tm LocalTimeAt(std::int64_t unixSeconds);

// The machine's monotonic clock in nanoseconds, and a wait until an absolute
// time on it (at once when that has passed): what SystemClock and the pacing
// of the frames shown wait with. In a browser the wait hands the page back to
// the browser until then, so that the page stays alive while the game sleeps.
std::int64_t MonotonicNs();
void SleepUntilNs(std::int64_t deadlineNs);

}  // namespace platform
