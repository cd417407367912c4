// What checking a submitted game costs the server: reading its replay and playing it back
// through the play rules, for each committed replay and for the scripted games the load
// program submits.
#include <benchmark/benchmark.h>

#include <string>

#include "core/replay_file.h"
#include "tests/server/scripted_game.h"
#include "verify/replay_playback.h"

namespace {

void CheckGame(benchmark::State& state, const Replay& replay) {
  const std::vector<std::uint8_t> bytes = EncodeReplay(replay);
  for (auto _ : state) {
    Replay decoded;
    std::string error;
    if (!DecodeReplay(bytes, &decoded, &error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(Reproduces(decoded, PlayBackReplay(decoded)));
  }
  state.counters["messages"] = static_cast<double>(replay.messages.size());
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void BM_CheckCommittedReplay(benchmark::State& state, const std::string& name) {
  Replay replay;
  std::string error;
  if (!ReadReplayFile(std::string(MORVEX2_SOURCE_DIR "/tests/replays/") + name, &replay, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  CheckGame(state, replay);
}
BENCHMARK_CAPTURE(BM_CheckCommittedReplay, beginner, std::string("beginner.mvr"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CheckCommittedReplay, middle, std::string("middle.mvr"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CheckCommittedReplay, advanced_chain, std::string("advanced_chain.mvr"))
    ->Unit(benchmark::kMicrosecond);

// The load program's games: level 1, seed 1, to the top of the field.
void BM_CheckScriptedGame(benchmark::State& state) {
  CheckGame(state, testworld::PlayScriptedGame(1, 1, 1000));
}
BENCHMARK(BM_CheckScriptedGame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
