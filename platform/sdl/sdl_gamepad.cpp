#include "platform/sdl/sdl_gamepad.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/base/log.h"
#include "platform/sdl/sdl_error.h"
#include "platform/win32/window_backend.h"

namespace platform {

namespace {

// The stick's two directions are controls of their own, after the buttons.
constexpr int kStickLeftRight = SDL_CONTROLLER_BUTTON_MAX;
constexpr int kStickUpDown = SDL_CONTROLLER_BUTTON_MAX + 1;

UINT KeyOfButton(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return VK_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return VK_RIGHT;
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
    case SDL_CONTROLLER_BUTTON_A:
      return VK_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return VK_DOWN;
    case SDL_CONTROLLER_BUTTON_B:
      return VK_SPACE;
    case SDL_CONTROLLER_BUTTON_START:
      return VK_RETURN;
    case SDL_CONTROLLER_BUTTON_BACK:
      return VK_ESCAPE;
    case SDL_CONTROLLER_BUTTON_Y:
      return VK_F1;
    default:
      return 0;
  }
}

bool IsDirectionControl(int control) {
  return control == SDL_CONTROLLER_BUTTON_DPAD_LEFT ||
         control == SDL_CONTROLLER_BUTTON_DPAD_RIGHT || control == SDL_CONTROLLER_BUTTON_DPAD_UP ||
         control == SDL_CONTROLLER_BUTTON_DPAD_DOWN || control == kStickLeftRight ||
         control == kStickUpDown;
}

// The stick's new direction on one axis, with some play between pressing and
// letting go so that a stick resting near the edge does not flutter.
int StickDirection(int held, int value) {
  if (value <= -SdlGamepads::kStickPress) return -1;
  if (value >= SdlGamepads::kStickPress) return 1;
  if (held < 0 && value <= -SdlGamepads::kStickRelease) return -1;
  if (held > 0 && value >= SdlGamepads::kStickRelease) return 1;
  return 0;
}

}  // namespace

SdlGamepads::~SdlGamepads() {
  Stop();
}

bool SdlGamepads::Start() {
  if (started_) return true;
  // Controller input goes to the game in the background too, as keys do: it
  // is the game's own routing that keeps it from the screens there.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  started_ = SdlDone(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER),
                     "SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER)", Repeats::kLogOnce);
  return started_;
}

void SdlGamepads::Stop() {
  if (!started_) return;
  pads_.clear();
  holds_.clear();
  repeats_.clear();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started_ = false;
}

SdlGamepads::Pad* SdlGamepads::Find(SDL_JoystickID id) {
  for (Pad& pad : pads_) {
    if (pad.id == id) return &pad;
  }
  return nullptr;
}

bool SdlGamepads::HandleEvent(const SDL_Event& event, std::int64_t nowMs) {
  if (!started_) return false;
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Added(event.cdevice.which);
      return true;
    case SDL_CONTROLLERDEVICEREMOVED:
      Removed(event.cdevice.which);
      return true;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const UINT key = KeyOfButton(event.cbutton.button);
      if (key == 0 || Find(event.cbutton.which) == nullptr) return true;
      if (event.type == SDL_CONTROLLERBUTTONDOWN) {
        Press(event.cbutton.which, event.cbutton.button, key, nowMs);
      } else {
        Release(event.cbutton.which, event.cbutton.button);
      }
      return true;
    }
    case SDL_CONTROLLERAXISMOTION:
      Stick(event.caxis.which, event.caxis.axis, event.caxis.value, nowMs);
      return true;
    default:
      return false;
  }
}

void SdlGamepads::Added(int deviceIndex) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || Find(id) != nullptr) return;  // the controllers present at start come twice
  OwnedController controller(
      SdlMade(SDL_GameControllerOpen(deviceIndex), "SDL_GameControllerOpen"));
  if (controller == nullptr) return;
  pads_.push_back(Pad{id, std::move(controller), 0, 0});
}

void SdlGamepads::Removed(SDL_JoystickID id) {
  Pad* pad = Find(id);
  if (pad == nullptr) return;
  // What it held is let go, as if its buttons had been released.
  std::vector<int> held;
  for (const Hold& hold : holds_) {
    if (hold.pad == id) held.push_back(hold.control);
  }
  for (int control : held) Release(id, control);
  pads_.erase(pads_.begin() + (pad - pads_.data()));
}

void SdlGamepads::Stick(SDL_JoystickID id, int axis, int value, std::int64_t nowMs) {
  Pad* pad = Find(id);
  if (pad == nullptr) return;
  int* held = nullptr;
  int control = 0;
  UINT less = 0;
  UINT more = 0;
  if (axis == SDL_CONTROLLER_AXIS_LEFTX) {
    held = &pad->stickX;
    control = kStickLeftRight;
    less = VK_LEFT;
    more = VK_RIGHT;
  } else if (axis == SDL_CONTROLLER_AXIS_LEFTY) {
    held = &pad->stickY;
    control = kStickUpDown;
    less = VK_UP;
    more = VK_DOWN;
  } else {
    return;
  }
  const int direction = StickDirection(*held, value);
  if (direction == *held) return;
  if (*held != 0) Release(id, control);
  *held = direction;
  if (direction != 0) Press(id, control, direction < 0 ? less : more, nowMs);
}

int SdlGamepads::HeldCount(UINT key) const {
  return static_cast<int>(
      std::count_if(holds_.begin(), holds_.end(), [key](const Hold& h) { return h.key == key; }));
}

// A key goes down when the first control holds it and up when the last lets
// go, so that the D-pad and the stick together are still one key.
void SdlGamepads::Press(SDL_JoystickID pad, int control, UINT key, std::int64_t nowMs) {
  for (const Hold& hold : holds_) {
    if (hold.pad == pad && hold.control == control) return;
  }
  holds_.push_back(Hold{pad, control, key});
  if (HeldCount(key) > 1) return;
  PostInputMessage(WM_KEYDOWN, key, 1);
  if (IsDirectionControl(control)) repeats_.push_back(Repeating{key, nowMs + kRepeatDelayMs});
}

void SdlGamepads::Release(SDL_JoystickID pad, int control) {
  const auto hold = std::find_if(holds_.begin(), holds_.end(), [&](const Hold& h) {
    return h.pad == pad && h.control == control;
  });
  if (hold == holds_.end()) return;
  const UINT key = hold->key;
  holds_.erase(hold);
  if (HeldCount(key) > 0) return;
  std::erase_if(repeats_, [key](const Repeating& r) { return r.key == key; });
  PostInputMessage(WM_KEYUP, key, 1);
}

void SdlGamepads::Repeat(std::int64_t nowMs) {
  if (!active_) return;
  for (Repeating& repeat : repeats_) {
    if (repeat.dueMs > nowMs) continue;
    PostInputMessage(WM_KEYDOWN, repeat.key, 0x40000001);
    // A late poll sends one repeat, not all the missed ones, as a keyboard does.
    while (repeat.dueMs <= nowMs) repeat.dueMs += kRepeatEveryMs;
  }
}

std::int64_t SdlGamepads::NextRepeatMs() const {
  std::int64_t next = std::numeric_limits<std::int64_t>::max();
  if (!active_) return next;
  for (const Repeating& repeat : repeats_) next = std::min(next, repeat.dueMs);
  return next;
}

void SdlGamepads::SetActive(bool active, std::int64_t nowMs) {
  if (active && !active_) {
    for (Repeating& repeat : repeats_) repeat.dueMs = nowMs + kRepeatDelayMs;
  }
  active_ = active;
}

}  // namespace platform
