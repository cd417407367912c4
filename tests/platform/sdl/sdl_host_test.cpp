// What the SDL host makes of the keyboard, focus and close requests: the
// messages the game's window procedure sees, and the ones it must not see.
#include "platform/sdl/sdl_host.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/win32.h"
#include "platform/win32/window_testing.h"
#include "tests/platform/sdl/sdl_host_probe.h"
#include "tests/support/test_window.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wParam;
  bool operator==(const Seen&) const = default;
};

SDL_Event Key(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.keysym.sym = key;
  event.key.keysym.mod = mod;
  event.key.repeat = repeat;
  return event;
}

SDL_Event Window(Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = what;
  return event;
}

class SdlHostTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(testsupport::MakeTestWindow(DefWindowProcA), nullptr); }
  void TearDown() override { platform::ResetWindowSystem(); }

  std::vector<Seen> Feed(const std::vector<SDL_Event>& events) {
    for (const SDL_Event& event : events) platform::SdlHostProbe::HandleEvent(host_, event);
    std::vector<Seen> seen;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
      seen.push_back({msg.message, msg.wParam});
    }
    return seen;
  }

  platform::SdlHost host_;
};

TEST_F(SdlHostTest, KeysBecomeVirtualKeyMessagesRepeatsIncluded) {
  const std::vector<Seen> expected = {
      {WM_KEYDOWN, VK_DOWN}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_DOWN}, {WM_KEYDOWN, VK_RETURN},
      {WM_KEYUP, VK_RETURN}, {WM_KEYDOWN, VK_F1},   {WM_KEYDOWN, 'A'},   {WM_KEYDOWN, VK_SPACE}};
  EXPECT_EQ(Feed({Key(SDL_KEYDOWN, SDLK_DOWN), Key(SDL_KEYDOWN, SDLK_DOWN, KMOD_NONE, 1),
                  Key(SDL_KEYUP, SDLK_DOWN), Key(SDL_KEYDOWN, SDLK_KP_ENTER),
                  Key(SDL_KEYUP, SDLK_KP_ENTER), Key(SDL_KEYDOWN, SDLK_F1),
                  Key(SDL_KEYDOWN, SDLK_a), Key(SDL_KEYDOWN, SDLK_SPACE)}),
            expected);
}

TEST_F(SdlHostTest, AltEnterAndItsReleaseNeverReachTheGame) {
  const std::vector<Seen> expected = {{WM_KEYUP, VK_RETURN}};
  EXPECT_EQ(
      Feed({Key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT), Key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT),
            Key(SDL_KEYUP, SDLK_RETURN), Key(SDL_KEYUP, SDLK_LALT), Key(SDL_KEYUP, SDLK_RETURN)}),
      expected)
      << "only a later, plain release of RETURN is the game's";
}

TEST_F(SdlHostTest, AltSSwitchesTheScaleAndNeverReachesTheGame) {
  ASSERT_EQ(host_.CurrentDisplaySettings().scale, platform::ScaleMode::kSmooth);
  const std::vector<Seen> expected = {{WM_KEYDOWN, 'S'}, {WM_KEYUP, 'S'}};
  EXPECT_EQ(Feed({Key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT), Key(SDL_KEYDOWN, SDLK_s, KMOD_LALT),
                  Key(SDL_KEYDOWN, SDLK_s, KMOD_LALT, 1), Key(SDL_KEYUP, SDLK_LALT),
                  Key(SDL_KEYUP, SDLK_s), Key(SDL_KEYDOWN, SDLK_s), Key(SDL_KEYUP, SDLK_s)}),
            expected)
      << "only a later, plain S is the game's";
  EXPECT_EQ(host_.CurrentDisplaySettings().scale, platform::ScaleMode::kPixelExact)
      << "switched once, not again by the held key's repeat";
  Feed({Key(SDL_KEYDOWN, SDLK_s, KMOD_RALT), Key(SDL_KEYUP, SDLK_s, KMOD_RALT)});
  EXPECT_EQ(host_.CurrentDisplaySettings().scale, platform::ScaleMode::kSmooth);
}

