// The real game's host: an SDL window that covers the desktop, SDL2_mixer for
// the tunes and the clap, and the keyboard, game controllers, focus and close
// requests turned into the messages the game's window procedure expects. The
// host's own keys (Alt and a key) never reach the game; the pointer hides over
// the full screen while the mouse rests.
//
// The game's loop never waits for messages; it draws a frame whenever none is
// waiting. The host's input pump, which the queue calls at every poll, lets it
// sleep instead while nothing new can be drawn (idle_wait.h): until input
// arrives or the next timer falls due. A key wakes it at once and no tick comes
// late; the messages, their order and the frames shown stay those of a loop
// that never sleeps.
//
// Opening the sound device and reading the tunes' instruments takes longer
// than drawing the first frame, so the mixer is told to put that work off
// until the first frame is on the screen; so is SDL's controller support
// (which a browser's page starts only when the player asks for it).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl/idle_wait.h"
#include "platform/sdl/input_wait.h"
#include "platform/sdl/pointer_hider.h"
#include "platform/sdl/sdl_gamepad.h"
#include "platform/sdl/sdl_mixer_audio.h"
#include "platform/sdl/sdl_video.h"
#include "platform/sdl/window_system.h"
#include "platform/settings/display_settings.h"
#include "platform/settings/player_aid_settings.h"
#include "platform/win32/window_backend.h"

namespace platform {

class SdlHost final : public WindowBackend {
 public:
  SdlHost() = default;
  ~SdlHost() override;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  // The window's icon, ARGB8888 pixels of width x height; set when the window is made.
  void SetIcon(std::vector<std::uint32_t> argb, int width, int height);

  // Where the renderings of the tunes made with the game are.
  void UseShippedRenderings(std::string folder) { audio_.UseShippedRenderings(std::move(folder)); }

  // Installs this as the host (host.h): the window backend, the video output,
  // the audio backend and the input pump, on the machine's clock. Only one host
  // is installed at a time.
  void Install();
  void Uninstall();

  // The window, as the video makes it, with the icon added.
  [[nodiscard]] bool Create(const char* title, int width, int height) override;
  void Show() override;
  void Destroy() override;
  int DesktopWidth() override { return video_.DesktopWidth(); }
  int DesktopHeight() override { return video_.DesktopHeight(); }
  void ActivationDelivered(bool active) override { video_.ActivationDelivered(active); }
  // SDL's own box where SDL has a real screen; not under the offscreen and
  // dummy drivers.
  [[nodiscard]] bool ShowMessageBox(const char* title, const char* message) override;
  // The system's warning box where the system has one for it (error_box.h).
  [[nodiscard]] bool ShowNotice(const char* title, const char* message) override;
  // The game shows a message box only on its way out after a failure (no
  // display, a picture that cannot be loaded), and a window SDL cannot make
  // ends it too: the run then failed, whatever WinMain returns.
  [[nodiscard]] bool FailureShown() const { return failureShown_; }

  // How the screen starts (before Create), and how it is at the end.
  void UseDisplaySettings(const DisplaySettings& settings);
  [[nodiscard]] DisplaySettings CurrentDisplaySettings() const;

  // Sound starts once the first frame is out, or after this long at the latest.
  static constexpr std::int64_t kLatestSoundStartMs = 1000;
  // While a controller is plugged in, the longest sleep between two polls of input.
  static constexpr std::int64_t kControllerPollMs = 10;
  // The longest between two polls of what SDL watches by itself, not through
  // the window system (a controller plugged in): a poll costs a dozen system
  // calls, and half a second is soon enough for those.
  static constexpr std::int64_t kQuietPollMs = 500;

 private:
  // The host's tests hand it events and time without SDL's queue
  // (tests/platform/sdl/sdl_host_probe.h).
  friend class SdlHostProbe;

  // One SDL event as the game sees it, and the events of one poll of SDL's
  // queue.
  void HandleEvent(const SDL_Event& event);
  void HandleBatch(std::vector<SDL_Event>& events);
  // Sends the repeats of held controller directions due by now; the input
  // pump does it at every poll.
  void RepeatHeldDirections();
  static void Pump();
  void DrainEvents();
  void DrainEventsAt(std::int64_t now);
  void StartSoundOnceShown();
  void StartGamepadsIfWanted();
  void HandleKey(const SDL_KeyboardEvent& key);
  void HandleSystemKey(const SDL_KeyboardEvent& key);
  bool SwallowsRelease(SDL_Keycode code);
  void SetActive(bool active);
  void ApplyIcon();
  void ShowPointerAsDue(std::int64_t now);

  SdlVideo video_;
  SdlMixerAudio audio_;
  SdlGamepads gamepads_;
  std::unique_ptr<InputWait> input_ = MakeInputWait(nullptr);
  std::vector<SDL_Event> batch_;
  std::vector<std::uint32_t> icon_;
  int iconWidth_ = 0;
  int iconHeight_ = 0;
  bool shown_ = false;
  bool hidden_ = false;  // by the window system, since the window was shown
  bool failureShown_ = false;
  bool active_ = false;
  IdleWait idle_;
  std::int64_t lastDrainMs_ = -1;  // when SDL's events were last taken in
  bool soundStarted_ = false;
  bool gamepadsTried_ = false;
  std::int64_t firstPumpMs_ = -1;
  // Keys pressed with Alt and not yet released: their releases are the host's too.
  std::vector<SDL_Keycode> systemKeysDown_;
  PlayerAids aids_;  // the colour aid's switch is colour_aid.h's
  PointerHider pointer_;
  bool pointerShown_ = true;
};

}  // namespace platform
