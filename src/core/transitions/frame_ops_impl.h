#pragma once
// Template part of frame_ops.h.

#include <algorithm>

#include "core/scaling/row_workers.h"

namespace vz::transitions {

template <class Fn>
void forRows(int height, long long pixels, Fn&& fn) {
    // Small jobs are not worth waking the workers.
    constexpr long long kParallelPixels = 200000;
    RowWorkers* workers = RowWorkers::lent();
    if (pixels < kParallelPixels || !workers || workers->threadCount() < 2 || height < 16) {
        fn(0, height);
        return;
    }
    const int chunks = std::min(height, workers->threadCount() * 4);
    auto task = [&](int chunk, int) {
        const int y0 = int((long long)height * chunk / chunks);
        const int y1 = int((long long)height * (chunk + 1) / chunks);
        if (y1 > y0) fn(y0, y1);
    };
    workers->run(chunks, task);
}

}  // namespace vz::transitions
