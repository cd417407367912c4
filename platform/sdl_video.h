// The real screen: one SDL window that covers the desktop without changing its
// mode, and a renderer that shows each flipped 640 x 480 frame at the largest
// whole-number scale that fits, centred on black, without smoothing, so the
// game's pixels stay crisp on today's screens. Flips wait for the display's
// refresh where the renderer can, otherwise until the next 1/60 s, so that the
// game's ever-polling main loop does not spin a core.
//
// The SDL host makes one, installs it as both the window backend and the video
// output, and calls ToggleFullscreen on Alt+Enter. The screen is taken away
// (platform::LoseDisplay) when SDL resets the renderer's device or targets, and
// when the full-screen window is minimised or loses the focus.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/video.h"
#include "platform/window_backend.h"

namespace platform {

class SdlVideo final : public WindowBackend, public VideoOutput {
 public:
  SdlVideo() = default;
  ~SdlVideo() override;
  SdlVideo(const SdlVideo&) = delete;
  SdlVideo& operator=(const SdlVideo&) = delete;

  // The window. Create succeeds even when SDL finds no screen: the game's
  // window then exists only as a handle, and it is the display set-up (Open)
  // that fails, so that the game's own "no display" message is shown.
  bool Create(const char* title, int width, int height) override;
  void Show() override;
  void Destroy() override;
  int DesktopWidth() override;
  int DesktopHeight() override;

  // The screen.
  bool Open(int width, int height) override;
  void Present(const SDL_Surface& frame) override;
  void Close() override;

  // Full screen on the desktop <-> a window of twice the game's size.
  void ToggleFullscreen();
  bool IsFullscreen() const { return fullscreen_; }
  SDL_Window* Window() const { return window_; }
  // Tests turn the waiting off; the real game never does.
  void SetPacing(bool on) { pacing_ = on; }

 private:
  bool StartVideo();
  static int WatchEvent(void* self, SDL_Event* event);
  void OnEvent(const SDL_Event& event);
  bool MakeTexture();
  void WaitForNextFrame();

  bool videoStarted_ = false;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool fullscreen_ = true;
  bool vsync_ = false;
  bool textureLost_ = false;
  bool pacing_ = true;
  std::int64_t refreshNs_ = 0;  // the display's refresh period
  int runFrames_ = 0;
  std::int64_t runStartNs_ = 0;
  std::int64_t nextDeadlineNs_ = 0;
};

// The window of the live SdlVideo, or null: message boxes sit above it.
SDL_Window* MainSdlWindow();

// Where a frame of frameWidth x frameHeight goes on an output of the given
// size: the largest whole-number scale that fits, centred. An output smaller
// than the frame gets the frame shrunk to fit, keeping its shape.
SDL_Rect PresentRect(int outputWidth, int outputHeight, int frameWidth, int frameHeight);

}  // namespace platform
