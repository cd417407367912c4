// The priority of the thread that renders the tunes, below everything else
// the machine runs: the game and its sound come first, the rendering takes
// what is left. One implementation for each kind of system, chosen by CMake.
#pragma once

namespace platform {

// Lets the calling thread alone run only when nothing else wants the CPU.
void LowerThisThreadsPriority();

}  // namespace platform
