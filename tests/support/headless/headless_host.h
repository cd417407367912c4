// The game without a screen, a sound card or a player: the same program on a
// virtual clock, fed from a script of key presses, key releases, focus changes
// and waits, with chosen frames saved as PNG and every tune and clap recorded
// instead of played. End-to-end tests and soak runs use it.
//
// The script's lines are described in host_script.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/base/call_log.h"
#include "platform/base/clock.h"
#include "platform/win32/window_backend.h"
#include "tests/support/headless/host_script.h"
#include "tests/support/headless/offscreen_video.h"
#include "tests/support/headless/recording_audio.h"

namespace platform {

class HeadlessHost final : public WindowBackend {
 public:
  // `unixSeconds` is the wall-clock time at the start of the run: it seeds the
  // game's colours and dates its high scores.
  explicit HeadlessHost(std::vector<HostStep> script, std::int64_t unixSeconds = 1796488723);
  ~HeadlessHost() override;
  HeadlessHost(const HeadlessHost&) = delete;
  HeadlessHost& operator=(const HeadlessHost&) = delete;

  // Installs this as the host (host.h): the clock, window backend, video
  // output, audio backend, input pump and call log. Only one host is installed
  // at a time.
  void Install();
  void Uninstall();

  RecordingAudio& Audio() { return audio_; }
  // Every recorded call of the run, in order: timers, sounds, music, boxes.
  [[nodiscard]] const CallLog& Calls() const { return calls_; }
  // Frames that a capture line could not write.
  [[nodiscard]] int FailedCaptures() const { return failedCaptures_; }

  // Called at every poll of the message queue, so after every message and
  // every frame, before the script's next steps run. Soak runs check the game
  // there and feed it more steps as it goes.
  using Watcher = std::function<void(HeadlessHost&)>;
  void SetWatcher(Watcher watcher) { watcher_ = std::move(watcher); }
  // Once a frame is out and nothing is due, the clock jumps to the next tick
  // or step instead of moving 1/60 s a frame, as the SDL host sleeps: the
  // same messages in the same order, far fewer frames. Long soak runs use it;
  // the frame-by-frame default is what captures are made with.
  void SetResting(bool resting) { resting_ = resting; }
  // Steps added after the script's end; the run ends only once none are left.
  void AppendSteps(const std::vector<HostStep>& steps);
  // Every step has run and the last wait is over.
  bool ScriptDone();

  [[nodiscard]] bool Create(const char*, int, int) override { return true; }
  void Show() override;
  void Destroy() override {}
  int DesktopWidth() override { return 640; }
  int DesktopHeight() override { return 480; }

  // The longest a run may last on the virtual clock before it is closed.
  static constexpr std::int64_t kMaxRunMs = 30LL * 60 * 1000;

 private:
  static void Pump();
  void Poll();
  void RunDueSteps();
  void KeepTimeMoving();
  void RestUntilSomethingIsDue();

  std::vector<HostStep> script_;
  Watcher watcher_;
  bool resting_ = false;
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
