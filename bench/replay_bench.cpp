// What keeping a replay costs a game: noting one delivered message while a
// game is recorded, and encoding and writing a whole game's replay when it
// ends (a file flushed to disk and renamed into place).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/replay_recorder.h"
#include "app/scene_switch.h"
#include "core/replay_file.h"
#include "core/scene_switch.h"
#include "platform/base/whole_file.h"
#include "play/play_scene.h"

namespace {

void BM_NoteDeliveredTick(benchmark::State& state) {
  PlayScene scene(1);
  g_playScene = &scene;
  SetReplayRecording(true);
  NoteSceneStarting(&scene);
  std::size_t noted = 0;
  for (auto _ : state) {
    // A fresh game now and then, so the recording never reaches its bound.
    if (++noted == 1'000'000) {
      NoteSceneStarting(&scene);
      noted = 0;
    }
    NoteDeliveredMessage(WM_TIMER, 1);
  }
  SetReplayRecording(false);
  g_playScene = nullptr;
}
BENCHMARK(BM_NoteDeliveredTick);

// A game of 800 messages (the longest of the committed ones) kept as last.mvr.
void BM_KeepWholeGame(benchmark::State& state) {
  Replay replay;
  for (std::uint32_t i = 0; i < 800; ++i) {
    const auto kind = i % 8 == 0 ? ReplayMessageKind::kKeyDown : ReplayMessageKind::kTick;
    replay.messages.push_back({i * 60, kind, 37});
  }
  const std::string path =
      (std::filesystem::temp_directory_path() / "morvex2-bench-last.mvr").string();
  for (auto _ : state) {
    const auto bytes = EncodeReplay(replay);
    benchmark::DoNotOptimize(platform::WriteWholeFile(path, bytes, platform::WriteMode::kReplace));
  }
  state.counters["bytes"] = static_cast<double>(EncodeReplay(replay).size());
  std::filesystem::remove(path);
}
BENCHMARK(BM_KeepWholeGame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