// Alt+M, the volume keys and Alt+C change the host's settings; no press and
// no release of them reaches the game, not even one that comes after Alt is
// let go. A held Alt+M mutes once; a held Alt+Down keeps stepping.
TEST_F(SdlHostTest, MuteVolumeAndColourAidKeysNeverReachTheGame) {
  const platform::PlayerAids before = host_.CurrentDisplaySettings().aids;
  ASSERT_EQ(before, platform::PlayerAids{});
  const std::vector<Seen> expected = {{WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_DOWN}};
  EXPECT_EQ(Feed({Key(SDL_KEYDOWN, SDLK_LALT, KMOD_LALT), Key(SDL_KEYDOWN, SDLK_m, KMOD_LALT),
                  Key(SDL_KEYDOWN, SDLK_m, KMOD_LALT, 1), Key(SDL_KEYUP, SDLK_m, KMOD_LALT),
                  Key(SDL_KEYDOWN, SDLK_c, KMOD_LALT), Key(SDL_KEYDOWN, SDLK_DOWN, KMOD_LALT),
                  Key(SDL_KEYDOWN, SDLK_DOWN, KMOD_LALT, 1), Key(SDL_KEYUP, SDLK_LALT),
                  Key(SDL_KEYUP, SDLK_DOWN), Key(SDL_KEYUP, SDLK_c), Key(SDL_KEYDOWN, SDLK_DOWN),
                  Key(SDL_KEYUP, SDLK_DOWN)}),
            expected)
      << "only the later, plain DOWN is the game's";
  EXPECT_EQ(host_.CurrentDisplaySettings().aids, (platform::PlayerAids{false, 80, true}))
      << "muted by Alt+M, unmuted by turning the volume down twice";
  Feed({Key(SDL_KEYDOWN, SDLK_m, KMOD_RALT), Key(SDL_KEYDOWN, SDLK_KP_PLUS, KMOD_RALT),
        Key(SDL_KEYDOWN, SDLK_m, KMOD_RALT), Key(SDL_KEYDOWN, SDLK_c, KMOD_RALT)});
  EXPECT_EQ(host_.CurrentDisplaySettings().aids, (platform::PlayerAids{true, 90, false}));
  host_.UseDisplaySettings({});
  EXPECT_EQ(host_.CurrentDisplaySettings().aids, platform::PlayerAids{}) << "the colour aid too";
}

TEST_F(SdlHostTest, CloseRequestsAndFocusChangesBecomeTheirMessages) {
  const std::vector<Seen> expected = {
      {WM_ACTIVATEAPP, 1}, {WM_ACTIVATEAPP, 0}, {WM_CLOSE, 0}, {WM_CLOSE, 0}};
  EXPECT_EQ(Feed({Window(SDL_WINDOWEVENT_FOCUS_GAINED), Window(SDL_WINDOWEVENT_FOCUS_GAINED),
                  Window(SDL_WINDOWEVENT_FOCUS_LOST), Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT),
                  SDL_Event{SDL_QUIT}}),
            expected);
}

// A page put behind another tab, or a phone locked, hides the window: the game
// is in the background then, as after a focus loss, and only once.
TEST_F(SdlHostTest, AHiddenWindowIsInTheBackground) {
  const std::vector<Seen> expected = {
      {WM_ACTIVATEAPP, 1}, {WM_ACTIVATEAPP, 0}, {WM_ACTIVATEAPP, 1}};
  EXPECT_EQ(Feed({Window(SDL_WINDOWEVENT_FOCUS_GAINED), Window(SDL_WINDOWEVENT_HIDDEN),
                  Window(SDL_WINDOWEVENT_FOCUS_LOST), Window(SDL_WINDOWEVENT_SHOWN),
                  Window(SDL_WINDOWEVENT_FOCUS_GAINED)}),
            expected);
}

// SDL releases every held key just before it reports the focus lost; those
// releases come after the focus loss, where the game drops them, so a fast
// drop with DOWN held goes on. Releases the player made earlier stay his.
TEST_F(SdlHostTest, ReleasesThatComeWithAFocusLossFollowIt) {
  std::vector<SDL_Event> batch = {Window(SDL_WINDOWEVENT_FOCUS_GAINED),
                                  Key(SDL_KEYDOWN, SDLK_DOWN),
                                  Key(SDL_KEYUP, SDLK_LEFT),
                                  Key(SDL_KEYDOWN, SDLK_RIGHT),
                                  Key(SDL_KEYUP, SDLK_DOWN),
                                  Key(SDL_KEYUP, SDLK_RIGHT),
                                  Window(SDL_WINDOWEVENT_FOCUS_LOST),
                                  Window(SDL_WINDOWEVENT_FOCUS_GAINED)};
  platform::SdlHostProbe::HandleBatch(host_, batch);
  const std::vector<Seen> expected = {
      {WM_ACTIVATEAPP, 1}, {WM_KEYDOWN, VK_DOWN}, {WM_KEYUP, VK_LEFT},  {WM_KEYDOWN, VK_RIGHT},
      {WM_ACTIVATEAPP, 0}, {WM_KEYUP, VK_DOWN},   {WM_KEYUP, VK_RIGHT}, {WM_ACTIVATEAPP, 1}};
  EXPECT_EQ(Feed({}), expected);
}

}  // namespace
