#include "platform/sdl/pointer_hider.h"

namespace platform {

bool PointerHider::Shown(bool fullscreen, std::int64_t nowMs) const {
  return !fullscreen || nowMs - lastMoveMs_ < kRestMs;
}

std::int64_t PointerHider::HidesAtMs(bool fullscreen, std::int64_t nowMs) const {
  return fullscreen && Shown(fullscreen, nowMs) ? lastMoveMs_ + kRestMs : kNever;
}

}  // namespace platform
