// The queue's ordering and timer rules, driven on a virtual clock.
#include "platform/message_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace platform {
namespace {

HWND const kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x1000});
HWND const kOtherWindow = reinterpret_cast<HWND>(std::uintptr_t{0x2000});

// One step of a scripted run: what the game or the player does, or a turn of
// the loop that takes every waiting message (Drain).
struct Step {
  enum Op { kSet, kKill, kAdvance, kPost, kInput, kQuit, kDrain } op;
  std::uint64_t a = 0;
  std::int64_t b = 0;
};
Step Set(UINT_PTR id, UINT period) {
  return {Step::kSet, id, period};
}
Step Kill(UINT_PTR id) {
  return {Step::kKill, id};
}
Step Advance(std::int64_t ms) {
  return {Step::kAdvance, 0, ms};
}
Step Post(UINT message, WPARAM wParam = 0) {
  return {Step::kPost, message, std::int64_t(wParam)};
}
Step Input(UINT message, WPARAM wParam) {
  return {Step::kInput, message, std::int64_t(wParam)};
}
Step Quit(int code) {
  return {Step::kQuit, 0, code};
}
Step Drain() {
  return {Step::kDrain};
}

// "T1@100": a tick of timer 1 taken at 100 ms; K, U, C, Q for key down, key
// up, close and quit, followed by the wParam.
std::string Describe(const MSG& msg) {
  const char* name = msg.message == WM_TIMER     ? "T"
                     : msg.message == WM_KEYDOWN ? "K"
                     : msg.message == WM_KEYUP   ? "U"
                     : msg.message == WM_CLOSE   ? "C"
                     : msg.message == WM_QUIT    ? "Q"
                                                 : "?";
  return name + std::to_string(static_cast<LPARAM>(msg.wParam)) + "@" + std::to_string(msg.time);
}

std::string RunScript(const std::vector<Step>& steps) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  std::string log;
  for (const Step& step : steps) {
    switch (step.op) {
      case Step::kSet:
        queue.SetTimer(kWindow, step.a, static_cast<UINT>(step.b));
        break;
      case Step::kKill:
        queue.KillTimer(kWindow, step.a);
        break;
      case Step::kAdvance:
        clock.Advance(step.b);
        break;
      case Step::kPost:
        queue.Post(kWindow, static_cast<UINT>(step.a), static_cast<WPARAM>(step.b), 0);
        break;
      case Step::kInput:
        queue.PostInput(kWindow, static_cast<UINT>(step.a), static_cast<WPARAM>(step.b), 0);
        break;
      case Step::kQuit:
        queue.PostQuit(static_cast<int>(step.b));
        break;
      case Step::kDrain:
        for (MSG msg{}; queue.Peek(&msg, {}, true);)
          log += (log.empty() ? "" : " ") + Describe(msg);
        break;
    }
  }
  return log;
}

struct ScriptCase {
  const char* name;
  std::vector<Step> steps;
  const char* expected;
};

class QueueScript : public testing::TestWithParam<ScriptCase> {};

TEST_P(QueueScript, DeliversInOrder) {
  EXPECT_EQ(RunScript(GetParam().steps), GetParam().expected);
}

