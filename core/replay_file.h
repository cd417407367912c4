// A recorded game: the level and seed it started from, the result it ended
// with, and every message the play screen received, in order, with its time.
// The byte layout is described in docs/REPLAY-FORMAT.md. Replay files come
// from anywhere (they are shared), so reading them trusts nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class ReplayMessageKind : std::uint8_t { kTick = 0, kKeyDown = 1, kKeyUp = 2 };

struct ReplayMessage {
  std::uint32_t timeMs = 0;  // since the game's Start
  ReplayMessageKind kind = ReplayMessageKind::kTick;
  std::uint32_t key = 0;  // virtual-key code, for kKeyDown only

  bool operator==(const ReplayMessage&) const = default;
};

// How the game left the play screen.
enum class ReplayEnding : std::uint8_t { kGameOver = 1, kLeft = 2 };

struct Replay {
  std::int32_t level = 1;  // 0 advanced, 1 middle, 2 beginner
  std::uint32_t seed = 0;  // seedCounter as Start found it
  ReplayEnding ending = ReplayEnding::kGameOver;
  std::int32_t score = 0;
  std::int32_t removedCount = 0;
  // The clearing step's two flags as Start found them: a game left during a
  // clearing phase hands them on to the next game of the same run.
  std::int32_t fieldSettled = 0;
  std::int32_t resolveBusy = 0;
  std::vector<ReplayMessage> messages;

  bool operator==(const Replay&) const = default;
};

// The current format, and the bounds a reader holds a file to. A game of
// hours stays far inside them.
constexpr std::uint16_t kReplayVersion = 1;
constexpr std::size_t kMaxReplayMessages = std::size_t{1} << 20;
constexpr std::size_t kMaxReplayBytes = std::size_t{12} << 20;

std::vector<std::uint8_t> EncodeReplay(const Replay& replay);

// False, with one line in `error`, for anything that is not a whole, intact
// replay of this format version or an older one.
[[nodiscard]] bool DecodeReplay(std::span<const std::uint8_t> bytes, Replay* replay,
                                std::string* error);

// Reads and decodes the file at `path`; the same one-line errors, naming the
// file, also for one that cannot be read or is too large.
[[nodiscard]] bool ReadReplayFile(const std::string& path, Replay* replay, std::string* error);
