#include "verify/replay_playback.h"

#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/win32/host.h"
#include "verify/timer_rhythm.h"

namespace {

// The screen the game asked for, 0 while it plays. One playback at a time
// (see the header), so one note for the process.
int g_leftTo = 0;

void NoteLeft(int sceneId) {
  platform::RecordCall("ChangeScene", {sceneId});
  if (g_leftTo == 0) g_leftTo = sceneId;
}

}  // namespace

void DeliverReplayMessage(PlayScene& scene, const ReplayMessage& message) {
  switch (message.kind) {
    case ReplayMessageKind::kTick:
      scene.OnTimer(g_hwnd);
      break;
    case ReplayMessageKind::kKeyDown:
      scene.OnKeyDown(g_hwnd, message.key);
      break;
    case ReplayMessageKind::kKeyUp:
      scene.OnKeyUp();
      break;
  }
}

GameStart StartOf(const Replay& replay) {
  return {.level = replay.level,
          .seed = replay.seed,
          .fieldSettled = replay.fieldSettled,
          .resolveBusy = replay.resolveBusy};
}

ReplayPlayback::ReplayPlayback(const GameStart& start)
    : scene_(start.seed),
      level_(GetLevel()),
      fieldSettled_(g_fieldSettled),
      resolveBusy_(g_resolveBusy),
      lastScore_(0),
      lastRemovedCount_(0) {
  GetLastResult(&lastScore_, &lastRemovedCount_);
  g_leftTo = 0;
  SetSceneSwitch(&NoteLeft);
  SetLevel(start.level);
  g_fieldSettled = start.fieldSettled;
  g_resolveBusy = start.resolveBusy;
}

ReplayPlayback::~ReplayPlayback() {
  SetSceneSwitch(nullptr);
  g_leftTo = 0;
  SetLevel(level_);
  g_fieldSettled = fieldSettled_;
  g_resolveBusy = resolveBusy_;
  RestoreLastResult(lastScore_, lastRemovedCount_);
}

void ReplayPlayback::Start() {
  scene_.Start(g_hwnd);
}

bool ReplayPlayback::Deliver(const ReplayMessage& message) {
  if (Ended()) return false;
  DeliverReplayMessage(scene_, message);
  ++delivered_;
  return true;
}

bool ReplayPlayback::Ended() const {
  return g_leftTo != 0;
}

ReplayEnding ReplayPlayback::Ending() const {
  return g_leftTo == Ranking ? ReplayEnding::kGameOver : ReplayEnding::kLeft;
}

PlaybackResult PlayBackReplay(const Replay& replay) {
  PlaybackResult result;
  TimerCalls watch;
  TimerRhythm rhythm;
  ReplayPlayback playback(StartOf(replay));
  playback.Start();
  watch.Follow(0, rhythm);
  for (std::size_t i = 0; i < replay.messages.size(); ++i) {
    const ReplayMessage& message = replay.messages[i];
    if (playback.Ended()) break;
    if (message.kind == ReplayMessageKind::kTick) {
      const TickPlace place = rhythm.Tick(message.timeMs);
      const TimedTick tick{.message = i, .timeMs = message.timeMs, .running = place.running};
      if (!result.early && (!place.running || place.earlyMs > 0)) {
        result.early = tick;
        result.early->ms = place.earlyMs;
      } else if (place.lateMs > result.latest.ms) {
        result.latest = tick;
        result.latest.ms = place.lateMs;
      }
    }
    playback.Deliver(message);
    watch.Follow(message.timeMs, rhythm);
  }
  result.ended = playback.Ended();
  result.ending = playback.Ending();
  result.score = playback.Scene().score;
  result.removedCount = playback.Scene().removedCount;
  result.delivered = playback.Delivered();
  return result;
}

bool Reproduces(const Replay& replay, const PlaybackResult& result) {
  return result.ended && result.delivered == replay.messages.size() &&
         result.ending == replay.ending && result.score == replay.score &&
         result.removedCount == replay.removedCount;
}
