// The mouse pointer over the full-screen game: the game is played with the
// keyboard, so the pointer is hidden; a move of the mouse brings it back until
// the mouse has rested for a while. In a window it is always shown.
#pragma once

#include <cstdint>
#include <limits>

namespace platform {

class PointerHider {
 public:
  static constexpr std::int64_t kRestMs = 2000;
  static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

  void Moved(std::int64_t nowMs) { lastMoveMs_ = nowMs; }
  [[nodiscard]] bool Shown(bool fullscreen, std::int64_t nowMs) const;
  // When the pointer shown now hides of itself; kNever when it does not.
  [[nodiscard]] std::int64_t HidesAtMs(bool fullscreen, std::int64_t nowMs) const;

 private:
  std::int64_t lastMoveMs_ = std::numeric_limits<std::int64_t>::min() / 2;
};

}  // namespace platform
