// Fade, channel mix, pivot, random cells, dissolve and pixelate: pixel
// arithmetic on 32-bit rows, split over the row workers.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/transitions/effects.h"

namespace vz::transitions {

namespace {

void blendWhole(EffectFrame& f, const int weights[4]) {
    forRows(f.h, (long long)f.w * f.h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) blendRow(f.display.row(y), f.display.row(y), f.image.row(y), f.w, weights);
    });
}

}  // namespace

void fade(EffectFrame& f) {
    const int a = mulDiv(256, f.progress, 100);
    const int weights[4] = {a, a, a, a};
    blendWhole(f, weights);
}

void channelMix(EffectFrame& f) {
    RandomGenerator g{f.seed};
    const int first = g.below(3);
    int second = g.below(2);
    if (second >= first) ++second;
    const int third = 3 - first - second;
    const int P = f.progress;
    int weights[4] = {0, 0, 0, 0};
    if (P <= 33) {
        weights[first] = mulDiv(256, P, 33);
    } else if (P <= 66) {
        weights[first] = 256;
        weights[second] = mulDiv(256, P - 33, 33);
    } else {
        weights[first] = weights[second] = 256;
        weights[third] = mulDiv(256, P - 66, 33);
    }
    blendWhole(f, weights);
}

namespace {

// The x range [lo, hi) within [0, n) where floor((a + x*d) / 65536) lies in
// [0, limit): an interval, since the value is linear in x.
void clipLinear(long long a, long long d, long long limit, int n, int& lo, int& hi) {
    const long long top = limit * 65536 - 1;  // largest fixed-point value inside
    auto floorDiv = [](long long p, long long q) { return p / q - ((p % q != 0) && ((p < 0) != (q < 0))); };
    auto ceilDiv = [&](long long p, long long q) { return -floorDiv(-p, q); };
    long long first = 0, last = n - 1;
    if (d == 0) {
        if (a < 0 || a > top) first = 1, last = 0;
    } else if (d > 0) {
        first = std::max(first, ceilDiv(-a, d));
        last = std::min(last, floorDiv(top - a, d));
    } else {
        first = std::max(first, ceilDiv(top - a, d));
        last = std::min(last, floorDiv(-a, d));
    }
    lo = std::max(lo, int(std::clamp(first, 0LL, (long long)n)));
    hi = std::min(hi, int(std::clamp(last + 1, 0LL, (long long)n)));
}

}  // namespace

void pivot(EffectFrame& f, const Canvas& c) {
    // Destination pixels are turned back by the angle about the corner
    // (16.16 fixed point) and take the new picture's pixel found there.
    // Each row's pixels that land inside the picture form one interval,
    // found by arithmetic, so the inner loop tests nothing.
    const double angle = (100 - f.progress) * std::numbers::pi / 200;
    const long long cs = (long long)(std::cos(angle) * 65536), sn = (long long)(std::sin(angle) * 65536);
    const int W = f.w, H = f.h;
    const bool fx = c.o.flipX, fy = c.o.flipY;
    const long long step = fx ? -1 : 1;
    const long long dsx = step * cs, dsy = step * sn;
    const uint32_t* const bits = f.image.bits;
    const long long stride = f.image.stride;
    forRows(H, (long long)W * H, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const long long cy = fy ? H - 1 - y : y;
            const long long cx = fx ? W - 1 : 0;
            const long long sx0 = cx * cs - cy * sn, sy0 = cx * sn + cy * cs;
            int x0 = 0, x1 = W;
            clipLinear(sx0, dsx, W, W, x0, x1);
            clipLinear(sy0, dsy, H, W, x0, x1);
            uint32_t* out = f.display.row(y);
            long long sxf = sx0 + x0 * dsx, syf = sy0 + x0 * dsy;
            for (int x = x0; x < x1; ++x, sxf += dsx, syf += dsy) {
                const long long sx = sxf >> 16, sy = syf >> 16;
                const long long rx = fx ? W - 1 - sx : sx, ry = fy ? H - 1 - sy : sy;
                out[x] = bits[ry * stride + rx];
            }
        }
    });
}

