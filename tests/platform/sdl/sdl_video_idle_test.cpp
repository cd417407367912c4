// When the real game's loop may sleep instead of drawing the same frame again,
// and what the message queue tells it about the next message.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/base/clock.h"
#include "platform/sdl/idle_wait.h"
#include "platform/win32/message_queue.h"

namespace {

using platform::IdleWait;

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kWaiting = std::numeric_limits<std::int64_t>::min();

// One poll from the queue after the loop drew a frame (or not), at 1000 ms.
struct Step {
  const char* what;
  bool drewAFrame;
  bool repaintPending;
  bool active;
  std::int64_t dueMs;
  std::int64_t sleepMs;
};

TEST(IdleWait, SleepsOnlyWhenTheNextFrameWouldBeTheSame) {
  const Step steps[] = {
      {"after a frame, until the timer", true, false, true, 1030, 30},
      {"after a frame, no longer than the cap", true, false, true, kNever, IdleWait::kLongestMs},
      {"a message waits", true, false, true, kWaiting, 0},
      {"a tick is due already", true, false, true, 1000, 0},
      {"after a message, draw first", false, false, true, 1030, 0},
      {"the window wants painting", true, true, true, 1030, 0},
      {"in the background, after a message too", false, false, false, 1050, 50},
      {"in the background, a tick due", false, false, false, 990, 0},
      {"a timer far ahead", true, false, true, kNever - 1, IdleWait::kLongestMs},
  };
  for (const Step& step : steps) {
    IdleWait idle;
    std::uint64_t frames = 7;
    idle.SleepMs({frames, false, true, 990, kWaiting});  // the poll before
    if (step.drewAFrame) ++frames;
    EXPECT_EQ(idle.SleepMs({frames, step.repaintPending, step.active, 1000, step.dueMs}),
              step.sleepMs)
        << step.what;
  }
}

TEST(IdleWait, APollRightAfterAnotherSleepsAgain) {
  IdleWait idle;
  EXPECT_EQ(idle.SleepMs({1, false, true, 0, 50}), 50);
  // Woken early (a window event that brought no message): the frame it draws
  // next is the one that tells, so nothing new has been drawn yet.
  EXPECT_EQ(idle.SleepMs({1, false, true, 20, 50}), 0);
  EXPECT_EQ(idle.SleepMs({2, false, true, 21, 50}), 29);
}

// A wait that the page wakes for everything sleeps until the next timer, up
// to its own longest sleep, however far the timer is.
TEST(IdleWait, AWaitWokenForEverythingSleepsUpToItsOwnLongest) {
  constexpr std::int64_t kBrowsersLongest = 1000;
  IdleWait idle;
  idle.SleepMs({7, false, true, 990, kWaiting, kBrowsersLongest});
  EXPECT_EQ(idle.SleepMs({8, false, true, 1000, 1700, kBrowsersLongest}), 700);
  EXPECT_EQ(idle.SleepMs({9, false, true, 1000, kNever - 1, kBrowsersLongest}), kBrowsersLongest);
  const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(idle.SleepMs({10, false, true, lowest + 1, kNever, kBrowsersLongest}),
            kBrowsersLongest);
}

TEST(IdleWait, NoOverflowAtTheEndsOfTheClock) {
  IdleWait idle;
  const std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(idle.SleepMs({1, false, true, lowest + 1, kNever}), IdleWait::kLongestMs);
  EXPECT_EQ(idle.SleepMs({2, false, true, kNever - 5, kNever}), 5);
}

TEST(MessageQueueNextDue, SaysWhenTheNextMessageWillWait) {
  platform::VirtualClock clock(5000);
  platform::MessageQueue queue(&clock);
  const HWND window = reinterpret_cast<HWND>(0x10);
  EXPECT_EQ(queue.NextMessageDueMs(), kNever) << "nothing queued, no timer";
  queue.SetTimer(window, 1, 80);
  queue.SetTimer(window, 2, 30);
  EXPECT_EQ(queue.NextMessageDueMs(), 5030);
  queue.Post(window, WM_KEYDOWN, VK_UP, 1);
  EXPECT_EQ(queue.NextMessageDueMs(), kWaiting);
  MSG msg{};
  ASSERT_TRUE(queue.Peek(&msg, true));
  clock.Advance(40);
  ASSERT_TRUE(queue.Peek(&msg, true));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(queue.NextMessageDueMs(), 5060) << "timer 2 again, one period on";
  queue.KillTimer(window, 2);
  EXPECT_EQ(queue.NextMessageDueMs(), 5080);
  queue.PostQuit(0);
  EXPECT_EQ(queue.NextMessageDueMs(), kWaiting);
}

}  // namespace
