#pragma once
// One line of the benchmark table that scripts/bench prints: a figure and
// its reference, measured in the same run, in one unit. Every benchmark
// program writes its figures this way on standard output, besides its own
// report, so that one table can gather them all.
#include <cstdio>

inline void PrintBenchRow(const char* name, double figure, double reference, const char* unit) {
  std::printf("BENCH\t%s\t%.6g\t%.6g\t%s\n", name, figure, reference, unit);
  std::fflush(stdout);
}
