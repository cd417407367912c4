// The real screen: one SDL window that covers the desktop without changing its
// mode. Each flipped 640 x 480 frame goes into the window surface
// (window_surface.h: on X11 the game's own image shared with the server,
// elsewhere SDL's window surface; no OpenGL), centred on black: by default filling the
// largest 4:3 area with only the seams between game pixels smoothed, or in the
// pixel-exact mode at the largest whole-number scale that fits
// (frame_scaler.h), so the game's pixels stay crisp on today's screens.
//
// The game redraws every frame, but only the parts that differ from the frame
// on the screen are sent to the window (on X without waiting for the server,
// window_system.h); a frame that is the same sends nothing and returns
// at once. Changed frames go out at most every 1/60 s: one
// that comes sooner waits for its time. The SDL host looks at the frame counts to let the
// game's ever-polling loop sleep between frames.
//
// The SDL host makes one, installs it as both the window backend and the video
// output, and calls ToggleFullscreen on Alt+Enter. The screen is taken away
// (platform::LoseDisplay) on SDL's render resets, and when the game learns
// that it has gone into the background while it had the full screen: not
// before, or a key that came just before the focus went would be handled with
// the screen already gone.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/sdl/frame_changes.h"
#include "platform/sdl/frame_scaler.h"
#include "platform/sdl/sdl_owned.h"
#include "platform/sdl/window_surface.h"
#include "platform/win32/video.h"
#include "platform/win32/window_backend.h"

namespace platform {

class SdlVideo final : public WindowBackend, public VideoOutput {
 public:
  SdlVideo() = default;
  ~SdlVideo() override;
  SdlVideo(const SdlVideo&) = delete;
  SdlVideo& operator=(const SdlVideo&) = delete;

  // The window. Create succeeds even when SDL finds no screen: the game's
  // window then exists only as a handle, and it is the display set-up (Open)
  // that fails, so that the game's own "no display" message is shown. A
  // window that SDL cannot make is a failure.
  [[nodiscard]] bool Create(const char* title, int width, int height) override;
  // Where the window system shows a window only once it has a picture (and
  // gives it the keyboard only then), the window gets a black one at once:
  // the game draws nothing until it has the keyboard.
  void Show() override;
  void Destroy() override;
  int DesktopWidth() override;
  int DesktopHeight() override;

  // The screen.
  [[nodiscard]] bool Open(int width, int height) override;
  void Present(const PixelBuffer& frame) override;
  void PresentDirty(const PixelBuffer& frame, const FrameDirtyRects& writes) override;
  void Close() override;

  // Full screen on the desktop <-> a window (the size it last had, at first
  // twice the game's size).
  void ToggleFullscreen();
  // Set before the window is made: it then starts as a window.
  void StartInWindow(bool windowed);
  void ActivationDelivered(bool active) override;
  [[nodiscard]] bool IsFullscreen() const { return fullscreen_; }

  // How the frame is scaled; a change repaints the window whole.
  void SetScaleMode(ScaleMode mode);
  [[nodiscard]] ScaleMode GetScaleMode() const { return scaleMode_; }
  // The window's size when it is not full screen, from the start: given
  // before Create. 0 x 0 is the default size.
  void UseWindowSize(int width, int height);
  // The size the window has, or last had, when it is not full screen; 0 x 0
  // while it has never been a window.
  void WindowSize(int* width, int* height) const;
  [[nodiscard]] SDL_Window* Window() const { return window_.get(); }

  // Frames presented so far that put something on the screen, and frames that
  // did not (the same as the one shown, or no window surface to show them on).
  [[nodiscard]] std::uint64_t ChangedFrames() const { return changedFrames_; }
  [[nodiscard]] std::uint64_t UnchangedFrames() const { return unchangedFrames_; }
  // The window must be painted again (uncovered, resized, a new surface): the
  // next frame goes to the screen whole, even if it is the same.
  [[nodiscard]] bool RepaintPending() const { return repaint_; }

 private:
  // The screen's tests turn the frames' waiting off, which the real game never
  // does (tests/platform/sdl/sdl_video_probe.h).
  friend class SdlVideoProbe;

  bool StartVideo();
  static int WatchEvent(void* self, SDL_Event* event);
  void OnEvent(const SDL_Event& event);
  SDL_Surface* TargetSurface();
  void ShowBlack();
  bool PutBlack(SDL_Surface* target, const SDL_Rect& area);
  bool DrawAndPut(SDL_Surface* strip, const SDL_Rect& part);
  bool PutOnScreen(const PixelBuffer& frame, const FrameDirtyRects& writes);
  void ShowAll(SDL_Surface* target);
  void ShowChanges(SDL_Surface* target, const std::vector<SDL_Rect>& changed);
  bool UpdateWindow(const SDL_Rect* parts, int count);
  void WaitForFrameTime();
  void EnterFullScreen();
  void LeaveFullScreen();
  void RememberWindowSize();
  void SetFullscreen(Uint32 flags);
  SDL_DisplayMode DesktopMode();

  bool videoStarted_ = false;
  OwnedWindow window_;
  bool open_ = false;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  bool fullscreen_ = true;
  bool startInWindow_ = false;
  bool videoRefused_ = false;  // no screen to be had: not asked again
  int windowWidth_ = 0;        // the window's size when not full screen; 0: never one yet
  int windowHeight_ = 0;
  ScaleMode scaleMode_ = ScaleMode::kSmooth;
  bool fullScreenPending_ = false;  // covering the desktop, not yet full screen
  bool pacing_ = true;              // each frame waits for its time
  // The window's content is not known to be the frame shown (new surface,
  // new size, uncovered): the next present paints all of it.
  bool repaint_ = true;
  SDL_Surface* target_ = nullptr;  // the window's surface, owned by SDL
  int targetWidth_ = 0;
  int targetHeight_ = 0;
  Uint32 targetFormat_ = 0;
  FrameChanges changes_;
  FrameScaler scaler_;
  std::unique_ptr<WindowSurface> windowSurface_;  // while there is a window
  std::vector<SDL_Rect> uploads_;
  std::uint64_t changedFrames_ = 0;
  std::uint64_t unchangedFrames_ = 0;
  std::int64_t nextDeadlineNs_ = 0;
};

// The window of the live SdlVideo, or null: message boxes sit above it.
SDL_Window* MainSdlWindow();

// SDL's video runs on a driver that draws into memory only (offscreen,
// dummy): the tests', with no screen that anyone sees.
[[nodiscard]] bool DrawsOnlyIntoMemory();

// Where a frame of frameWidth x frameHeight goes on an output of the given
// size: the largest whole-number scale that fits, centred. An output smaller
// than the frame gets the frame shrunk to fit, keeping its shape.
SDL_Rect PresentRect(int outputWidth, int outputHeight, int frameWidth, int frameHeight);

}  // namespace platform
