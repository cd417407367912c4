// Counts every heap allocation of the program that links it, so that a test
// or a benchmark can show a stretch of play allocates nothing.
#pragma once

// Allocations made so far by the whole program.
long AllocationCount();
