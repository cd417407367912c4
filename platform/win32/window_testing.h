// What a run of the game in a process that has run it before needs of the
// window system and the game never does: to start from nothing again.
#pragma once

namespace platform {

// Empties the queue and forgets the timers, the window class and the window,
// as if the program had just started. The host stays installed.
void ResetWindowSystem();

}  // namespace platform
