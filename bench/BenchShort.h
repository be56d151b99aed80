// The benchmarks also run as tests in a short mode (TW_BENCH_SHORT set), so
// that they keep building and running; their figures come from full runs.
#pragma once

#include <cstdlib>

inline bool BenchShort()
{
    static const bool shortMode = std::getenv("TW_BENCH_SHORT") != nullptr;
    return shortMode;
}

// Seconds a benchmark runs at least: as given, or a moment in the short mode.
inline double BenchMinTime(double seconds) { return BenchShort() ? 0.001 : seconds; }

inline int BenchReps(int repetitions) { return BenchShort() ? 1 : repetitions; }
