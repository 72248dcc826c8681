// Timestamps and percentiles shared by the latency benchmarks.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

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

inline double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t index = (size_t)(p * (values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace bench
