#include "core/scaling/resample_kernels.h"

#include <algorithm>

#if defined(__x86_64__) || defined(_M_X64)
#define VZ_RESAMPLE_X86 1
#include <immintrin.h>
#endif

namespace vz {

namespace {

constexpr int kOutShift = kWeightBits + kMidShift;
constexpr int32_t kMidRound = 1 << (kMidShift - 1);
constexpr int32_t kOutRound = 1 << (kOutShift - 1);

// Output pixels [from, width) the plain way; also the SIMD kernels' tail.
void verticalScalar(const uint16_t* const* rows, const int16_t* weights, int taps, int from, int width, uint32_t* out) {
    for (int x = from; x < width; ++x) {
        uint32_t pixel = 0;
        for (int c = 0; c < 4; ++c) {
            int32_t acc = kOutRound;
            for (int k = 0; k < taps; ++k) acc += int32_t(weights[k]) * rows[k][4 * x + c];
            pixel |= uint32_t(std::clamp(acc >> kOutShift, 0, 255)) << (8 * c);
        }
        out[x] = pixel;
    }
}

void horizontalPortable(const uint32_t* src, const AxisWeights& w, uint16_t* out) {
    const int n = w.taps;
    for (int i = 0; i < w.paddedCount; ++i) {
        const uint32_t* s = src + w.first[size_t(i)];
        const int16_t* wt = &w.weights[size_t(i) * size_t(n)];
        int32_t a0 = kMidRound, a1 = kMidRound, a2 = kMidRound, a3 = kMidRound;
        for (int k = 0; k < n; ++k) {
            const uint32_t p = s[k];
            const int32_t f = wt[k];
            a0 += f * int32_t(p & 255);
            a1 += f * int32_t((p >> 8) & 255);
            a2 += f * int32_t((p >> 16) & 255);
            a3 += f * int32_t(p >> 24);
        }
        out[4 * i + 0] = uint16_t(a0 >> kMidShift);
        out[4 * i + 1] = uint16_t(a1 >> kMidShift);
        out[4 * i + 2] = uint16_t(a2 >> kMidShift);
        out[4 * i + 3] = uint16_t(a3 >> kMidShift);
    }
}

void verticalPortable(const uint16_t* const* rows, const int16_t* weights, int taps, int width, uint32_t* out) {
    verticalScalar(rows, weights, taps, 0, width, out);
}

#ifdef VZ_RESAMPLE_X86

// Weight pair (w[k], w[k+1]) as one 32-bit lane value; w[k+1] is 0 past the end.
inline int32_t weightPair(const int16_t* weights, int k, int taps) {
    const uint16_t lo = uint16_t(weights[k]);
    const uint16_t hi = k + 1 < taps ? uint16_t(weights[k + 1]) : 0;
    return int32_t(uint32_t(lo) | (uint32_t(hi) << 16));
}

// --- SSE2: part of every x86-64 processor ---

// Four source pixels p0..p3 times weights: channel sums as 4 x int32.
inline __m128i sse2Taps4(const uint32_t* s, const int16_t* pairs01, const int16_t* pairs23) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i y = _mm_shuffle_epi32(x, _MM_SHUFFLE(3, 1, 2, 0));  // p0 p2 p1 p3
    const __m128i z = _mm_unpacklo_epi8(y, _mm_srli_si128(y, 8));     // bytes of p0/p1, then p2/p3, interleaved
    const __m128i lo = _mm_unpacklo_epi8(z, zero);
    const __m128i hi = _mm_unpackhi_epi8(z, zero);
    return _mm_add_epi32(_mm_madd_epi16(lo, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs01))),
                         _mm_madd_epi16(hi, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs23))));
}

// Two source pixels p0, p1 times weights: channel sums as 4 x int32.
inline __m128i sse2Taps2(const uint32_t* s, const int16_t* pair) {
    const __m128i x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s));
    const __m128i z = _mm_unpacklo_epi8(x, _mm_srli_si128(x, 4));  // bytes of p0 and p1 interleaved
    return _mm_madd_epi16(_mm_unpacklo_epi8(z, _mm_setzero_si128()),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(pair)));
}

void horizontalSse2TwoTaps(const uint32_t* src, const AxisWeights& w, uint16_t* out) {
    const __m128i round = _mm_set1_epi32(kMidRound);
    for (int i = 0; i < w.paddedCount; i += 2) {
        const int16_t* block = &w.paired[size_t(i / 2) * 16];
        const __m128i a0 = _mm_add_epi32(round, sse2Taps2(src + w.first[size_t(i)], block));
        const __m128i a1 = _mm_add_epi32(round, sse2Taps2(src + w.first[size_t(i) + 1], block + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i),
                         _mm_packs_epi32(_mm_srai_epi32(a0, kMidShift), _mm_srai_epi32(a1, kMidShift)));
    }
}

