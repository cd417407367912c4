// The queue's ordering and timer rules, driven on a virtual clock.
#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace platform {
namespace {

HWND const kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x1000});
HWND const kOther = reinterpret_cast<HWND>(std::uintptr_t{0x2000});

// One scripted step: what the game or the player does, or a turn of the loop
// that takes every waiting message (Drain).
struct Step {
  // 'S'et timer, 'K'ill timer, 'A'dvance, 'P'ost, 'I'nput, 'Q'uit, 'D'rain,
  // 'L'ook at the next message without taking it, as the game's loop does
  char op;
  std::uint32_t a = 0;
  std::int64_t b = 0;
};
Step Set(UINT id, UINT period) {
  return {'S', id, period};
}
Step Kill(UINT id) {
  return {'K', id};
}
Step Advance(std::int64_t ms) {
  return {'A', 0, ms};
}
Step Post(UINT message, WPARAM w = 0) {
  return {'P', message, std::int64_t(w)};
}
Step Input(UINT message, WPARAM w) {
  return {'I', message, std::int64_t(w)};
}
Step Quit(int code) {
  return {'Q', 0, code};
}
const Step kDrain{'D'};
const Step kLook{'L'};

// "T1@100": a tick of timer 1 taken at 100 ms; K, U, C, Q for key down, key
// up, close and quit, each with its wParam.
std::string Describe(const MSG& m) {
  const char* name = m.message == WM_TIMER     ? "T"
                     : m.message == WM_KEYDOWN ? "K"
                     : m.message == WM_KEYUP   ? "U"
                     : m.message == WM_CLOSE   ? "C"
                                               : "Q";
  return name + std::to_string(static_cast<LPARAM>(m.wParam)) + "@" + std::to_string(m.time);
}

std::string RunScript(const std::vector<Step>& steps) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  std::string log;
  for (const Step& s : steps) {
    if (s.op == 'S') queue.SetTimer(kWindow, s.a, static_cast<UINT>(s.b));
    if (s.op == 'K') queue.KillTimer(kWindow, s.a);
    if (s.op == 'A') clock.Advance(s.b);
    if (s.op == 'P') queue.Post(kWindow, s.a, static_cast<WPARAM>(s.b), 0);
    if (s.op == 'I') queue.PostInput(kWindow, s.a, static_cast<WPARAM>(s.b), 0);
    if (s.op == 'Q') queue.PostQuit(static_cast<int>(s.b));
    if (MSG m{}; s.op == 'L' && queue.Peek(&m, false)) log += "(" + Describe(m) + ") ";
    for (MSG m{}; s.op == 'D' && queue.Peek(&m, true);) log += Describe(m) + " ";
  }
  return log;
}

struct ScriptCase {
  const char* name;
  std::vector<Step> steps;
  const char* expected;
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
  *os << c.name;
}

class QueueScript : public testing::TestWithParam<ScriptCase> {};

TEST_P(QueueScript, DeliversAsExpected) {
  EXPECT_EQ(RunScript(GetParam().steps), GetParam().expected);
}

