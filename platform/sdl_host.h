// The real game's host: an SDL window that covers the desktop, SDL2_mixer for
// the tunes and the clap, and the keyboard, focus and close requests turned
// into the messages the game's window procedure expects.
//
// The game's loop never waits for messages; it draws a frame whenever none is
// waiting. The host's input pump, which the queue calls at every look, lets
// the loop sleep instead once a frame has been drawn and no message is
// waiting (or, in the background, where nothing is shown, whenever none is):
// until input arrives, the next timer falls due, or kLongestIdleMs. A key
// wakes it at once and no tick comes late; the messages and their order are
// those of a loop that never sleeps, and the frames on the screen the same.
//
// Opening the sound device and reading the tunes' instruments takes longer
// than drawing the first frame, so the mixer is told to put that work off
// until the first frame is on the screen.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/sdl_mixer_audio.h"
#include "platform/sdl_video.h"
#include "platform/window_backend.h"

namespace platform {

class SdlHost final : public WindowBackend {
 public:
  SdlHost() = default;
  ~SdlHost() override;
  SdlHost(const SdlHost&) = delete;
  SdlHost& operator=(const SdlHost&) = delete;

  // The window's icon, ARGB8888 pixels of width x height; set when the window is made.
  void SetIcon(std::vector<std::uint32_t> argb, int width, int height);

  // Makes this the window backend, the video output, the audio backend and the
  // input pump. Only one host is installed at a time.
  void Install();
  void Uninstall();

  // The window, as the video makes it, with the icon added.
  bool Create(const char* title, int width, int height) override;
  void Show() override;
  void Destroy() override;
  int DesktopWidth() override { return video_.DesktopWidth(); }
  int DesktopHeight() override { return video_.DesktopHeight(); }

  // One SDL event as the game sees it (public for tests).
  void HandleEvent(const SDL_Event& event);

  // The longest the game's loop sleeps while nothing changes on the screen
  // and no input or timer is due.
  static constexpr std::int64_t kLongestIdleMs = 100;
  // Sound starts once the first frame is out, or after this long at the latest.
  static constexpr std::int64_t kLatestSoundStartMs = 1000;

 private:
  static void Pump();
  void DrainEvents();
  bool NextFrameWouldBeTheSame();
  bool WaitForInputOrTimer();
  void StartSoundOnceShown();
  void HandleKey(const SDL_KeyboardEvent& key);
  void SetActive(bool active);
  void ApplyIcon();

  SdlVideo video_;
  SdlMixerAudio audio_;
  std::vector<std::uint32_t> icon_;
  int iconWidth_ = 0;
  int iconHeight_ = 0;
  bool shown_ = false;
  bool active_ = false;
  // The video's count of frames presented at the previous look from the queue.
  std::uint64_t seenFrames_ = 0;
  std::int64_t lastDrainMs_ = -1;  // when SDL's events were last taken in
  bool soundStarted_ = false;
  std::int64_t firstPumpMs_ = -1;
  // The RETURN of an Alt+Enter switches the screen; its release is the host's too.
  bool swallowReturnUp_ = false;
};

}  // namespace platform