const ScriptCase kScripts[] = {
    {"TicksOncePerPeriod",
     {Set(1, 100), Advance(99), Drain(), Advance(1), Drain(), Advance(100), Drain()},
     "T1@100 T1@200"},
    {"PeriodUnder10IsRaised", {Set(1, 1), Advance(9), Drain(), Advance(1), Drain()}, "T1@10"},
    {"PeriodZeroIsRaised",
     {Set(1, 0), Advance(9), Drain(), Advance(1), Drain(), Advance(10), Drain()},
     "T1@10 T1@20"},
    {"HugePeriodIsLowered",
     {Set(1, 0xFFFFFFFFu), Advance(0x7FFFFFFE), Drain(), Advance(1), Drain()},
     "T1@2147483647"},
    {"MissedTicksMergeAndKeepPhase",
     {Set(1, 100), Advance(350), Drain(), Advance(49), Drain(), Advance(1), Drain()},
     "T1@350 T1@400"},
    {"LateByWholePeriodsKeepsPhase",
     {Set(1, 100), Advance(300), Drain(), Advance(99), Drain(), Advance(1), Drain()},
     "T1@300 T1@400"},
    {"SetAgainReplacesPeriodAndRestartsCount",
     {Set(1, 100), Advance(60), Set(1, 50), Advance(49), Drain(), Advance(1), Drain(), Advance(50),
      Drain()},
     "T1@110 T1@160"},
    {"SetAgainDropsPendingTick",
     {Set(1, 100), Advance(150), Set(1, 100), Drain(), Advance(100), Drain()},
     "T1@250"},
    {"KillDropsPendingTick",
     {Set(1, 100), Advance(150), Kill(1), Drain(), Advance(500), Drain()},
     ""},
    {"PostedAndInputBeforeDueTick",
     {Set(1, 10), Advance(10), Input(WM_KEYDOWN, VK_LEFT), Post(WM_CLOSE), Drain()},
     "K37@10 C0@10 T1@10"},
    {"InputAndPostedInArrivalOrder",
     {Input(WM_KEYDOWN, VK_RETURN), Post(WM_CLOSE), Input(WM_KEYUP, VK_RETURN), Drain()},
     "K13@0 C0@0 U13@0"},
    {"QuitAfterQueuedBeforeTick",
     {Set(1, 10), Advance(10), Quit(3), Post(WM_CLOSE), Drain()},
     "C0@10 Q3@10 T1@10"},
    {"EarlierDueTimerFirst",
     {Set(2, 30), Set(1, 20), Advance(60), Drain(), Advance(20), Drain()},
     "T1@60 T2@60 T1@80"},
    {"SameDueInSettingOrder", {Set(2, 50), Set(1, 50), Advance(50), Drain()}, "T2@50 T1@50"},
};

INSTANTIATE_TEST_SUITE_P(Rules, QueueScript, testing::ValuesIn(kScripts),
                         [](const testing::TestParamInfo<ScriptCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(MessageQueue, PeekWithoutRemoveLeavesMessageAndTick) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  queue.SetTimer(kWindow, 1, 100);
  queue.Post(kWindow, WM_CLOSE, 0, 0);
  clock.Advance(100);
  MSG msg{};
  ASSERT_TRUE(queue.Peek(&msg, {}, false));
  ASSERT_TRUE(queue.Peek(&msg, {}, true));
  EXPECT_EQ(msg.message, WM_CLOSE);
  ASSERT_TRUE(queue.Peek(&msg, {}, false));
  ASSERT_TRUE(queue.Peek(&msg, {}, true));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_FALSE(queue.Peek(&msg, {}, false));
}

TEST(MessageQueue, KillOfUnknownTimerFails) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  queue.SetTimer(kWindow, 1, 100);
  EXPECT_FALSE(queue.KillTimer(kWindow, 2));
  EXPECT_FALSE(queue.KillTimer(kOtherWindow, 1));
  EXPECT_TRUE(queue.KillTimer(kWindow, 1));
  EXPECT_FALSE(queue.KillTimer(kWindow, 1));
}

TEST(MessageQueue, FiltersByWindowAndRangeButAlwaysTakeQuit) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  queue.Post(kOtherWindow, WM_CLOSE, 0, 0);
  queue.Post(kWindow, WM_CLOSE, 0, 0);
  queue.Post(kWindow, WM_KEYDOWN, VK_UP, 0);
  MSG msg{};
  ASSERT_TRUE(queue.Peek(&msg, {kWindow, WM_KEYDOWN, WM_KEYUP}, true));
  EXPECT_EQ(msg.wParam, VK_UP);
  ASSERT_TRUE(queue.Peek(&msg, {kWindow, 0, 0}, true));
  EXPECT_EQ(msg.hwnd, kWindow);
  EXPECT_FALSE(queue.Peek(&msg, {kWindow, 0, 0}, true));
  queue.PostQuit(0);
  ASSERT_TRUE(queue.Peek(&msg, {kWindow, WM_KEYDOWN, WM_KEYUP}, true));
  EXPECT_EQ(msg.message, WM_QUIT);
}

