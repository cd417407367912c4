#include "tests/server/scripted_game.h"

#include "platform/win32/win32.h"
#include "verify/replay_playback.h"

namespace testworld {

namespace {

// Ticks a dropped piece is given to land, at the fast-drop period, before the next one.
constexpr int kLandingTicks = 12;
// How many columns, around the one a piece appears over, the pieces are dropped into.
constexpr int kColumnsVisited = 7;

}  // namespace

Replay PlayScriptedGame(std::uint32_t seed, std::int32_t level, std::uint32_t durationMs,
                        int maxPieces) {
  Replay replay;
  replay.level = level;
  replay.seed = seed;
  ReplayPlayback playback({.level = level, .seed = seed});
  playback.Start();
  const auto deliver = [&](ReplayMessageKind kind, std::uint32_t key = 0) {
    const ReplayMessage message{.kind = kind, .key = key};
    if (playback.Deliver(message)) replay.messages.push_back(message);
  };
  deliver(ReplayMessageKind::kKeyDown, VK_RETURN);
  for (int piece = 0; piece < maxPieces && !playback.Ended(); ++piece) {
    deliver(ReplayMessageKind::kTick);
    deliver(ReplayMessageKind::kKeyDown, VK_UP);
    // Pieces go to columns in turn across the field, so that the stack grows evenly and
    // rows clear now and then.
    const int shift = piece % kColumnsVisited - kColumnsVisited / 2;
    for (int step = 0; step < (shift < 0 ? -shift : shift); ++step) {
      deliver(ReplayMessageKind::kKeyDown, shift < 0 ? VK_LEFT : VK_RIGHT);
    }
    deliver(ReplayMessageKind::kTick);
    deliver(ReplayMessageKind::kKeyDown, VK_DOWN);
    for (int tick = 0; tick < kLandingTicks; ++tick) deliver(ReplayMessageKind::kTick);
    deliver(ReplayMessageKind::kKeyUp);
  }
  if (!playback.Ended()) deliver(ReplayMessageKind::kKeyDown, VK_ESCAPE);
  replay.ending = playback.Ending();
  replay.score = playback.Scene().score;
  replay.removedCount = playback.Scene().removedCount;
  const std::size_t last = replay.messages.size() - 1;
  for (std::size_t i = 0; i <= last; ++i) {
    replay.messages[i].timeMs =
        static_cast<std::uint32_t>(std::uint64_t{durationMs} * i / (last == 0 ? 1 : last));
  }
  return replay;
}

}  // namespace testworld
