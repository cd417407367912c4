// Shows a recorded game again on the play screen, in real time: the recorded
// messages are handed to the play screen at their recorded times, and the play
// screen draws every frame as it did when the game was played. The player's
// own keys: RETURN pauses and resumes, SPACE switches between normal and double
// speed, ESC ends. At the end it checks that the game came out as recorded,
// says so in one line on standard output, and closes 2 s later by itself.
//
// Playback keeps nothing: no score table is offered the result, no replay is
// written, and the game's own end (game over or ESC) changes no screen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/replay_file.h"
#include "core/scene.h"

class ReplayPlayer final : public Scene {
 public:
  explicit ReplayPlayer(Replay replay) : replay_(std::move(replay)) {}

  // Sets up the play screen as the recorded game found it and takes over as
  // the current screen. Called instead of showing the title screen.
  void Begin();
  // Calls `done` where the showing would close the program (after the last
  // frame, or ESC): a replay shown from inside the game goes back there.
  using Done = void (*)();
  void ReturnWhenDone(Done done) { done_ = done; }

  void OnTimer(HWND hwnd) override;
  void OnKeyDown(HWND hwnd, UINT virtualKey) override;
  void OnIdle(HWND hwnd) override;
  void LoadImages(HWND hwnd, IDirectDrawSurface* backgroundSurface) override;

  enum class Outcome { kRunning, kReproduced, kDiffers, kStopped };
  [[nodiscard]] Outcome Result() const { return outcome_; }
  // The program's exit status: 1 when the game did not come out as recorded.
  [[nodiscard]] int ExitStatus() const { return outcome_ == Outcome::kDiffers ? 1 : 0; }

 private:
  static void OnGameLeft(int sceneId);
  void Advance();
  void Finish();
  void Close(HWND hwnd);

  Replay replay_;
  std::size_t next_ = 0;
  std::int64_t lastMs_ = 0;
  std::int64_t playMs_ = 0;  // the replay's own time, since the game's Start
  std::int64_t finishedMs_ = 0;
  bool paused_ = false;
  int speed_ = 1;
  int leftTo_ = 0;  // the screen the game asked for when it ended, 0 while it runs
  Outcome outcome_ = Outcome::kRunning;
  Done done_ = nullptr;
};
