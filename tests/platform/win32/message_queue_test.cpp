// The queue's ordering and timer rules, driven on a virtual clock.
#include "platform/win32/message_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <sstream>
#include <string>
#include <utility>

namespace platform {
namespace {

HWND const kWindow = reinterpret_cast<HWND>(std::uintptr_t{0x1000});

// "T1@100": a tick of timer 1 taken at 100 ms; K, U, C, Q for key down, key
// up, close and quit, each with its wParam.
std::string Describe(const MSG& m) {
  const char* name = m.message == WM_TIMER     ? "T"
                     : m.message == WM_KEYDOWN ? "K"
                     : m.message == WM_KEYUP   ? "U"
                     : m.message == WM_CLOSE   ? "C"
                                               : "Q";
  // Appended piece by piece: GCC 12 at -O3 mistakes "text" + string for an
  // overlapping copy (-Wrestrict).
  std::string text = name;
  text += std::to_string(static_cast<LPARAM>(m.wParam));
  text += '@';
  text += std::to_string(m.time);
  return text;
}

// Steps: set<id>:<ms>, kill<id>, +<ms> (time passes), down<vk> and up<vk>
// (input), close (posted), quit<code>, take (a turn of the loop that takes
// every waiting message), peek (the loop's peek without taking).
std::string Deliver(const std::string& script) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  std::istringstream steps(script);
  std::string log;
  for (std::string step; steps >> step;) {
    const char* s = step.c_str();
    long long a = 0, b = 0;
    MSG m{};
    if (std::sscanf(s, "set%lld:%lld", &a, &b) == 2) queue.SetTimer(kWindow, a, UINT(b));
    if (std::sscanf(s, "kill%lld", &a) == 1) queue.KillTimer(kWindow, a);
    if (std::sscanf(s, "+%lld", &a) == 1) clock.Advance(a);
    if (std::sscanf(s, "down%lld", &a) == 1) queue.Post(kWindow, WM_KEYDOWN, WPARAM(a), 0);
    if (std::sscanf(s, "up%lld", &a) == 1) queue.Post(kWindow, WM_KEYUP, WPARAM(a), 0);
    if (step == "close") queue.Post(kWindow, WM_CLOSE, 0, 0);
    if (std::sscanf(s, "quit%lld", &a) == 1) queue.PostQuit(int(a));
    if (step == "peek" && queue.Peek(&m, false)) log.append("(").append(Describe(m)).append(") ");
    while (step == "take" && queue.Peek(&m, true)) log += Describe(m) + " ";
  }
  return log;
}

TEST(MessageQueue, OrderAndTimerRules) {
  const struct {
    const char* rule;
    const char* script;
    const char* delivered;
  } cases[] = {
      {"one tick a period", "set1:100 +99 take +1 take +100 take", "T1@100 T1@200 "},
      {"a peek leaves the tick pending", "set1:100 +100 peek peek take peek",
       "(T1@100) (T1@100) T1@100 "},
      {"under 10 ms runs at 10", "set1:0 +9 take +1 take", "T1@10 "},
      {"a huge period is lowered", "set1:4294967295 +2147483646 take +1 take", "T1@2147483647 "},
      {"missed ticks merge, phase kept", "set1:100 +350 take +49 take +1 take", "T1@350 T1@400 "},
      {"set again replaces the period and restarts",
       "set1:100 +60 set1:50 +49 take +1 take +50 take", "T1@110 T1@160 "},
      {"set again drops the pending tick", "set1:100 +150 set1:100 take +100 take", "T1@250 "},
      {"kill drops the pending tick", "set1:100 +150 kill1 take +500 take", ""},
      {"ticks only when nothing else waits", "set1:10 +10 down37 close take",
       "K37@10 C0@10 T1@10 "},
      {"input and posted in arrival order", "down13 close up13 take", "K13@0 C0@0 U13@0 "},
      {"quit after the queue, before ticks", "set1:10 +10 quit-2 close take",
       "C0@10 Q-2@10 T1@10 "},
      {"earlier due first", "set2:30 set1:20 +60 take +20 take", "T1@60 T2@60 T1@80 "},
      {"same due in setting order", "set2:50 set1:50 +50 take", "T2@50 T1@50 "},
  };
  for (const auto& c : cases) EXPECT_EQ(Deliver(c.script), c.delivered) << c.rule;
}

TEST(MessageQueue, WaitingGetPollsThePumpEvery10Ms) {
  VirtualClock clock;
  MessageQueue queue(&clock);
  int polls = 0;
  queue.SetInputPump([&] {
    if (++polls == 5) queue.Post(kWindow, WM_KEYDOWN, VK_SPACE, 0);
  });
  queue.SetTimer(kWindow, 1, 1000);
  MSG msg{};
  EXPECT_EQ(queue.Get(&msg), 1);
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(clock.NowMs(), 40);
}

// The game's loop peeks without removing, then gets what it saw: one turn.
// Each turn asks the host for input once, whether it takes a message or finds
// none; the host's input stays in arrival order with everything else.
TEST(MessageQueue, EachTurnOfTheLoopAsksTheHostOnce) {
  const struct {
    const char* what;
    // post, key (the host has one to give), +<ms>, peek, get, turn (peek, then get)
    const char* script;
    int asks;
    const char* taken;
  } cases[] = {
      {"a turn that finds nothing", "turn turn", 2, ""},
      {"a posted message", "post turn turn", 2, "C "},
      {"a tick", "+10 turn turn", 2, "T "},
      {"the host's key, then the tick it came before", "+10 key turn turn turn", 3, "K T "},
      {"a key that comes while a tick is in hand waits its turn", "+10 peek key get turn turn", 3,
       "T K "},
  };
  for (const auto& c : cases) {
    VirtualClock clock;
    MessageQueue queue(&clock);
    int asks = 0;
    bool keyWaiting = false;
    queue.SetInputPump([&] {
      ++asks;
      if (std::exchange(keyWaiting, false)) queue.Post(kWindow, WM_KEYDOWN, VK_SPACE, 0);
    });
    queue.SetTimer(kWindow, 1, 10);
    std::istringstream steps(c.script);
    std::string taken;
    for (std::string step; steps >> step;) {
      long long ms = 0;
      if (std::sscanf(step.c_str(), "+%lld", &ms) == 1) clock.Advance(ms);
      if (step == "post") queue.Post(kWindow, WM_CLOSE, 0, 0);
      if (step == "key") keyWaiting = true;
      MSG msg{};
      const bool seen = (step == "peek" || step == "turn") && queue.Peek(&msg, false);
      if (step == "get" || (step == "turn" && seen)) {
        EXPECT_EQ(queue.Get(&msg), 1) << c.what;
        taken += msg.message == WM_TIMER ? "T " : msg.message == WM_KEYDOWN ? "K " : "C ";
      }
    }
    EXPECT_EQ(asks, c.asks) << c.what;
    EXPECT_EQ(taken, c.taken) << c.what;
  }
}

// A clock with no way to wait, like the fixed ones of date tests: Get gives
// up instead of spinning.
struct StuckClock final : Clock {
  std::int64_t NowMs() override { return 0; }
  std::int64_t UnixSeconds() override { return 0; }
  std::tm LocalTime() override { return {}; }
};

TEST(MessageQueue, GetOnAClockThatCannotWaitGivesUp) {
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
