#include "app/replay_recorder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "app/scene_switch.h"
#include "core/scene_switch.h"
#include "platform/base/files.h"
#include "platform/base/log.h"
#include "platform/base/whole_file.h"
#include "platform/win32/host.h"
#include "play/play_scene.h"
#include "ranking/ranking_scene.h"
#include "ranking/score_table.h"

namespace {

// Room for a long game at fast-drop speed up front, so that recording a game
// does not allocate while it runs.
constexpr std::size_t kReservedMessages = 1 << 16;

struct Recorder {
  bool on = false;
  bool recording = false;  // between the play screen's Start and leaving it
  bool full = false;       // more messages than a replay may hold: not kept
  bool finished = false;   // a game has ended and waits to be written
  bool kept = false;       // the replay holds the game written last
  std::int64_t startMs = 0;
  Replay replay;
};

Recorder g_recorder;

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  // A replay that cannot be kept must not disturb the game; it is only said.
  // One marked read-only is the player's to keep, as a table so marked is.
  const auto old = platform::InfoOf(path, platform::Links::kFollow);
  if (old && !old->Writable()) {
    platform::LogError("cannot keep the replay '" + path + "'",
                       "the file there is read-only, and the game leaves it so");
    return;
  }
  if (!platform::WriteWholeFile(path, bytes, platform::WriteMode::kReplace)) {
    platform::LogErrno("cannot keep the replay '" + path + "'", errno);
  }
}

// The table's first row is the red one only when this game has just entered
// there; a table that could not be read or written has no red row.
bool TookFirstPlace(const Replay& replay) {
  if (g_rankingScene == nullptr || !g_rankingScene->table) return false;
  const ScoreRecord& first = (*g_rankingScene->table)[0];
  return first.color == kScoreRowRed && first.score == replay.score;
}

void SaveFinishedGame(Scene* next) {
  g_recorder.finished = false;
  g_recorder.kept = true;
  const Replay& replay = g_recorder.replay;
  const std::vector<std::uint8_t> bytes = EncodeReplay(replay);
  Write(kLastReplayName, bytes);
  if (next == g_rankingScene && TookFirstPlace(replay)) Write(BestReplayName(replay.level), bytes);
}

}  // namespace

void SetReplayRecording(bool on) {
  g_recorder = Recorder{};
  g_recorder.on = on;
}

bool ReplayRecordingOn() {
  return g_recorder.on;
}

const Replay* LastSavedGame() {
  return g_recorder.kept ? &g_recorder.replay : nullptr;
}

std::string BestReplayName(int level) {
  const char* table = ScoreFileName(level);
  if (table == nullptr) return {};
  std::string name = table;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name + "-best.mvr";
}

void NoteDeliveredMessage(UINT message, WPARAM wParam) {
  if (!g_recorder.recording || g_recorder.full) return;
  Replay& replay = g_recorder.replay;
  if (replay.messages.size() >= kMaxReplayMessages) {
    g_recorder.full = true;
    return;
  }
  ReplayMessage recorded;
  const std::int64_t since = platform::GameClock().NowMs() - g_recorder.startMs;
  recorded.timeMs = static_cast<std::uint32_t>(std::clamp<std::int64_t>(since, 0, 0xFFFFFFFF));
  switch (message) {
    case WM_TIMER:
      recorded.kind = ReplayMessageKind::kTick;
      break;
    case WM_KEYDOWN:
      recorded.kind = ReplayMessageKind::kKeyDown;
      recorded.key = static_cast<std::uint32_t>(wParam);
      break;
    case WM_KEYUP:
      recorded.kind = ReplayMessageKind::kKeyUp;
      break;
    default:
      return;
  }
  replay.messages.push_back(recorded);
}

void NoteSceneStarting(Scene* next) {
  if (!g_recorder.on) return;
  if (g_recorder.recording && next != g_playScene) {
    g_recorder.recording = false;
    Replay& replay = g_recorder.replay;
    replay.ending = next == g_rankingScene ? ReplayEnding::kGameOver : ReplayEnding::kLeft;
    replay.score = g_playScene->score;
    replay.removedCount = g_playScene->removedCount;
    g_recorder.finished = !g_recorder.full;
  }
  if (next == g_playScene && g_playScene != nullptr) {
    g_recorder.recording = true;
    g_recorder.kept = false;
    g_recorder.full = false;
    g_recorder.finished = false;
    g_recorder.startMs = platform::GameClock().NowMs();
    Replay& replay = g_recorder.replay;
    replay.level = GetLevel();
    replay.seed = g_playScene->seedCounter;
    replay.fieldSettled = g_fieldSettled;
    replay.resolveBusy = g_resolveBusy;
    replay.messages.clear();
    replay.messages.reserve(kReservedMessages);
  }
}

// Written once the next screen has started, so that the ranking screen has
// already offered the result to its table.
void NoteSceneStarted(Scene* next) {
  if (g_recorder.on && g_recorder.finished) SaveFinishedGame(next);
}
