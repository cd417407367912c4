#include "verify/replay_playback.h"

#include "core/globals.h"
#include "core/scene_switch.h"
#include "platform/win32/host.h"

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
  ReplayPlayback playback(StartOf(replay));
  playback.Start();
  for (const ReplayMessage& message : replay.messages) {
    if (!playback.Deliver(message)) break;
  }
  return {.ended = playback.Ended(),
          .ending = playback.Ending(),
          .score = playback.Scene().score,
          .removedCount = playback.Scene().removedCount,
          .delivered = playback.Delivered()};
}

bool Reproduces(const Replay& replay, const PlaybackResult& result) {
  return result.ended && result.delivered == replay.messages.size() &&
         result.ending == replay.ending && result.score == replay.score &&
         result.removedCount == replay.removedCount;
}
