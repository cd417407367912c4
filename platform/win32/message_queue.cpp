#include "platform/win32/message_queue.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

// Clock values and periods are far from the ends of int64 in practice, but a
// clock may start anywhere; saturating keeps every sum defined.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) return std::numeric_limits<std::int64_t>::max();
  return sum;
}

// The first tick of the timer's own rhythm that lies after `nowMs`, for a
// timer that was due at `dueMs` <= `nowMs`: ticks missed in between are gone,
// merged into the one just delivered.
std::int64_t NextDueAfter(std::int64_t dueMs, std::int64_t periodMs, std::int64_t nowMs) {
  const std::uint64_t late = static_cast<std::uint64_t>(nowMs) - static_cast<std::uint64_t>(dueMs);
  const auto intoPeriod = static_cast<std::int64_t>(late % static_cast<std::uint64_t>(periodMs));
  return SaturatingAdd(nowMs, periodMs - intoPeriod);
}

}  // namespace

std::int64_t MessageQueue::RunningPeriodMs(UINT periodMs) {
  return std::clamp<std::int64_t>(periodMs, USER_TIMER_MINIMUM, kMaxTimerPeriodMs);
}

MSG MessageQueue::MakeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) const {
  // The message time is the millisecond count, wrapping as a 32-bit tick count does.
  const auto time = static_cast<DWORD>(static_cast<std::uint64_t>(ClockNow().NowMs()));
  return MSG{hwnd, message, wParam, lParam, time};
}

void MessageQueue::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  messages_.push_back(MakeMessage(hwnd, message, wParam, lParam));
}

void MessageQueue::PostQuit(int exitCode) {
  quitPending_ = true;
  quitCode_ = exitCode;
}

bool MessageQueue::HasPump() const {
  return pump_ || (clock_ == nullptr && InstalledHost().input != nullptr);
}

void MessageQueue::AskForInput() {
  if (pump_) {
    pump_();
  } else if (clock_ == nullptr) {
    if (InputPump hostPump = InstalledHost().input) hostPump();
  }
}

bool MessageQueue::Peek(MSG* msg, bool remove) {
  if (!inHand_) AskForInput();
  const bool found = TakeQueued(msg, remove) || TakeQuit(msg, remove) || TakeTick(msg, remove);
  inHand_ = found && !remove;
  return found;
}

bool MessageQueue::TakeQueued(MSG* msg, bool remove) {
  if (messages_.empty()) return false;
  *msg = messages_.front();
  if (remove) messages_.pop_front();
  return true;
}

bool MessageQueue::TakeQuit(MSG* msg, bool remove) {
  if (!quitPending_) return false;
  // A negative exit code travels sign-extended, as it does in a WPARAM.
  *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(static_cast<LPARAM>(quitCode_)), 0);
  if (remove) quitPending_ = false;
  return true;
}

bool MessageQueue::TakeTick(MSG* msg, bool remove) {
  Timer* timer = EarliestTimer();
  const std::int64_t now = ClockNow().NowMs();
  if (timer == nullptr || timer->dueMs > now) return false;
  *msg = MakeMessage(timer->hwnd, WM_TIMER, timer->id, 0);
  if (remove) timer->dueMs = NextDueAfter(timer->dueMs, timer->periodMs, now);
  return true;
}

MessageQueue::Timer* MessageQueue::EarliestTimer() {
  Timer* earliest = nullptr;
  for (Timer& timer : timers_) {
    if (earliest == nullptr || timer.dueMs < earliest->dueMs) earliest = &timer;
  }
  return earliest;
}

std::int64_t MessageQueue::NextMessageDueMs() {
  if (!messages_.empty() || quitPending_) return std::numeric_limits<std::int64_t>::min();
  const Timer* timer = EarliestTimer();
  return timer != nullptr ? timer->dueMs : std::numeric_limits<std::int64_t>::max();
}

int MessageQueue::Get(MSG* msg) {
  for (;;) {
    if (Peek(msg, true)) return msg->message == WM_QUIT ? 0 : 1;
    const Timer* timer = EarliestTimer();
    if (timer == nullptr && !HasPump()) return GiveUp(msg);
    std::int64_t wakeMs =
        timer != nullptr ? timer->dueMs : std::numeric_limits<std::int64_t>::max();
    const std::int64_t before = ClockNow().NowMs();
    if (HasPump()) wakeMs = std::min(wakeMs, SaturatingAdd(before, kInputPollMs));
    ClockNow().SleepUntilMs(wakeMs);
    if (ClockNow().NowMs() == before) return GiveUp(msg);  // a clock that cannot wait
  }
}

int MessageQueue::GiveUp(MSG* msg) const {
  *msg = MakeMessage(nullptr, WM_NULL, 0, 0);
  return -1;
}

MessageQueue::Timer* MessageQueue::FindTimer(HWND hwnd, UINT_PTR id) {
  const auto found = std::find_if(timers_.begin(), timers_.end(), [&](const Timer& timer) {
    return timer.hwnd == hwnd && timer.id == id;
  });
  return found != timers_.end() ? &*found : nullptr;
}

UINT_PTR MessageQueue::SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs) {
  const std::int64_t period = RunningPeriodMs(periodMs);
  // Setting a live timer again starts its count afresh: a tick it had
  // pending is dropped and the next comes one whole new period from now.
  const Timer fresh{hwnd, id, period, SaturatingAdd(ClockNow().NowMs(), period)};
  if (Timer* live = FindTimer(hwnd, id)) {
    *live = fresh;
  } else {
    timers_.push_back(fresh);
  }
  return id != 0 ? id : 1;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id) {
  Timer* timer = FindTimer(hwnd, id);
  if (timer == nullptr) return false;
  timers_.erase(timers_.begin() + (timer - timers_.data()));
  return true;
}

void MessageQueue::ForgetWindow(HWND hwnd) {
  inHand_ = false;  // the message in hand may have been the window's
  std::erase_if(messages_, [&](const MSG& queued) { return queued.hwnd == hwnd; });
  std::erase_if(timers_, [&](const Timer& timer) { return timer.hwnd == hwnd; });
}

void MessageQueue::Clear() {
  pump_ = nullptr;
  messages_.clear();
  quitPending_ = false;
  quitCode_ = 0;
  timers_.clear();
  inHand_ = false;
}

}  // namespace platform
