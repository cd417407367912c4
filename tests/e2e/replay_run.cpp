#include "tests/e2e/replay_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/program_state.h"
#include "app/replay_recorder.h"
#include "app/win_main.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "play/play_scene.h"

namespace fs = std::filesystem;

namespace {

ReplayPlayer* g_testPlayer = nullptr;
int g_leftTo = 0;

void NoteLeft(int sceneId) {
  if (g_leftTo == 0) g_leftTo = sceneId;
}

int Flasks(const PlayScene& scene) {
  int flasks = 0;
  for (const Cell& cell : scene.field) flasks += cell.kind == 1;
  return flasks;
}

}  // namespace

Replay RecordGame(const fs::path& folder, const std::string& script, std::int64_t unixSeconds) {
  SetReplayRecording(true);
  RunGame(folder, script, unixSeconds);
  SetReplayRecording(false);
  Replay replay;
  std::string error;
  if (!ReadReplayFile((folder / kLastReplayName).string(), &replay, &error)) {
    ADD_FAILURE() << "no game kept: " << error;
    replay.level = -1;
  }
  return replay;
}

Playback PlayBack(const fs::path& folder, const Replay& replay, const std::string& script) {
  ReplayPlayer player(replay);
  g_testPlayer = &player;
  SetFirstScreen([] { g_testPlayer->Begin(); });
  Playback playback;
  testing::internal::CaptureStdout();
  playback.run = RunGame(folder, script);
  playback.said = testing::internal::GetCapturedStdout();
  SetFirstScreen(nullptr);
  SetSceneSwitch(nullptr);
  g_testPlayer = nullptr;
  playback.outcome = player.Result();
  return playback;
}

ReplayFacts FollowReplay(const Replay& replay) {
  ReplayFacts facts;
  g_leftTo = 0;
  SetSceneSwitch(&NoteLeft);
  g_level = replay.level;
  PlayScene scene(replay.seed);
  g_fieldSettled = replay.fieldSettled;
  g_resolveBusy = replay.resolveBusy;
  scene.Start(nullptr);
  for (const ReplayMessage& message : replay.messages) {
    const bool clearing = scene.phase != 0;
    const int flasks = Flasks(scene);
    switch (message.kind) {
      case ReplayMessageKind::kTick:
        scene.OnTimer(nullptr);
        break;
      case ReplayMessageKind::kKeyDown:
        scene.OnKeyDown(nullptr, message.key);
        break;
      case ReplayMessageKind::kKeyUp:
        scene.OnKeyUp();
        break;
    }
    if (clearing && Flasks(scene) < flasks) ++facts.blasts;
    facts.maxChain = std::max(facts.maxChain, scene.chainPoints);
    if (g_leftTo != 0) {
      facts.ended = true;
      facts.ending = g_leftTo == Ranking ? ReplayEnding::kGameOver : ReplayEnding::kLeft;
      facts.leftWhileClearing = clearing && g_leftTo == Opening;
      break;
    }
  }
  facts.score = scene.score;
  facts.removedCount = scene.removedCount;
  SetSceneSwitch(nullptr);
  ResetProgramState();
  return facts;
}
