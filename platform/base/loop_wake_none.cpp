// Where the game's wait needs no wake from other threads: on Windows it is
// SDL's own wait, which looks again at its usual times, and the page has one
// thread, whose network answers end the wait themselves.
#include "platform/base/loop_wake.h"

namespace platform {

int LoopWakeDescriptor() {
  return -1;
}

void WakeLoop() {}

void TakeLoopWake() {}

}  // namespace platform
