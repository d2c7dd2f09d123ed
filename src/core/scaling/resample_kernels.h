#pragma once
// Row kernels of the resampler, one set per instruction set. Pixels are
// 32-bit with four 8-bit channels; all channels are treated alike.
//
// The horizontal pass turns one source row into an intermediate row of
// 16-bit channels holding value << 7 (so no precision is lost between the
// passes); the vertical pass combines intermediate rows into output pixels.

#include "core/scaling/resample_weights.h"
#include "core/scaling/resampler.h"

#include <cstdint>

namespace vz {

constexpr int kMidShift = 7;  // extra bits carried by the intermediate rows

// Horizontal pass: `out` receives w.paddedCount pixels of 4 channels.
// `src` must hold at least max(w.taps, w.srcLen) pixels.
using HorizontalPass = void (*)(const uint32_t* src, const AxisWeights& w, uint16_t* out);

// Vertical pass: out[x] for x in [0, width) from `taps` intermediate rows
// weighted by weights[0..taps); rows[taps] must be readable (any row: its
// weight is taken as 0 when taps is odd).
using VerticalPass = void (*)(const uint16_t* const* rows, const int16_t* weights, int taps, int width, uint32_t* out);

struct ResampleKernels {
    ResampleKernel kind;
    HorizontalPass horizontal;
    VerticalPass vertical;
};

// The kernels for `kind`; Auto picks the best the processor runs.
// Unsupported kinds fall back to the portable ones.
ResampleKernels resampleKernels(ResampleKernel kind);
bool resampleKernelSupported(ResampleKernel kind);

// The identity horizontal pass: widens `count` pixels.
void widenRow(const uint32_t* src, int count, uint16_t* out);

}  // namespace vz