void randomCells(EffectFrame& f, RandomUnit unit) {
    // Seeded for the transition: every frame draws the same numbers, so a
    // cell shown once stays shown as the progress grows.
    RandomGenerator g{f.seed};
    const int P = f.progress, W = f.w, H = f.h;
    switch (unit) {
        case RandomUnit::Squares: {
            const int c = (std::min(W, H) / 50) * 2 + 2;
            SpanRegion region(W, H);
            for (int x = 0; x < W; x += c)
                for (int y = 0; y < H; y += c)
                    if (g.below(100) < P) region.addRect({x, y, x + c, y + c});
            paintRegion(f.display, f.image, region);
            break;
        }
        case RandomUnit::Rows: {
            SpanRegion region(W, H);
            for (int y = 0; y < H; ++y)
                if (g.below(100) < P) region.addSpan(y, 0, W);
            paintRegion(f.display, f.image, region);
            break;
        }
        case RandomUnit::Columns: {
            // Every row has the same runs of revealed columns.
            std::vector<SpanRegion::Span> runs;
            for (int x = 0; x < W; ++x) {
                if (g.below(100) >= P) continue;
                if (!runs.empty() && runs.back().x1 == x)
                    ++runs.back().x1;
                else
                    runs.push_back({x, x + 1});
            }
            forRows(H, (long long)W * H, [&](int y0, int y1) {
                for (int y = y0; y < y1; ++y) {
                    uint32_t* out = f.display.row(y);
                    const uint32_t* in = f.image.row(y);
                    for (const auto& run : runs) std::copy(in + run.x0, in + run.x1, out + run.x0);
                }
            });
            break;
        }
        case RandomUnit::Pixels: {
            // below(100) < P exactly when the state is below ceil(P * 2^32 / 100).
            const uint32_t limit = uint32_t(((uint64_t(P) << 32) + 99) / 100);
            constexpr int kLanes = 8;
            // The map of eight steps: s -> mul8 * s + add8.
            const uint32_t add8 = RandomGenerator{0}.ahead(kLanes);
            const uint32_t mul8 = RandomGenerator{1}.ahead(kLanes) - add8;
            forRows(H, (long long)W * H, [&](int y0, int y1) {
                for (int y = y0; y < y1; ++y) {
                    uint32_t lanes[kLanes];
                    for (int j = 0; j < kLanes; ++j) lanes[j] = g.ahead(uint64_t(y) * W + j + 1);
                    uint32_t* out = f.display.row(y);
                    const uint32_t* in = f.image.row(y);
                    int x = 0;
                    for (; x + kLanes <= W; x += kLanes) {
                        for (int j = 0; j < kLanes; ++j) {
                            const uint32_t mask = 0u - uint32_t(lanes[j] < limit);
                            out[x + j] = (in[x + j] & mask) | (out[x + j] & ~mask);
                            lanes[j] = lanes[j] * mul8 + add8;
                        }
                    }
                    for (int j = 0; x < W; ++x, ++j)
                        if (lanes[j] < limit) out[x] = in[x];
                }
            });
            break;
        }
    }
}

// ---------------------------------------------------------------- pixelate

namespace {

// A blocky zoom into the middle of `source`: at phase t (0 = plain) the
// view is magnified 1 + t times and drawn in blocks that grow with t.
void renderBlocks(const Pixels& target, const ConstPixels& source, double t) {
    const int W = target.width, H = target.height;
    const int block = std::max(1, 1 + int(t * t * std::min(W, H) / 12));
    const double zoom = 1 + t;
    forRows((H + block - 1) / block, (long long)W * H, [&](int b0, int b1) {
        for (int by = b0; by < b1; ++by) {
            const int top = by * block, bottom = std::min(H, top + block);
            const double yc = (top + bottom) / 2.0;
            const int sy = std::clamp(int(H / 2.0 + (yc - H / 2.0) / zoom), 0, H - 1);
            const uint32_t* in = source.row(sy);
            uint32_t* out = target.row(top);
            for (int left = 0; left < W; left += block) {
                const int right = std::min(W, left + block);
                const double xc = (left + right) / 2.0;
                const int sx = std::clamp(int(W / 2.0 + (xc - W / 2.0) / zoom), 0, W - 1);
                std::fill(out + left, out + right, in[sx]);
            }
            for (int y = top + 1; y < bottom; ++y) std::copy(out, out + W, target.row(y));
        }
    });
}

}  // namespace

void pixelate(EffectFrame& f) {
    // The old picture zooms in and breaks into blocks up to the middle of
    // the transition, the new one comes out of its blocks after it; the two
    // cross-fade between 41 and 59.
    const int P = f.progress;
    const double tOld = P / 50.0, tNew = (100 - P) / 50.0;
    if (P <= 40) {
        const ConstPixels old = snapshotOf(f.display);
        renderBlocks(f.display, old, tOld);
        return;
    }
    if (P >= 60) {
        renderBlocks(f.display, f.image, tNew);
        return;
    }
    const ConstPixels old = snapshotOf(f.display, 0);
    thread_local std::vector<uint32_t> newBlocks;
    newBlocks.resize(size_t(f.w) * f.h);
    Pixels fresh{newBlocks.data(), f.w, f.w, f.h};
    renderBlocks(f.display, old, tOld);
    renderBlocks(fresh, f.image, tNew);
    const int a = mulDiv(256, P - 40, 20);
    const int weights[4] = {a, a, a, a};
    forRows(f.h, (long long)f.w * f.h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) blendRow(f.display.row(y), f.display.row(y), fresh.row(y), f.w, weights);
    });
}

}  // namespace vz::transitions
