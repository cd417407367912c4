// Game controllers on SDL's real path, through its virtual joystick: what the
// game's window procedure and the current screen get from the D-pad, the
// stick and the buttons, held and repeated, plugged in and pulled out, in the
// foreground and in the background.
#include "platform/sdl/sdl_gamepad.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/win_main.h"
#include "core/globals.h"
#include "core/scene.h"
#include "core/scene_switch.h"
#include "platform/base/clock.h"
#include "platform/sdl/sdl_host.h"
#include "platform/win32/host.h"
#include "tests/platform/sdl/sdl_host_probe.h"
#include "tests/support/program_state.h"
#include "tests/support/test_window.h"

namespace {

// What the current screen was called with: "down DOWN", "repeat DOWN", "up".
class RecordingScene final : public Scene {
 public:
  void OnKeyDown(HWND, UINT key) override { seen.push_back(Name(key)); }
  void OnKeyUp() override { seen.push_back("up"); }
  std::vector<std::string> seen;

 private:
  static std::string Name(UINT key) {
    static const std::map<UINT, std::string> kNames = {
        {VK_LEFT, "LEFT"},   {VK_RIGHT, "RIGHT"},   {VK_UP, "UP"},      {VK_DOWN, "DOWN"},
        {VK_SPACE, "SPACE"}, {VK_RETURN, "RETURN"}, {VK_ESCAPE, "ESC"}, {VK_F1, "F1"}};
    const auto named = kNames.find(key);
    return named != kNames.end() ? named->second : std::to_string(key);
  }
};

using SeenKeys = std::vector<std::string>;

// A controller as SDL's virtual joystick, with a mapping for its GUID so that
// it is a game controller with the standard layout.
class VirtualPad {
 public:
  VirtualPad() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Morvex2 test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return;
    char guid[64];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    const std::string mapping =
        std::string(guid) +
        ",Morvex2 test pad,a:b0,b:b1,x:b2,y:b3,back:b4,guide:b5,start:b6,leftstick:b7,"
        "rightstick:b8,leftshoulder:b9,rightshoulder:b10,dpup:b11,dpdown:b12,dpleft:b13,"
        "dpright:b14,leftx:a0,lefty:a1,rightx:a2,righty:a3,lefttrigger:a4,righttrigger:a5,";
    SDL_GameControllerAddMapping(mapping.c_str());
    joystick_ = SDL_JoystickOpen(index);
  }
  ~VirtualPad() { Unplug(); }
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;

  bool Ready() const { return joystick_ != nullptr; }
  void Button(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
  }
  void LeftStick(SDL_GameControllerAxis axis, int value) {
    SDL_JoystickSetVirtualAxis(joystick_, axis, static_cast<Sint16>(value));
  }
  void Unplug() {
    if (joystick_ == nullptr) return;
    const int index = DeviceIndex();
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    if (index >= 0) SDL_JoystickDetachVirtual(index);
  }

 private:
  int DeviceIndex() const {
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      if (SDL_JoystickGetDeviceInstanceID(i) == id) return i;
    }
    return -1;
  }
  SDL_Joystick* joystick_ = nullptr;
};

class SdlGamepadTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::InstallHost({.clock = &clock_});
    ASSERT_NE(testsupport::MakeTestWindow(WndProc), nullptr);  // the game's own routing
    g_currentScene = &scene_;
    platform::SdlHostProbe::StartGamepads(host_);
    platform::SdlHostProbe::HandleEvent(host_, Focus(SDL_WINDOWEVENT_FOCUS_GAINED));
    Take();
  }
  void TearDown() override {
    ResetProgramState();
    platform::UninstallHost();
  }

  static SDL_Event Focus(Uint8 what) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    return event;
  }

  // SDL's events go to the host, the host's messages through the game's
  // window procedure; what the screen saw since the last look.
  SeenKeys Take() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) platform::SdlHostProbe::HandleEvent(host_, event);
    platform::SdlHostProbe::RepeatHeldDirections(host_);
    testsupport::DispatchWaiting();
    SeenKeys seen = std::move(scene_.seen);
    scene_.seen.clear();
    return seen;
  }
  SeenKeys At(std::int64_t ms) {
    clock_.Advance(ms - clock_.NowMs());
    return Take();
  }

  platform::VirtualClock clock_{0};
  RecordingScene scene_;
  platform::SdlHost host_;
};

TEST_F(SdlGamepadTest, AHeldDirectionPressesOnceThenRepeatsLikeAHeldKey) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  Take();
  ASSERT_EQ(platform::SdlHostProbe::Gamepads(host_).Open(), 1);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(Take(), (SeenKeys{"DOWN"}));
  EXPECT_EQ(At(platform::SdlGamepads::kRepeatDelayMs - 1), SeenKeys{}) << "a short press is one";
  EXPECT_EQ(At(platform::SdlGamepads::kRepeatDelayMs), (SeenKeys{"DOWN"}));
  EXPECT_EQ(At(platform::SdlGamepads::kRepeatDelayMs + 10), SeenKeys{});
  EXPECT_EQ(At(platform::SdlGamepads::kRepeatDelayMs + platform::SdlGamepads::kRepeatEveryMs),
            (SeenKeys{"DOWN"}));
  EXPECT_EQ(At(2000), (SeenKeys{"DOWN"})) << "a late poll sends one repeat, not all it missed";
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
  EXPECT_EQ(Take(), (SeenKeys{"up"}));
  EXPECT_EQ(At(5000), SeenKeys{}) << "nothing repeats once let go";
}

