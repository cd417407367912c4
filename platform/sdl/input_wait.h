// Sleeping until there is input for the game, or a time is up. The SDL host
// waits through this alone; which wait a window gets is chosen in
// window_system.h.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/sdl/idle_wait.h"

namespace platform {

class InputWait {
 public:
  InputWait() = default;
  InputWait(const InputWait&) = delete;
  InputWait& operator=(const InputWait&) = delete;
  virtual ~InputWait() = default;

  // Sleeps up to `ms` milliseconds; true when input may be waiting.
  virtual bool Wait(int ms) = 0;
  // Whether input may be waiting, without sleeping; true when it cannot tell
  // for less than a poll of all of SDL's sources.
  virtual bool MayHaveInput() = 0;
  // Whether to watch for game controllers now. Where watching costs nothing
  // until one is plugged in, always.
  virtual bool ControllersWanted() { return true; }
  // The longest the loop sleeps with no timer due. A wait that ends for
  // everything that may need the game can sleep longer than one that looks
  // at some sources only when it wakes.
  [[nodiscard]] virtual std::int64_t LongestSleepMs() const { return IdleWait::kLongestMs; }
};

// SDL's own wait, on any window system.
class SdlInputWait final : public InputWait {
 public:
  bool Wait(int ms) override { return SDL_WaitEventTimeout(nullptr, ms) != 0; }
  bool MayHaveInput() override { return true; }
};

}  // namespace platform