TEST(MessageQueue, ForgetWindowDropsOnlyItsMessagesAndTimers) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  queue.Post(kWindow, WM_KEYDOWN, VK_UP, 0);
  queue.Post(kOtherWindow, WM_KEYDOWN, VK_DOWN, 0);
  queue.SetTimer(kWindow, 1, 10);
  queue.ForgetWindow(kWindow);
  clock.Advance(10);
  MSG msg{};
  ASSERT_TRUE(queue.Peek(&msg, {}, true));
  EXPECT_EQ(msg.wParam, VK_DOWN);
  EXPECT_FALSE(queue.Peek(&msg, {}, true));
  EXPECT_FALSE(queue.KillTimer(kWindow, 1));
}

TEST(MessageQueue, GetWaitsOnTheClockUntilTheTick) {
  VirtualClock clock(1000);
  MessageQueue queue(&clock);
  queue.SetTimer(kWindow, 1, 80);
  MSG msg{};
  EXPECT_EQ(queue.Get(&msg, {}), 1);
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(clock.NowMs(), 1080);
}

TEST(MessageQueue, GetPollsThePumpWhileWaiting) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  int polls = 0;
  queue.SetInputPump([&] {
    ++polls;
    if (clock.NowMs() >= 35) queue.PostInput(kWindow, WM_KEYDOWN, VK_SPACE, 0);
  });
  queue.SetTimer(kWindow, 1, 1000);
  MSG msg{};
  EXPECT_EQ(queue.Get(&msg, {}), 1);
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(clock.NowMs(), 40);
  EXPECT_EQ(polls, 5);  // at 0, 10, 20, 30 and 40
}

TEST(MessageQueue, GetReturnsZeroForQuitWithItsExitCode) {
  for (int code : {0, 7, -2}) {
    VirtualClock clock;
    MessageQueue queue(&clock);
    queue.PostQuit(code);
    MSG msg{};
    EXPECT_EQ(queue.Get(&msg, {}), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(static_cast<int>(msg.wParam), code);
  }
}

TEST(MessageQueue, GetWithNothingThatCouldArriveFailsAtOnce) {
  VirtualClock clock(5);
  MessageQueue queue(&clock);
  queue.Post(kOtherWindow, WM_CLOSE, 0, 0);  // there, but not for this filter
  MSG msg{};
  msg.message = WM_CLOSE;
  EXPECT_EQ(queue.Get(&msg, {kWindow, 0, 0}), -1);
  EXPECT_EQ(msg.message, WM_NULL);
  EXPECT_EQ(clock.NowMs(), 5);
}

TEST(MessageQueue, TimerNearTheEndOfTimeStaysDefined) {
  constexpr std::int64_t kEnd = std::numeric_limits<std::int64_t>::max();
  VirtualClock clock(kEnd - 150);
  MessageQueue queue(&clock);
  queue.SetTimer(kWindow, 1, 100);
  clock.Advance(100);
  MSG msg{};
  EXPECT_TRUE(queue.Peek(&msg, {}, true));
  EXPECT_FALSE(queue.Peek(&msg, {}, true));  // the next tick would lie past the end: held there
  clock.Advance(50);
  EXPECT_TRUE(queue.Peek(&msg, {}, true));
}

TEST(MessageQueue, ClearForgetsEverything) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  int polls = 0;
  queue.SetInputPump([&] { ++polls; });
  queue.Post(kWindow, WM_CLOSE, 0, 0);
  queue.PostQuit(1);
  queue.SetTimer(kWindow, 1, 10);
  queue.Clear();
  clock.Advance(10);
  MSG msg{};
  EXPECT_FALSE(queue.Peek(&msg, {}, true));
  EXPECT_EQ(polls, 0);
}

}  // namespace
}  // namespace platform