void horizontalSse2(const uint32_t* src, const AxisWeights& w, uint16_t* out) {
    if (w.taps == 2) return horizontalSse2TwoTaps(src, w, out);
    if (w.taps % 4 != 0) return horizontalPortable(src, w, out);
    const int pairs = w.taps / 2;
    const __m128i round = _mm_set1_epi32(kMidRound);
    for (int i = 0; i < w.paddedCount; i += 2) {
        const int16_t* block = &w.paired[size_t(i / 2) * size_t(pairs) * 16];
        const uint32_t* s0 = src + w.first[size_t(i)];
        const uint32_t* s1 = src + w.first[size_t(i) + 1];
        __m128i a0 = round, a1 = round;
        for (int q = 0; q < pairs; q += 2) {
            const int16_t* b = block + q * 16;
            a0 = _mm_add_epi32(a0, sse2Taps4(s0 + 2 * q, b, b + 16));
            a1 = _mm_add_epi32(a1, sse2Taps4(s1 + 2 * q, b + 8, b + 24));
        }
        a0 = _mm_srai_epi32(a0, kMidShift);
        a1 = _mm_srai_epi32(a1, kMidShift);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), _mm_packs_epi32(a0, a1));
    }
}

void verticalSse2(const uint16_t* const* rows, const int16_t* weights, int taps, int width, uint32_t* out) {
    const __m128i round = _mm_set1_epi32(kOutRound);
    const int blocks = width / 2;  // two pixels, eight channels per step
    for (int b = 0; b < blocks; ++b) {
        const size_t at = size_t(b) * 8;
        __m128i lo = round, hi = round;
        for (int k = 0; k < taps; k += 2) {
            const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + at));
            const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k + 1] + at));
            const __m128i wp = _mm_set1_epi32(weightPair(weights, k, taps));
            lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(r0, r1), wp));
            hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(r0, r1), wp));
        }
        const __m128i words = _mm_packs_epi32(_mm_srai_epi32(lo, kOutShift), _mm_srai_epi32(hi, kOutShift));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 2 * b), _mm_packus_epi16(words, words));
    }
    verticalScalar(rows, weights, taps, blocks * 2, width, out);
}

// --- AVX2 ---

// Four pixels from `a` in the low lane, four from `b` in the high one.
__attribute__((target("avx2"))) inline __m256i load2(const uint32_t* a, const uint32_t* b) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
}

// kTaps > 0: the tap count known at compile time (the common small ones),
// so the tap loop unrolls; 0: taken from the table.
template <int kTaps>
__attribute__((target("avx2"))) void horizontalAvx2Taps(const uint32_t* src, const AxisWeights& w, uint16_t* out) {
    const int taps = kTaps > 0 ? kTaps : w.taps;
    const int pairs = taps / 2;
    // Per 128-bit lane: interleave the bytes of pixels 0 and 1 (then 2 and 3)
    // into 16-bit values, channel by channel.
    const __m256i pick01 = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1,  //
                                            0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const __m256i pick23 = _mm256_setr_epi8(8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1,  //
                                            8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1);
    const __m256i round = _mm256_set1_epi32(kMidRound);
    const int* first = w.first.data();
    const int16_t* paired = w.paired.data();
    for (int i = 0; i < w.paddedCount; i += 4) {
        const int16_t* blockA = paired + size_t(i / 2) * size_t(pairs) * 16;
        const int16_t* blockB = blockA + size_t(pairs) * 16;
        const uint32_t* s0 = src + first[i];
        const uint32_t* s1 = src + first[i + 1];
        const uint32_t* s2 = src + first[i + 2];
        const uint32_t* s3 = src + first[i + 3];
        __m256i accA = round, accB = round;  // lanes: pixels i, i+1 and i+2, i+3
        for (int q = 0; q < pairs; q += 2) {
            const __m256i xa = load2(s0 + 2 * q, s1 + 2 * q);
            const __m256i xb = load2(s2 + 2 * q, s3 + 2 * q);
            const __m256i* wa = reinterpret_cast<const __m256i*>(blockA + q * 16);
            const __m256i* wb = reinterpret_cast<const __m256i*>(blockB + q * 16);
            accA = _mm256_add_epi32(accA, _mm256_madd_epi16(_mm256_shuffle_epi8(xa, pick01), _mm256_loadu_si256(wa)));
            accA =
                _mm256_add_epi32(accA, _mm256_madd_epi16(_mm256_shuffle_epi8(xa, pick23), _mm256_loadu_si256(wa + 1)));
            accB = _mm256_add_epi32(accB, _mm256_madd_epi16(_mm256_shuffle_epi8(xb, pick01), _mm256_loadu_si256(wb)));
            accB =
                _mm256_add_epi32(accB, _mm256_madd_epi16(_mm256_shuffle_epi8(xb, pick23), _mm256_loadu_si256(wb + 1)));
        }
        accA = _mm256_srai_epi32(accA, kMidShift);
        accB = _mm256_srai_epi32(accB, kMidShift);
        // Lanes after packing: (i, i+2) (i+1, i+3); put them in order.
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(accA, accB), _MM_SHUFFLE(3, 1, 2, 0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i), packed);
    }
}

