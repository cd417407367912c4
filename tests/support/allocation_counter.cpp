#include "tests/support/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace {
long g_allocations = 0;
}

long AllocationCount() {
  return g_allocations;
}

// Kept out of line: inlined, the malloc and free inside them look to GCC like
// a mismatch with new and delete.
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
