// Recording a game and playing it back, both on the headless host, and
// following a replay's messages through a bare play screen to see what
// happened in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/replay_player.h"
#include "core/replay_file.h"
#include "tests/e2e/game_run.h"

// Runs `script` with recording on, as the real program does, and reads back
// the game kept as last.mvr (an empty replay with level -1 when none was kept).
Replay RecordGame(const std::filesystem::path& folder, const std::string& script,
                  std::int64_t unixSeconds = 1796488723);

struct Playback {
  GameRun run;
  ReplayPlayer::Outcome outcome = ReplayPlayer::Outcome::kRunning;
  std::string said;  // what the player wrote on standard output
};

// Shows `replay` as `morvex2 --replay` does, in `folder`, on `script` (waits
// and captures; the player's keys).
Playback PlayBack(const std::filesystem::path& folder, const Replay& replay,
                  const std::string& script);

// What the game in a replay did, followed message by message.
struct ReplayFacts {
  bool ended = false;
  ReplayEnding ending = ReplayEnding::kGameOver;
  std::int32_t score = 0;
  std::int32_t removedCount = 0;
  int blasts = 0;             // flasks set off
  std::int32_t maxChain = 0;  // the most points one clearing phase gathered
  bool leftWhileClearing = false;
};
// Leaves the program as a new process finds it (ResetProgramState).
ReplayFacts FollowReplay(const Replay& replay);
