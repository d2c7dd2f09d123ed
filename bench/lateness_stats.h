#pragma once
// Percentiles of a set of lateness samples (milliseconds), shared by the
// scroll band's benchmarks.

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

struct Stats {
    double p50 = 0, p99 = 0, max = 0;
    size_t count = 0;
};

inline Stats stats(std::vector<double> ms) {
    Stats s;
    s.count = ms.size();
    if (ms.empty()) return s;
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) { return ms[std::min(ms.size() - 1, size_t(q * double(ms.size())))]; };
    s.p50 = at(0.50);
    s.p99 = at(0.99);
    s.max = ms.back();
    return s;
}

}  // namespace bench
