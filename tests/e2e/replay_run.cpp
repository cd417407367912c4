#include "tests/e2e/replay_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/replay_recorder.h"
#include "app/win_main.h"
#include "core/globals.h"
#include "core/scene_switch.h"
#include "play/play_scene.h"
#include "tests/support/program_state.h"
#include "verify/replay_playback.h"

namespace fs = std::filesystem;

namespace {

ReplayPlayer* g_testPlayer = nullptr;

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
  {
    ReplayPlayback playback(StartOf(replay));
    const PlayScene& scene = playback.Scene();
    playback.Start();
    for (const ReplayMessage& message : replay.messages) {
      const bool clearing = scene.phase == Phase::kClearing;
      const int flasks = Flasks(scene);
      playback.Deliver(message);
      if (clearing && Flasks(scene) < flasks) ++facts.blasts;
      facts.maxChain = std::max(facts.maxChain, scene.chainPoints);
      if (playback.Ended()) {
        facts.ended = true;
        facts.ending = playback.Ending();
        facts.leftWhileClearing = clearing && facts.ending == ReplayEnding::kLeft;
        break;
      }
    }
    facts.score = scene.score;
    facts.removedCount = scene.removedCount;
  }
  ResetProgramState();
  return facts;
}
