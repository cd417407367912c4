// What the SDL host's tests reach inside it, which the game never calls: its
// handling of SDL's events without SDL's queue, controllers taken up at once
// (the game takes them up once the first frame is out) and how many are
// open, and the repeats of held directions sent now.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/sdl/sdl_host.h"

namespace platform {

class SdlHostProbe {
 public:
  static void HandleEvent(SdlHost& host, const SDL_Event& event) { host.HandleEvent(event); }
  static void HandleBatch(SdlHost& host, std::vector<SDL_Event>& events) {
    host.HandleBatch(events);
  }
  static void StartGamepads(SdlHost& host) { host.gamepads_.Start(); }
  static const SdlGamepads& Gamepads(const SdlHost& host) { return host.gamepads_; }
  static void RepeatHeldDirections(SdlHost& host) { host.RepeatHeldDirections(); }
};

}  // namespace platform
