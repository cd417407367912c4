// The game without a screen, a sound card or a player: the same program on a
// virtual clock, fed from a script of key presses, key releases, focus changes
// and waits, with chosen frames saved as PNG and every tune and clap recorded
// instead of played. End-to-end tests and soak runs use it.
//
// Script lines ('#' starts a comment):
//   down KEY      a key press (WM_KEYDOWN); KEY is RETURN, ESC, SPACE, LEFT,
//   repeat KEY    UP, RIGHT, DOWN, F1, a letter or digit, or a decimal code;
//   up KEY        an auto-repeated press; a release (WM_KEYUP)
//   key KEY       a tap: press, 6 ms, release
//   focus 0|1     the game loses or gains the foreground (WM_ACTIVATEAPP)
//   wait MS       lets the game run for MS milliseconds
//   capture FILE  saves the last frame shown as a PNG file
//   close         the window manager's close request (WM_CLOSE)
// When the script has run out the host closes the window, so a run always ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/call_log.h"
#include "platform/clock.h"
#include "platform/offscreen_video.h"
#include "platform/recording_audio.h"
#include "platform/window_backend.h"

namespace platform {

struct HostStep {
  enum class Kind { kKeyDown, kKeyUp, kFocus, kWait, kCapture, kClose };
  Kind kind;
  std::int64_t value;  // the key code, the focus flag or the milliseconds
  std::string path;    // for kCapture
};

// False, with a message naming the line, for a script that cannot be run.
bool ParseHostScript(const std::string& text, std::vector<HostStep>* steps, std::string* error);

class HeadlessHost final : public WindowBackend {
 public:
  // `unixSeconds` is the wall-clock time at the start of the run: it seeds the
  // game's colours and dates its high scores.
  explicit HeadlessHost(std::vector<HostStep> script, std::int64_t unixSeconds = 1796488723);
  ~HeadlessHost() override;
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  // Makes this the clock, window backend, video output, audio backend, input
  // pump and call log. Only one host is installed at a time.
  void Install();
  void Uninstall();

  VirtualClock& Clock() { return clock_; }
  CaptureVideo& Video() { return video_; }
  RecordingAudio& Audio() { return audio_; }
  // Every recorded call of the run, in order: timers, sounds, music, boxes.
  const CallLog& Calls() const { return calls_; }
  // Frames that a capture line could not write.
  int FailedCaptures() const { return failedCaptures_; }

  bool Create(const char*, int, int) override { return true; }
  void Show() override;
  void Destroy() override {}
  int DesktopWidth() override { return 640; }
  int DesktopHeight() override { return 480; }

  // The longest a run may last on the virtual clock before it is closed.
  static constexpr std::int64_t kMaxRunMs = 30LL * 60 * 1000;

 private:
  static void Pump();
  void RunDueSteps();
  void KeepTimeMoving();

  std::vector<HostStep> script_;
  std::size_t next_ = 0;
  std::int64_t resumeAtMs_ = 0;
  bool closed_ = false;
  int failedCaptures_ = 0;
  int lastFrames_ = 0;
  int turnsWithoutFrame_ = 0;
  VirtualClock clock_;
  CaptureVideo video_;
  RecordingAudio audio_;
  CallLog calls_;
};

}  // namespace platform
