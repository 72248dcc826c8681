// Timestamps and percentiles shared by the latency benchmarks.
#pragma once
#include <windows.h>

#include "bench/hook/Percentile.h"

namespace bench {

inline long long Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

inline double Microseconds(long long ticks)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return ticks * 1e6 / (double)f.QuadPart;
}

}  // namespace bench
