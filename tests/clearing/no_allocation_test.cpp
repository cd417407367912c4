// A clearing phase allocates nothing. This program counts every allocation.
#include <cstdlib>
#include <new>

#include "tests/clearing/clearing_fixture.h"

namespace {
long g_allocations = 0;
}

// Out of line: inlined, the malloc and free inside look to GCC like a mismatch.
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

TEST_F(ClearingTest, BusyPhaseAllocatesNothing) {
  // Pops, climbs, arcs, a flask blast and falls.
  Land({". g . . . . . .", "r G . b . . . .", "R F R M g r . .", "G r R B M G . .",
        "F g M r F R . .", "b R b B g M r .", "M r G R M r6 F G"});
  platform::SetActiveCallLog(nullptr);  // recording allocates; the game never records
  SetTimer(nullptr, 1, 100, nullptr);   // as the landing did
  const long before = g_allocations;
  while (scene_.phase != 0 && ticks_ < 500) TickTo(ticks_ + 1);
  EXPECT_EQ(g_allocations - before, 0) << "over " << ticks_ << " ticks";
  EXPECT_GT(scene_.removedCount, 5);
}

}  // namespace
