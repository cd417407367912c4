// A clearing phase allocates nothing: the game runs for hours and every tick
// of the phase comes every 100 ms. Every allocation in this program is counted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "tests/clearing/clearing_fixture.h"

namespace {
long g_allocations = 0;
}

// All kept out of line: inlined, the malloc and free inside them look to GCC
// like a mismatch with new and delete.
[[gnu::noinline]] void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

TEST(NoAllocation, BusyClearingPhase) {
  PlayScene scene(0);
  for (Cell& cell : scene.field) ClearCell(cell);
  // Pops, climbs, arcs, a flask blast and falls, all in one phase.
  SetBottomRows(scene, {". . . . . . . .", ". . . . . . . .", ". g . . . . . .", "r G . b . . . .",
                        "R F R M g r . .", "G r R B M G . .", "F g M r F R . .", "b R b B g M r .",
                        "M r G R M r6 F G"});
  scene.phase = -1;
  scene.paused = 0;
  scene.spawnPending = 0;
  scene.interval = 1000;
  g_fieldSettled = 0;
  g_resolveBusy = 0;

  // The landing armed the clearing timer; the platform's timers exist by now.
  SetTimer(nullptr, 1, 100, nullptr);

  const long before = g_allocations;
  int ticks = 0;
  while (scene.phase != 0 && ticks < 500) {
    scene.OnTimer(nullptr);
    ++ticks;
  }
  const long allocated = g_allocations - before;

  EXPECT_EQ(scene.phase, 0);
  EXPECT_GT(scene.removedCount, 5);
  EXPECT_EQ(allocated, 0) << "over " << ticks << " ticks";
}

}  // namespace