const ScriptCase kScripts[] = {
    {"TicksOncePerPeriod",
     {Set(1, 100), Advance(99), kDrain, Advance(1), kDrain, Advance(100), kDrain},
     "T1@100 T1@200 "},
    {"LookingLeavesTheTickPending",
     {Set(1, 100), Advance(100), kLook, kLook, kDrain, kLook},
     "(T1@100) (T1@100) T1@100 "},
    {"PeriodUnder10IsRaised", {Set(1, 1), Advance(9), kDrain, Advance(1), kDrain}, "T1@10 "},
    {"PeriodZeroIsRaised", {Set(1, 0), Advance(9), kDrain, Advance(11), kDrain}, "T1@20 "},
    {"HugePeriodIsLowered",
     {Set(1, 0xFFFFFFFFu), Advance(0x7FFFFFFE), kDrain, Advance(1), kDrain},
     "T1@2147483647 "},
    {"MissedTicksMergeAndKeepPhase",
     {Set(1, 100), Advance(350), kDrain, Advance(49), kDrain, Advance(1), kDrain},
     "T1@350 T1@400 "},
    {"LateByWholePeriodsKeepsPhase",
     {Set(1, 100), Advance(300), kDrain, Advance(99), kDrain, Advance(1), kDrain},
     "T1@300 T1@400 "},
    {"SetAgainReplacesPeriodAndRestartsCount",
     {Set(1, 100), Advance(60), Set(1, 50), Advance(49), kDrain, Advance(1), kDrain, Advance(50),
      kDrain},
     "T1@110 T1@160 "},
    {"SetAgainDropsPendingTick",
     {Set(1, 100), Advance(150), Set(1, 100), kDrain, Advance(100), kDrain},
     "T1@250 "},
    {"KillDropsPendingTick",
     {Set(1, 100), Advance(150), Kill(1), kDrain, Advance(500), kDrain},
     ""},
    {"PostedAndInputComeBeforeDueTick",
     {Set(1, 10), Advance(10), Input(WM_KEYDOWN, VK_LEFT), Post(WM_CLOSE), kDrain},
     "K37@10 C0@10 T1@10 "},
    {"InputAndPostedInArrivalOrder",
     {Input(WM_KEYDOWN, VK_RETURN), Post(WM_CLOSE), Input(WM_KEYUP, VK_RETURN), kDrain},
     "K13@0 C0@0 U13@0 "},
    {"QuitAfterQueuedBeforeTick",
     {Set(1, 10), Advance(10), Quit(-2), Post(WM_CLOSE), kDrain},
     "C0@10 Q-2@10 T1@10 "},
    {"EarlierDueTimerFirst",
     {Set(2, 30), Set(1, 20), Advance(60), kDrain, Advance(20), kDrain},
     "T1@60 T2@60 T1@80 "},
    {"SameDueInSettingOrder", {Set(2, 50), Set(1, 50), Advance(50), kDrain}, "T2@50 T1@50 "},
};

INSTANTIATE_TEST_SUITE_P(Rules, QueueScript, testing::ValuesIn(kScripts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MessageQueue, WaitingGetPollsThePumpEvery10Ms) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  int polls = 0;
  queue.SetInputPump([&] {
    if (++polls == 5) queue.PostInput(kWindow, WM_KEYDOWN, VK_SPACE, 0);
  });
  queue.SetTimer(kWindow, 1, 1000);
  MSG msg{};
  EXPECT_EQ(queue.Get(&msg), 1);
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(clock.NowMs(), 40);
}

// A clock with no way to wait, like the fixed ones of date tests.
struct StuckClock final : Clock {
  std::int64_t NowMs() override { return 0; }
  std::int64_t UnixSeconds() override { return 0; }
  std::tm LocalTime() override { return {}; }
};

TEST(MessageQueue, GetOnAClockThatCannotWaitGivesUpInsteadOfSpinning) {
  StuckClock clock;
  MessageQueue queue(&clock);
  queue.SetTimer(kWindow, 1, 100);
  MSG msg{};
  EXPECT_EQ(queue.Get(&msg), -1);
  EXPECT_EQ(msg.message, WM_NULL);
}

TEST(MessageQueue, TimerNearTheEndOfTimeStaysDefined) {
  VirtualClock clock(std::numeric_limits<std::int64_t>::max() - 150);
  MessageQueue queue(&clock);
  queue.SetTimer(kWindow, 1, 100);
  clock.Advance(100);
  MSG msg{};
  EXPECT_TRUE(queue.Peek(&msg, true));
  EXPECT_FALSE(queue.Peek(&msg, true));  // the next tick would lie past the end: held there
  clock.Advance(50);
  EXPECT_TRUE(queue.Peek(&msg, true));
}

}  // namespace
}  // namespace platform
