// The world's tables as the high-score screen shows them, and the replays of
// their entries, fetched when the player asks and kept for the run.
#pragma once

#include <cstdint>
#include <vector>

#include "world/world_answers.h"

// kUnreadable: only for an entry's replay, which came but cannot be shown.
enum class WorldTableState { kNone, kLoading, kReady, kFailed, kUnreadable };

// Asks the server for the level's table again (the answer replaces the one held).
void RequestWorldTable(int level);
[[nodiscard]] WorldTableState WorldTableStateOf(int level);
// The entries held for the level, best first; at most kWorldTableRows.
[[nodiscard]] const std::vector<WorldEntry>& WorldTableOf(int level);
inline constexpr std::size_t kWorldTableRows = 10;

// Fetches an entry's replay; the watcher set by the program is called with
// its bytes when they arrive. While it is on its way the state is kLoading;
// kFailed when it could not be had.
using ReplayWatcher = void (*)(const std::vector<std::uint8_t>& bytes);
void SetReplayWatcher(ReplayWatcher watcher);
void WatchWorldEntry(std::uint64_t entry);
[[nodiscard]] WorldTableState WatchedReplayState();
// The replay that came cannot be shown (the program could not read it).
void NoteWatchedReplayUnreadable();

// The next high-score screen opens on the world's table, not this machine's
// (coming back from a world replay); taken once by that screen's start.
void OpenWorldViewOnNextStart();
[[nodiscard]] bool TakeWorldViewOnStart();
