// What the screen's tests reach inside it, which the game never asks: frames
// presented one after another at once, without waiting for each one's time.
#pragma once

#include "platform/sdl/sdl_video.h"

namespace platform {

class SdlVideoProbe {
 public:
  static void SetPacing(SdlVideo& video, bool on) { video.pacing_ = on; }
};

}  // namespace platform
