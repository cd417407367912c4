// A recorded game played again through the play screen's own rules, with no
// window, no sound and no drawing: the seed, the level and the clearing flags
// the game started from, then its messages in order until the game leaves the
// play screen. What it came to (score, removed count, ending) is what the
// world tables check a submitted game against, what morvex2-sim prints step
// by step and what the tests follow.
//
// The play screen keeps its state in the program's globals (the level, the
// clearing flags, the scene switch, the last result), so only one playback
// may run at a time in a process; a caller with threads serialises them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/replay_file.h"
#include "play/play_scene.h"

// Where a game starts from, as a replay records it.
struct GameStart {
  std::int32_t level = 1;
  std::uint32_t seed = 0;
  std::int32_t fieldSettled = 0;
  std::int32_t resolveBusy = 0;
};

[[nodiscard]] GameStart StartOf(const Replay& replay);

// Hands one recorded message to a play screen as the game's window procedure
// handed it when the game was played: a tick to its timer, a key to its key
// handlers. The playback below and the program's replay player both use it.
void DeliverReplayMessage(PlayScene& scene, const ReplayMessage& message);

// One game on a bare play screen, message by message. While it lives it holds
// the scene switch (a switch ends the game: the switch is also noted in the
// host's call log, as the real switch's call would be); it puts back the
// globals it changed when it goes.
class ReplayPlayback {
 public:
  explicit ReplayPlayback(const GameStart& start);
  ~ReplayPlayback();
  ReplayPlayback(const ReplayPlayback&) = delete;
  ReplayPlayback& operator=(const ReplayPlayback&) = delete;

  // The game's Start, as the title screen's switch would call it.
  void Start();
  // Hands one message to the play screen. Nothing happens once the game has
  // left the play screen; false then.
  bool Deliver(const ReplayMessage& message);

  [[nodiscard]] const PlayScene& Scene() const { return scene_; }
  // True once the game asked for another screen (game over or ESC).
  [[nodiscard]] bool Ended() const;
  // How the game ended; meaningful once Ended().
  [[nodiscard]] ReplayEnding Ending() const;
  [[nodiscard]] std::size_t Delivered() const { return delivered_; }

 private:
  PlayScene scene_;
  std::size_t delivered_ = 0;
  // What the globals held before the playback.
  std::int32_t level_;
  std::int32_t fieldSettled_;
  std::int32_t resolveBusy_;
  std::int32_t lastScore_;
  std::int32_t lastRemovedCount_;
};

// One tick of a played-back game against its timer's rhythm (timer_rhythm.h).
struct TimedTick {
  std::size_t message = 0;  // its index among the replay's messages
  std::uint32_t timeMs = 0;
  bool running = true;  // false: no timer was running when it came
  std::int64_t ms = 0;  // how early, or how late, by what it is kept for
};

// What playing a whole replay back came to.
struct PlaybackResult {
  bool ended = false;  // the game left the play screen before its messages ran out
  ReplayEnding ending = ReplayEnding::kGameOver;
  std::int32_t score = 0;
  std::int32_t removedCount = 0;
  std::size_t delivered = 0;  // messages handed to the play screen
  // The first tick the game's clock could not have given: before its timer's
  // next beat, or with no timer running.
  std::optional<TimedTick> early;
  // The tick that came furthest after a beat of its timer (0 ms when no tick
  // came late at all).
  TimedTick latest;
};

PlaybackResult PlayBackReplay(const Replay& replay);

// True when the playback is the game the replay says it was: it ended as the
// replay says, with every message used, and with the same score and removed
// count.
[[nodiscard]] bool Reproduces(const Replay& replay, const PlaybackResult& result);
