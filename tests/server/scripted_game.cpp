#include "tests/server/scripted_game.h"

#include <algorithm>
#include <optional>

#include "platform/win32/win32.h"
#include "verify/replay_playback.h"
#include "verify/timer_rhythm.h"

namespace testworld {

namespace {

// Ticks a dropped piece is given to land, at the fast-drop period, before the next one.
constexpr int kLandingTicks = 12;
// How many columns, around the one a piece appears over, the pieces are dropped into.
constexpr int kColumnsVisited = 7;
// A key comes this long after the message before it.
constexpr std::uint32_t kKeyAfterMs = 1;

// The game's first timer period, by level.
std::uint32_t FirstPeriodMs(std::int32_t level) {
  return level == 0 ? 500 : level == 2 ? 2000 : 1000;
}

// The script played with its ticks where the game's clock puts them: `waitBeats` ticks of the
// first pause before RETURN, and the first DOWN held back `holdMs` after the tick before it.
// After that DOWN every time follows from its own, so the two set the game's length to the
// millisecond.
Replay Play(std::uint32_t seed, std::int32_t level, int maxPieces, std::uint32_t waitBeats,
            std::uint32_t holdMs) {
  Replay replay;
  replay.level = level;
  replay.seed = seed;
  TimerCalls calls;
  TimerRhythm rhythm;
  ReplayPlayback playback({.level = level, .seed = seed});
  playback.Start();
  calls.Follow(0, rhythm);
  std::uint32_t now = 0;
  const auto deliver = [&](ReplayMessage message) {
    if (message.kind == ReplayMessageKind::kTick) {
      const std::optional<std::int64_t> beat = rhythm.NextBeatMs();
      if (!beat) return;
      message.timeMs = static_cast<std::uint32_t>(*beat);
      rhythm.Tick(message.timeMs);
    }
    now = message.timeMs;
    if (!playback.Deliver(message)) return;
    calls.Follow(now, rhythm);
    replay.messages.push_back(message);
  };
  const auto tick = [&] { deliver({.kind = ReplayMessageKind::kTick}); };
  const auto key = [&](std::uint32_t code, std::uint32_t afterMs = kKeyAfterMs) {
    deliver({.timeMs = now + afterMs, .kind = ReplayMessageKind::kKeyDown, .key = code});
  };
  for (std::uint32_t beat = 0; beat < waitBeats; ++beat) tick();
  key(VK_RETURN);
  for (int piece = 0; piece < maxPieces && !playback.Ended(); ++piece) {
    tick();
    key(VK_UP);
    // Pieces go to columns in turn across the field, so that the stack grows evenly and
    // rows clear now and then.
    const int shift = piece % kColumnsVisited - kColumnsVisited / 2;
    for (int step = 0; step < (shift < 0 ? -shift : shift); ++step) {
      key(shift < 0 ? VK_LEFT : VK_RIGHT);
    }
    tick();
    key(VK_DOWN, piece == 0 ? holdMs : kKeyAfterMs);
    for (int landing = 0; landing < kLandingTicks; ++landing) tick();
    deliver({.timeMs = now + kKeyAfterMs, .kind = ReplayMessageKind::kKeyUp});
  }
  if (!playback.Ended()) key(VK_ESCAPE);
  replay.ending = playback.Ending();
  replay.score = playback.Scene().score;
  replay.removedCount = playback.Scene().removedCount;
  return replay;
}

std::uint32_t LengthMs(const Replay& replay) {
  return replay.messages.empty() ? 0 : replay.messages.back().timeMs;
}

}  // namespace

Replay PlayScriptedGame(std::uint32_t seed, std::int32_t level, std::uint32_t durationMs,
                        int maxPieces) {
  const Replay quickest = Play(seed, level, maxPieces, 0, kKeyAfterMs);
  if (LengthMs(quickest) >= durationMs) return quickest;
  // Whole beats of waiting first, then the rest in the hold, which stays short of the next
  // beat (the first spawn took 12 ms off the period) so that the piece does not fall a row
  // before DOWN. Within 20 ms of the length asked for.
  const std::uint32_t period = FirstPeriodMs(level);
  const std::uint32_t more = durationMs - LengthMs(quickest);
  const std::uint32_t hold = kKeyAfterMs + std::min(more % period, period - 20);
  return Play(seed, level, maxPieces, more / period, hold);
}

}  // namespace testworld
