// The percentile the latency benchmarks report: the nearest rank, no interpolation. Portable, so
// that the figures of a benchmark can be checked natively.
#pragma once
#include <algorithm>
#include <vector>

namespace bench {

inline double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t index = (size_t)(p * (values.size() - 1) + 0.5);
    return values[index];
}

}  // namespace bench
