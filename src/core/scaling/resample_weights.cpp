#include "core/scaling/resample_weights.h"

#include <algorithm>
#include <cmath>

namespace vz {

namespace {

struct Tap {
    int index;
    double weight;
};

// The filter, in exact arithmetic (see resampler.h for the definition).
// Fills `taps` with the source pixels of positive weight, normalised.
void filterTaps(int srcLen, int dstLen, int i, std::vector<Tap>& taps) {
    taps.clear();
    const double scale = double(srcLen) / double(dstLen);
    double centre = (i + 0.5) * scale - 0.5;
    if (dstLen >= srcLen) {
        // Enlarging (or 1:1): the tent of radius 1, i.e. linear interpolation
        // between the two nearest source pixels, clamped at the edges.
        centre = std::clamp(centre, 0.0, double(srcLen - 1));
        const int j0 = int(std::floor(centre));
        const double frac = centre - j0;
        taps.push_back({j0, 1.0 - frac});
        if (frac > 0.0 && j0 + 1 < srcLen) taps.push_back({j0 + 1, frac});
    } else {
        // Shrinking: the tent of radius `scale` over the source pixels,
        // those outside the picture left out.
        const int lo = std::max(0, int(std::floor(centre - scale)));
        const int hi = std::min(srcLen - 1, int(std::ceil(centre + scale)));
        for (int j = lo; j <= hi; ++j) {
            const double w = 1.0 - std::abs(j - centre) / scale;
            if (w > 0.0) taps.push_back({j, w});
        }
    }
    double sum = 0.0;
    for (const Tap& t : taps) sum += t.weight;
    for (Tap& t : taps) t.weight /= sum;
}

}  // namespace

bool AxisWeights::update(int srcLen_, int dstLen_, int offset_, int count_, int tapAlign_) {
    if (srcLen_ == srcLen && dstLen_ == dstLen && offset_ == offset && count_ == count && tapAlign_ == tapAlign)
        return false;
    srcLen = srcLen_;
    dstLen = dstLen_;
    offset = offset_;
    count = count_;
    tapAlign = tapAlign_;
    identity = srcLen == dstLen;
    paddedCount = (count + 3) & ~3;

    // First pass: the widest support decides the common tap count.
    std::vector<Tap> taps;
    int widest = 1;
    for (int i = 0; i < count; ++i) {
        filterTaps(srcLen, dstLen, offset + i, taps);
        widest = std::max(widest, taps.back().index - taps.front().index + 1);
    }
    // Two taps (linear interpolation) get kernels of their own.
    this->taps = widest <= 2 && tapAlign > 2 ? 2 : (widest + tapAlign - 1) / tapAlign * tapAlign;
    const int n = this->taps;

    first.assign(size_t(paddedCount), 0);
    weights.assign(size_t(paddedCount) * size_t(n), 0);
    for (int i = 0; i < count; ++i) {
        filterTaps(srcLen, dstLen, offset + i, taps);
        const int lo = taps.front().index;
        const int start = srcLen >= n ? std::min(lo, srcLen - n) : 0;
        first[size_t(i)] = start;
        int16_t* w = &weights[size_t(i) * size_t(n)];
        // Quantise, then give the rounding remainder to the largest weight so
        // that a flat picture stays exactly flat.
        int sum = 0, largest = 0;
        for (const Tap& t : taps) {
            const int k = t.index - start;
            w[k] = int16_t(std::lround(t.weight * kWeightOne));
            sum += w[k];
            if (w[k] > w[largest]) largest = k;
        }
        w[largest] = int16_t(w[largest] + (kWeightOne - sum));
    }

    pairWeights();
    return true;
}

void AxisWeights::pairWeights() {
    const int n = taps;
    paired.clear();
    if (n % 2 != 0) return;
    const int pairs = n / 2;
    paired.assign(size_t(paddedCount) * size_t(n) * 4, 0);
    for (int i = 0; i < paddedCount; ++i) {
        const int16_t* w = &weights[size_t(i) * size_t(n)];
        for (int q = 0; q < pairs; ++q) {
            int16_t* out = &paired[(size_t(i / 2) * size_t(pairs) + size_t(q)) * 16 + size_t(i % 2) * 8];
            for (int c = 0; c < 4; ++c) {
                out[2 * c] = w[2 * q];
                out[2 * c + 1] = w[2 * q + 1];
            }
        }
    }
}

void AxisWeights::slice(const AxisWeights& whole, int from, int count_) {
    srcLen = whole.srcLen;
    dstLen = whole.dstLen;
    offset = whole.offset + from;
    count = count_;
    tapAlign = -1;  // not a table update() built: the next update() rebuilds
    identity = whole.identity;
    taps = whole.taps;
    paddedCount = (count + 3) & ~3;
    const size_t n = size_t(taps);
    first.assign(size_t(paddedCount), 0);
    weights.assign(size_t(paddedCount) * n, 0);
    std::copy_n(whole.first.begin() + from, count, first.begin());
    std::copy_n(whole.weights.begin() + std::ptrdiff_t(size_t(from) * n), size_t(count) * n, weights.begin());
    pairWeights();
}

std::pair<int, int> AxisWeights::reaching(int srcFrom, int srcTo) const {
    // first[] never decreases, and every pixel reads taps source pixels from it.
    const auto begin = first.begin(), end = first.begin() + count;
    const int lo = int(std::lower_bound(begin, end, srcFrom - taps + 1) - begin);
    const int hi = int(std::lower_bound(begin, end, srcTo) - begin);
    return {lo, std::max(lo, hi)};
}

}  // namespace vz
