// Game controllers, through SDL's game controller interface and the mapping
// database built into SDL, turned into the keys the game knows:
//
//   D-pad, left stick    LEFT RIGHT UP DOWN, repeated while held like keys
//   south button         UP (turn)           east button    SPACE (turn)
//   Start                RETURN              Back/Select    ESC
//   north button         F1
//
// They go into the message queue as key presses and releases, so they follow
// the keys' road: in the background they reach no screen, and a release there
// is lost. Controllers plugged in or pulled out while the game runs are taken
// up or let go; what a pulled controller held is released.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/sdl/sdl_owned.h"
#include "platform/win32/win32.h"

namespace platform {

class SdlGamepads {
 public:
  // Held directions repeat after this long, then at this pace (the usual
  // desktop keyboard settings).
  static constexpr std::int64_t kRepeatDelayMs = 500;
  static constexpr std::int64_t kRepeatEveryMs = 33;
  // How far the stick must lean to press a direction, and come back to let it go.
  static constexpr int kStickPress = 16384;
  static constexpr int kStickRelease = 12000;

  SdlGamepads() = default;
  ~SdlGamepads();
  SdlGamepads(const SdlGamepads&) = delete;
  SdlGamepads& operator=(const SdlGamepads&) = delete;

  // Starts SDL's controller support; the controllers present come as events.
  bool Start();
  void Stop();
  [[nodiscard]] int Open() const { return static_cast<int>(pads_.size()); }

  // A controller's event, as key messages; false for any other event.
  bool HandleEvent(const SDL_Event& event, std::int64_t nowMs);
  // Repeats of held directions due by `nowMs`; none while in the background.
  void Repeat(std::int64_t nowMs);
  // When the next repeat is due; the highest int64 with none to come.
  [[nodiscard]] std::int64_t NextRepeatMs() const;
  // In the background nothing repeats; back in front, a held direction waits
  // the full delay again.
  void SetActive(bool active, std::int64_t nowMs);

 private:
  struct Pad {
    SDL_JoystickID id;
    OwnedController controller;
    int stickX;  // -1, 0, +1: the direction the stick holds on that axis
    int stickY;
  };
  // One control of one controller holding a key.
  struct Hold {
    SDL_JoystickID pad;
    int control;
    UINT key;
  };
  struct Repeating {
    UINT key;
    std::int64_t dueMs;
  };

  void Added(int deviceIndex);
  void Removed(SDL_JoystickID id);
  void Stick(SDL_JoystickID id, int axis, int value, std::int64_t nowMs);
  void Press(SDL_JoystickID pad, int control, UINT key, std::int64_t nowMs);
  void Release(SDL_JoystickID pad, int control);
  [[nodiscard]] int HeldCount(UINT key) const;
  Pad* Find(SDL_JoystickID id);

  bool started_ = false;
  bool active_ = true;
  std::vector<Pad> pads_;
  std::vector<Hold> holds_;
  std::vector<Repeating> repeats_;
};

}  // namespace platform
