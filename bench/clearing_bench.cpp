// The clearing phase's cost: its busiest tick on a dense field, and a whole
// phase from landing to the spawn request, each beside the plainest work of
// the same size (copying the field, reading every cell once). Allocations are
// counted too: a phase must make none.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/win32/win32.h"
#include "play/play_scene.h"
#include "tests/support/allocation_counter.h"

namespace {

struct Snapshot {
  PlayScene scene{0};
  std::int32_t fieldSettled = 0;
  std::int32_t resolveBusy = 0;

  void Restore(PlayScene& into) const {
    into.field = scene.field;
    into.phase = scene.phase;
    into.spawnPending = scene.spawnPending;
    into.chainPoints = scene.chainPoints;
    into.removedCount = scene.removedCount;
    g_fieldSettled = fieldSettled;
    g_resolveBusy = resolveBusy;
  }
};

// Every cell taken: random pins and balloons from the game's own generator,
// with a flask every eleventh cell, just landed.
Snapshot DenseLanding() {
  Snapshot landing;
  PlayScene& scene = landing.scene;
  for (int i = 0; i < kFieldCells; ++i) {
    scene.field[i].kind = i % 11 == 5 ? kFlask : scene.RandomKind();
  }
  scene.phase = Phase::kClearing;
  scene.paused = Pause::kRunning;
  scene.spawnPending = PendingSpawn::kNone;
  scene.interval = 1000;
  SetTimer(nullptr, 1, 100, nullptr);  // as the landing does
  return landing;
}

int Activity(const PlayScene& scene) {
  int busy = 0;
  for (const Cell& cell : scene.field) {
    busy += IsFlyingPin(cell.kind) || cell.popMark != 0 || cell.skip != 0 ? 1 : 0;
  }
  return busy;
}

// The state before the tick with the most pops, flights and marks to handle.
Snapshot BusiestTick(const Snapshot& landing) {
  Snapshot busiest = landing, current = landing;
  int most = -1;
  while (current.scene.phase != Phase::kFalling) {
    if (const int busy = Activity(current.scene); busy > most) {
      most = busy;
      busiest = current;
    }
    current.scene.OnTimer(nullptr);
    current.fieldSettled = g_fieldSettled;
    current.resolveBusy = g_resolveBusy;
  }
  return busiest;
}

void BM_BusiestClearingTick(benchmark::State& state) {
  const Snapshot before = BusiestTick(DenseLanding());
  PlayScene scene = before.scene;
  for (auto _ : state) {
    before.Restore(scene);
    scene.OnTimer(nullptr);
    benchmark::DoNotOptimize(scene.field);
  }
  state.counters["busy_cells"] = Activity(before.scene);
}
BENCHMARK(BM_BusiestClearingTick);

int RunPhase(const Snapshot& landing, PlayScene& scene) {
  landing.Restore(scene);
  int ticks = 0;
  for (; scene.phase != Phase::kFalling; ++ticks) scene.OnTimer(nullptr);
  return ticks;
}

void BM_WholeClearingPhase(benchmark::State& state) {
  const Snapshot landing = DenseLanding();
  PlayScene scene = landing.scene;
  // Counted on one phase of its own, away from the benchmark's bookkeeping.
  const long allocationsBefore = AllocationCount();
  const int ticks = RunPhase(landing, scene);
  state.counters["allocations_per_phase"] =
      static_cast<double>(AllocationCount() - allocationsBefore);
  state.counters["ticks_per_phase"] = ticks;
  state.counters["removed_per_phase"] = scene.removedCount - landing.scene.removedCount;
  for (auto _ : state) benchmark::DoNotOptimize(RunPhase(landing, scene));
}
BENCHMARK(BM_WholeClearingPhase);

// Baselines: the copy of the field that every iteration above includes, and
// one read of every cell, the least any scan can do.
void BM_RestoreFieldOnly(benchmark::State& state) {
  const Snapshot landing = DenseLanding();
  PlayScene scene = landing.scene;
  for (auto _ : state) {
    landing.Restore(scene);
    benchmark::DoNotOptimize(scene.field);
  }
}
BENCHMARK(BM_RestoreFieldOnly);

void BM_ReadEveryCell(benchmark::State& state) {
  const Snapshot landing = DenseLanding();
  for (auto _ : state) {
    std::int32_t sum = 0;
    for (const Cell& cell : landing.scene.field) sum += cell.kind;
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadEveryCell);

}  // namespace

BENCHMARK_MAIN();