TEST_F(SdlGamepadTest, ButtonsAreTheGamesKeysAndDoNotRepeat) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  Take();
  struct Case {
    SDL_GameControllerButton button;
    SeenKeys pressed;
  } const cases[] = {
      {SDL_CONTROLLER_BUTTON_A, {"UP"}},           {SDL_CONTROLLER_BUTTON_B, {"SPACE"}},
      {SDL_CONTROLLER_BUTTON_START, {"RETURN"}},   {SDL_CONTROLLER_BUTTON_BACK, {"ESC"}},
      {SDL_CONTROLLER_BUTTON_Y, {"F1"}},           {SDL_CONTROLLER_BUTTON_X, {}},
      {SDL_CONTROLLER_BUTTON_DPAD_LEFT, {"LEFT"}}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, {"RIGHT"}},
  };
  std::int64_t now = 0;
  for (const Case& c : cases) {
    pad.Button(c.button, true);
    EXPECT_EQ(Take(), c.pressed) << SDL_GameControllerGetStringForButton(c.button);
    now += 100;
    clock_.Advance(now - clock_.NowMs());
    pad.Button(c.button, false);
    EXPECT_EQ(Take(), c.pressed.empty() ? SeenKeys{} : SeenKeys{"up"})
        << SDL_GameControllerGetStringForButton(c.button);
  }
  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  Take();
  EXPECT_EQ(At(now + 3000), SeenKeys{}) << "a held button is pressed once";
}

// The stick presses a direction when leant well over and lets it go when
// nearly upright; the D-pad and the stick on the same direction are one key.
TEST_F(SdlGamepadTest, TheStickIsTheFourDirections) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  Take();
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTX, -20000);
  EXPECT_EQ(Take(), (SeenKeys{"LEFT"}));
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTX, -13000);
  EXPECT_EQ(Take(), SeenKeys{}) << "still leant over";
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTX, -5000);
  EXPECT_EQ(Take(), (SeenKeys{"up"}));
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTX, 30000);
  EXPECT_EQ(Take(), (SeenKeys{"RIGHT"}));
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTX, -30000);
  EXPECT_EQ(Take(), (SeenKeys{"up", "LEFT"}));
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTX, 0);
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTY, 32767);
  EXPECT_EQ(Take(), (SeenKeys{"up", "DOWN"}));
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(Take(), SeenKeys{}) << "already held by the stick";
  pad.LeftStick(SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(Take(), SeenKeys{}) << "still held by the D-pad";
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
  EXPECT_EQ(Take(), (SeenKeys{"up"}));
}

TEST_F(SdlGamepadTest, ControllersPluggedInAndPulledOutMidGame) {
  EXPECT_EQ(platform::SdlHostProbe::Gamepads(host_).Open(), 0);
  VirtualPad first;
  ASSERT_TRUE(first.Ready()) << SDL_GetError();
  Take();
  EXPECT_EQ(platform::SdlHostProbe::Gamepads(host_).Open(), 1) << "taken up without a restart";
  first.Button(SDL_CONTROLLER_BUTTON_START, true);
  EXPECT_EQ(Take(), (SeenKeys{"RETURN"}));
  first.Button(SDL_CONTROLLER_BUTTON_START, false);
  Take();

  VirtualPad second;
  ASSERT_TRUE(second.Ready()) << SDL_GetError();
  Take();
  EXPECT_EQ(platform::SdlHostProbe::Gamepads(host_).Open(), 2);
  first.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(Take(), (SeenKeys{"DOWN"}));
  first.Unplug();
  EXPECT_EQ(Take(), (SeenKeys{"up"})) << "what a pulled controller held is let go";
  EXPECT_EQ(platform::SdlHostProbe::Gamepads(host_).Open(), 1);
  EXPECT_EQ(At(3000), SeenKeys{}) << "and no longer repeats";

  second.Button(SDL_CONTROLLER_BUTTON_BACK, true);
  EXPECT_EQ(Take(), (SeenKeys{"ESC"}));
  second.Button(SDL_CONTROLLER_BUTTON_BACK, false);
  Take();
  second.Unplug();
  Take();
  EXPECT_EQ(platform::SdlHostProbe::Gamepads(host_).Open(), 0);
}

// In the background controller input reaches no screen, as keys do: a
// direction held when the game loses the foreground neither repeats nor has
// its release seen; back in front, buttons work again.
TEST_F(SdlGamepadTest, InTheBackgroundNothingReachesAScreen) {
  VirtualPad pad;
  ASSERT_TRUE(pad.Ready()) << SDL_GetError();
  Take();
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
  EXPECT_EQ(Take(), (SeenKeys{"DOWN"}));
  platform::SdlHostProbe::HandleEvent(host_, Focus(SDL_WINDOWEVENT_FOCUS_LOST));
  EXPECT_EQ(At(3000), SeenKeys{});
  pad.Button(SDL_CONTROLLER_BUTTON_START, true);
  pad.Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
  EXPECT_EQ(Take(), SeenKeys{}) << "a press and a release in the background are lost";
  pad.Button(SDL_CONTROLLER_BUTTON_START, false);
  Take();
  platform::SdlHostProbe::HandleEvent(host_, Focus(SDL_WINDOWEVENT_FOCUS_GAINED));
  EXPECT_EQ(Take(), SeenKeys{});
  pad.Button(SDL_CONTROLLER_BUTTON_BACK, true);
  EXPECT_EQ(Take(), (SeenKeys{"ESC"}));
}

}  // namespace
