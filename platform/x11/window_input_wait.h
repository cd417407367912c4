// Sleeping until the window system has input for the game, or a time is up.
//
// SDL's own wait looks at every source of input it knows, several times over,
// before it sleeps: about thirty system calls, each dear on a virtual machine,
// twelve times a second on the title screen. Where the window is on an X
// server all of the game's input comes over one connection, so the wait is
// one poll() on it, and on the wake of the network's answers
// (platform/base/loop_wake.h). Elsewhere SDL's own wait is used.
#pragma once

#include <SDL.h>

namespace platform {

class WindowInputWait {
 public:
  // The window whose connection is watched; null (or a window not on an X
  // server) leaves SDL's own wait.
  void Watch(SDL_Window* window);
  // Sleeps up to `ms` milliseconds; true when input may be waiting.
  bool Wait(int ms);
  // Whether input may be waiting, without sleeping: a poll of the
  // connection costs one system call, SDL's look at all its sources a dozen.
  bool MayHaveInput();

 private:
  void* display_ = nullptr;  // the X connection, when there is one
};

}  // namespace platform
