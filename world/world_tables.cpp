#include "world/world_tables.h"

#include <array>
#include <memory>

#include "platform/net/beside.h"
#include "world/world_server.h"
#include "world/world_tables_testing.h"

namespace {

constexpr int kReadTimeoutMs = 10000;

struct WorldTables {
  std::array<WorldTableState, kWorldLevels> states{};
  std::array<std::vector<WorldEntry>, kWorldLevels> entries;
  std::array<std::uint64_t, kWorldLevels> asked{};  // the latest request's number, per level
  ReplayWatcher watcher = nullptr;
  WorldTableState watched = WorldTableState::kNone;
  std::uint64_t watchAsked = 0;
  std::uint64_t requests = 0;
  bool worldViewNext = false;
};

WorldTables g_tables;

bool ValidLevel(int level) {
  return level >= 0 && level < kWorldLevels;
}

}  // namespace

void RequestWorldTable(int level) {
  if (!WorldServerChosen() || !ValidLevel(level)) return;
  g_tables.states[level] = WorldTableState::kLoading;
  const std::uint64_t number = ++g_tables.requests;
  g_tables.asked[level] = number;
  platform::net::HttpRequest request = WorldRequest("GET", "/tables/" + std::to_string(level));
  request.timeoutMs = kReadTimeoutMs;
  platform::net::SendRequest(std::move(request), [level, number](const auto& response) {
    // Only the answer to the latest question counts.
    if (g_tables.asked[level] != number) return;
    auto entries = std::make_shared<std::optional<std::vector<WorldEntry>>>();
    platform::net::Work read;
    if (response.status == 200) {
      read = [entries, body = response.body] { *entries = ReadTableAnswer(body, kWorldTableRows); };
    }
    platform::net::RunBeside(std::move(read), [level, number, entries] {
      if (g_tables.asked[level] != number) return;
      if (!*entries) {
        g_tables.states[level] = WorldTableState::kFailed;
        return;
      }
      NoteServerAnswered();
      g_tables.entries[level] = std::move(**entries);
      g_tables.states[level] = WorldTableState::kReady;
    });
  });
}

WorldTableState WorldTableStateOf(int level) {
  return ValidLevel(level) ? g_tables.states[level] : WorldTableState::kNone;
}

const std::vector<WorldEntry>& WorldTableOf(int level) {
  static const std::vector<WorldEntry> kNone;
  return ValidLevel(level) ? g_tables.entries[level] : kNone;
}

void SetReplayWatcher(ReplayWatcher watcher) {
  g_tables.watcher = watcher;
}

void WatchWorldEntry(std::uint64_t entry) {
  if (!WorldServerChosen()) return;
  g_tables.watched = WorldTableState::kLoading;
  const std::uint64_t number = ++g_tables.requests;
  g_tables.watchAsked = number;
  platform::net::HttpRequest request =
      WorldRequest("GET", "/entries/" + std::to_string(entry) + "/replay");
  request.timeoutMs = kReadTimeoutMs;
  platform::net::SendRequest(std::move(request), [number](const auto& response) {
    if (g_tables.watchAsked != number) return;
    if (response.status != 200 || response.body.empty()) {
      g_tables.watched = WorldTableState::kFailed;
      return;
    }
    g_tables.watched = WorldTableState::kReady;
    if (g_tables.watcher != nullptr) {
      g_tables.watcher(std::vector<std::uint8_t>(response.body.begin(), response.body.end()));
    }
  });
}

void NoteWatchedReplayUnreadable() {
  g_tables.watched = WorldTableState::kUnreadable;
}

WorldTableState WatchedReplayState() {
  return g_tables.watched;
}

void OpenWorldViewOnNextStart() {
  g_tables.worldViewNext = true;
}

bool TakeWorldViewOnStart() {
  const bool world = g_tables.worldViewNext;
  g_tables.worldViewNext = false;
  return world;
}

void ResetWorldTables() {
  const ReplayWatcher watcher = g_tables.watcher;
  const std::uint64_t requests = g_tables.requests;
  g_tables = WorldTables{};
  g_tables.watcher = watcher;
  g_tables.requests = requests;
}
