// Work finished on another thread (a network answer, a kept result written
// beside the game) wakes the game's loop from its sleep, so that it is handed
// to the game at once rather than at the loop's next look, which on a quiet
// screen may be half a second away.
//
// The loop's wait watches LoopWakeDescriptor() beside its window's input.
// Where a system has no such descriptor (-1: Windows, the browser, whose
// waits end by other means) WakeLoop does nothing and the wait looks again
// at its usual times.
#pragma once

namespace platform {

// Readable from a WakeLoop until the next TakeLoopWake; -1 where there is none.
[[nodiscard]] int LoopWakeDescriptor();
// From any thread. Wakes that come before the loop takes them count as one.
void WakeLoop();
// On the loop's thread, once its wait has ended.
void TakeLoopWake();

}  // namespace platform
