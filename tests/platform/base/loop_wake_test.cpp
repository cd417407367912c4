// Work finished on another thread wakes the game's loop: the wake is seen by
// a wait on the descriptor, any number of wakes before the loop takes them
// neither block their thread nor are lost, and once taken the loop sleeps
// again.
#include "platform/base/loop_wake.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

namespace {

bool Woken(int waitMs) {
  pollfd wake{platform::LoopWakeDescriptor(), POLLIN, 0};
  return ::poll(&wake, 1, waitMs) == 1 && (wake.revents & POLLIN) != 0;
}

TEST(LoopWake, AWakeFromAnotherThreadEndsTheWaitUntilTheLoopTakesIt) {
  ASSERT_GE(platform::LoopWakeDescriptor(), 0);
  platform::TakeLoopWake();
  EXPECT_FALSE(Woken(0));

  std::thread([] { platform::WakeLoop(); }).join();
  EXPECT_TRUE(Woken(0));
  EXPECT_TRUE(Woken(0)) << "looking does not take the wake";
  platform::TakeLoopWake();
  EXPECT_FALSE(Woken(0));
}

TEST(LoopWake, WakesByTheHundredThousandNeitherBlockNorOutlastOneTake) {
  // Far more than a pipe holds: a thread that finishes work while the loop is
  // busy elsewhere must never stop on its wake.
  std::thread([] {
    for (int i = 0; i < 100'000; ++i) platform::WakeLoop();
  }).join();
  EXPECT_TRUE(Woken(0));
  platform::TakeLoopWake();
  EXPECT_FALSE(Woken(0));
}

}  // namespace