// Two taps: the two source pixels of four destination pixels fill one
// register, pixels i and i+2 in the low lane, i+1 and i+3 in the high one.
__attribute__((target("avx2"))) void horizontalAvx2TwoTaps(const uint32_t* src, const AxisWeights& w, uint16_t* out) {
    const __m256i pickLow = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1,  //
                                             0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const __m256i pickHigh = _mm256_setr_epi8(8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1,  //
                                              8, -1, 12, -1, 9, -1, 13, -1, 10, -1, 14, -1, 11, -1, 15, -1);
    const __m256i round = _mm256_set1_epi32(kMidRound);
    const int* first = w.first.data();
    const int16_t* paired = w.paired.data();
    auto load = [](const uint32_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); };
    for (int i = 0; i < w.paddedCount; i += 4) {
        const __m128i low = _mm_unpacklo_epi64(load(src + first[i]), load(src + first[i + 2]));
        const __m128i high = _mm_unpacklo_epi64(load(src + first[i + 1]), load(src + first[i + 3]));
        const __m256i x = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
        const __m256i* wt = reinterpret_cast<const __m256i*>(paired + size_t(i / 2) * 16);
        __m256i accA =
            _mm256_add_epi32(round, _mm256_madd_epi16(_mm256_shuffle_epi8(x, pickLow), _mm256_loadu_si256(wt)));
        __m256i accB =
            _mm256_add_epi32(round, _mm256_madd_epi16(_mm256_shuffle_epi8(x, pickHigh), _mm256_loadu_si256(wt + 1)));
        accA = _mm256_srai_epi32(accA, kMidShift);
        accB = _mm256_srai_epi32(accB, kMidShift);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(accA, accB), _MM_SHUFFLE(3, 1, 2, 0));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i), packed);
    }
}

__attribute__((target("avx2"))) void horizontalAvx2(const uint32_t* src, const AxisWeights& w, uint16_t* out) {
    switch (w.taps) {
        case 2: return horizontalAvx2TwoTaps(src, w, out);
        case 4: return horizontalAvx2Taps<4>(src, w, out);
        case 8: return horizontalAvx2Taps<8>(src, w, out);
        default:
            if (w.taps % 4 != 0) return horizontalPortable(src, w, out);
            return horizontalAvx2Taps<0>(src, w, out);
    }
}

__attribute__((target("avx2"))) void verticalAvx2(const uint16_t* const* rows, const int16_t* weights, int taps,
                                                  int width, uint32_t* out) {
    const __m256i round = _mm256_set1_epi32(kOutRound);
    const int blocks = width / 4;  // four pixels, sixteen channels per step
    for (int b = 0; b < blocks; ++b) {
        const size_t at = size_t(b) * 16;
        __m256i lo = round, hi = round;
        for (int k = 0; k < taps; k += 2) {
            const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k] + at));
            const __m256i r1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[k + 1] + at));
            const __m256i wp = _mm256_set1_epi32(weightPair(weights, k, taps));
            lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(r0, r1), wp));
            hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(r0, r1), wp));
        }
        // Unpacking and packing work per lane, so the channel order survives.
        const __m256i words = _mm256_packs_epi32(_mm256_srai_epi32(lo, kOutShift), _mm256_srai_epi32(hi, kOutShift));
        const __m256i bytes = _mm256_packus_epi16(words, words);
        const __m256i ordered = _mm256_permute4x64_epi64(bytes, _MM_SHUFFLE(3, 1, 2, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * b), _mm256_castsi256_si128(ordered));
    }
    verticalScalar(rows, weights, taps, blocks * 4, width, out);
}

bool cpuHasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif  // VZ_RESAMPLE_X86

}  // namespace

bool resampleKernelSupported(ResampleKernel kind) {
    switch (kind) {
        case ResampleKernel::Auto:
        case ResampleKernel::Portable: return true;
#ifdef VZ_RESAMPLE_X86
        case ResampleKernel::Sse2: return true;
        case ResampleKernel::Avx2: return cpuHasAvx2();
#else
        case ResampleKernel::Sse2:
        case ResampleKernel::Avx2: return false;
#endif
    }
    return false;
}

ResampleKernels resampleKernels(ResampleKernel kind) {
#ifdef VZ_RESAMPLE_X86
    if (kind == ResampleKernel::Auto) kind = cpuHasAvx2() ? ResampleKernel::Avx2 : ResampleKernel::Sse2;
    if (kind == ResampleKernel::Avx2 && cpuHasAvx2()) return {kind, horizontalAvx2, verticalAvx2};
    if (kind == ResampleKernel::Sse2) return {kind, horizontalSse2, verticalSse2};
#endif
    return {ResampleKernel::Portable, horizontalPortable, verticalPortable};
}

void widenRow(const uint32_t* src, int count, uint16_t* out) {
    for (int i = 0; i < count; ++i) {
        const uint32_t p = src[i];
        out[4 * i + 0] = uint16_t((p & 255) << kMidShift);
        out[4 * i + 1] = uint16_t(((p >> 8) & 255) << kMidShift);
        out[4 * i + 2] = uint16_t(((p >> 16) & 255) << kMidShift);
        out[4 * i + 3] = uint16_t((p >> 24) << kMidShift);
    }
}

}  // namespace vz
