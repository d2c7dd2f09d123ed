#pragma once
// Fixed-point filter tables for one axis of the resampler: for every
// destination pixel the first source index and a fixed number of 14-bit
// weights that sum to exactly 1 << 14.

#include <cstdint>
#include <utility>
#include <vector>

namespace vz {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

struct AxisWeights {
    // What the table was built for; rebuilt only when one of these changes.
    int srcLen = -1;
    int dstLen = -1;  // length of the whole scaled axis
    int offset = -1;  // first destination pixel held in the table
    int count = -1;   // destination pixels held in the table
    int tapAlign = -1;

    bool identity = false;         // dstLen == srcLen: pixel i is source pixel offset + i
    int taps = 0;                  // weights per destination pixel: 2, or a multiple of tapAlign
    int paddedCount = 0;           // count rounded up to a multiple of 4; the extra pixels have zero weights
    std::vector<int> first;        // paddedCount entries
    std::vector<int16_t> weights;  // paddedCount * taps, row-major
    // The same weights laid out for 16-bit multiply-add over pixel pairs
    // (only when taps is even): for the destination pixels 2p and 2p+1 and
    // the tap pair q, 16 values at ((p * taps / 2) + q) * 16: pixel 2p's
    // (w[2q], w[2q+1]) four times, then pixel 2p+1's.
    std::vector<int16_t> paired;

    // Rebuilds the table when the arguments differ from the last build.
    // Returns true when it did. `first[i] + taps <= srcLen` holds whenever
    // srcLen >= taps; otherwise first[i] is 0 and readers must pad the source.
    bool update(int srcLen, int dstLen, int offset, int count, int tapAlign);

    // Makes this table the destination pixels [from, from + count) of
    // `whole` (indices into whole's table): the same first indices, taps and
    // weights, so a pixel computed through the slice is the pixel the whole
    // table gives, bit for bit.
    void slice(const AxisWeights& whole, int from, int count);

    // The destination pixels (indices into this table) whose taps reach
    // source pixels [srcFrom, srcTo): {first, end}, empty when none do.
    std::pair<int, int> reaching(int srcFrom, int srcTo) const;

private:
    void pairWeights();
};

}  // namespace vz
