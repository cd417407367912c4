#include "verify/timer_rhythm.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

// The only timer of the play screen.
constexpr UINT_PTR kTimer = 1;

}  // namespace

TimerRhythm::TimerRhythm() : queue_(&clock_) {}

void TimerRhythm::MoveTo(std::int64_t ms) {
  // The queue's clock only goes forward, as the game's does.
  clock_.Advance(std::max<std::int64_t>(0, ms - clock_.NowMs()));
}

void TimerRhythm::Set(std::uint32_t atMs, std::uint32_t periodMs) {
  MoveTo(atMs);
  const auto asked = static_cast<UINT>(periodMs);
  queue_.SetTimer(nullptr, kTimer, asked);
  periodMs_ = platform::MessageQueue::RunningPeriodMs(asked);
}

void TimerRhythm::Kill() {
  queue_.KillTimer(nullptr, kTimer);
  periodMs_ = 0;
}

TickPlace TimerRhythm::Tick(std::uint32_t atMs) {
  const std::int64_t due = queue_.NextMessageDueMs();
  if (due == std::numeric_limits<std::int64_t>::max()) return {.running = false};
  TickPlace place;
  if (atMs < due) {
    place.earlyMs = due - atMs;
    return place;
  }
  place.lateMs = (atMs - due) % periodMs_;
  MoveTo(std::max<std::int64_t>(due, std::int64_t{atMs} - kTakenBeforeNotedMs));
  MSG taken{};
  queue_.Peek(&taken, true);
  return place;
}

std::optional<std::int64_t> TimerRhythm::NextBeatMs() {
  const std::int64_t due = queue_.NextMessageDueMs();
  if (due == std::numeric_limits<std::int64_t>::max()) return std::nullopt;
  return due;
}

TimerCalls::TimerCalls() : before_(platform::InstalledHost()) {
  if (before_.calls != nullptr) {
    log_ = before_.calls;
    read_ = log_->Calls().size();
    return;
  }
  platform::Host watched = before_;
  watched.calls = &own_;
  platform::InstallHost(watched);
  log_ = &own_;
}

TimerCalls::~TimerCalls() {
  if (log_ == &own_) platform::InstallHost(before_);
}

void TimerCalls::Follow(std::uint32_t atMs, TimerRhythm& rhythm) {
  const std::vector<platform::RecordedCall>& calls = log_->Calls();
  for (; read_ < calls.size(); ++read_) {
    const platform::RecordedCall& call = calls[read_];
    if (call.args.empty() || call.args[0] != static_cast<std::int64_t>(kTimer)) continue;
    if (call.name == "SetTimer" && call.args.size() == 2) {
      rhythm.Set(atMs, static_cast<std::uint32_t>(call.args[1]));
    } else if (call.name == "KillTimer") {
      rhythm.Kill();
    }
  }
  if (log_ == &own_) {
    own_.Clear();
    read_ = 0;
  }
}
