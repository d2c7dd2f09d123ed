#include "core/transitions/frame_ops.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vz::transitions {

Pixels pixelsOf(QImage& image) {
    return {reinterpret_cast<uint32_t*>(image.bits()), int(image.bytesPerLine() / 4), image.width(), image.height()};
}

ConstPixels pixelsOf(const QImage& image) {
    return {reinterpret_cast<const uint32_t*>(image.constBits()), int(image.bytesPerLine() / 4), image.width(),
            image.height()};
}

int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const long long n = (long long)a * b;
    const long long half = std::llabs(c) / 2;
    const long long q =
        ((n < 0) != (c < 0)) ? -((std::llabs(n) + half) / std::llabs(c)) : (std::llabs(n) + half) / std::llabs(c);
    return int(q);
}

// ---------------------------------------------------------------- regions

SpanRegion::SpanRegion(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)), rows_(size_t(height_)), dirty_(size_t(height_), 0) {}

void SpanRegion::addSpan(int y, int x0, int x1) {
    if (y < 0 || y >= height_) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width_);
    if (x1 <= x0) return;
    auto& row = rows_[size_t(y)];
    if (!dirty_[size_t(y)]) {
        // Spans that arrive from left to right keep the row sorted and
        // disjoint without a later sort.
        if (row.empty() || row.back().x1 < x0) {
            row.push_back({x0, x1});
            return;
        }
        if (x0 >= row.back().x0) {
            row.back().x1 = std::max(row.back().x1, x1);
            return;
        }
    }
    row.push_back({x0, x1});
    dirty_[size_t(y)] = 1;
}

void SpanRegion::addRect(Rect r) {
    const int t = std::max(r.t, 0), b = std::min(r.b, height_);
    for (int y = t; y < b; ++y) addSpan(y, r.l, r.r);
}

namespace {
// Pixels whose centres lie strictly between a and b.
inline int firstInside(double a) { return int(std::floor(a - 0.5)) + 1; }
inline int endInside(double b) { return int(std::ceil(b - 0.5)); }
}  // namespace

void SpanRegion::addPolygon(const PointF* p, int n) {
    if (n < 3) return;
    double minY = p[0].y, maxY = p[0].y;
    for (int i = 1; i < n; ++i) {
        minY = std::min(minY, p[i].y);
        maxY = std::max(maxY, p[i].y);
    }
    const int y0 = std::max(0, int(std::floor(minY - 0.5)));
    const int y1 = std::min(height_, int(std::ceil(maxY + 0.5)));
    struct Crossing {
        double x;
        int dir;
    };
    std::vector<Crossing> xs;
    xs.reserve(size_t(n));
    for (int y = y0; y < y1; ++y) {
        const double yc = y + 0.5;
        xs.clear();
        for (int i = 0; i < n; ++i) {
            const PointF a = p[i], b = p[(i + 1) % n];
            if (a.y == b.y) continue;
            const bool down = a.y < b.y;
            const double lo = down ? a.y : b.y, hi = down ? b.y : a.y;
            if (yc < lo || yc >= hi) continue;
            const double x = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
            xs.push_back({x, down ? 1 : -1});
        }
        std::sort(xs.begin(), xs.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int winding = 0;
        double start = 0;
        for (const Crossing& c : xs) {
            const int before = winding;
            winding += c.dir;
            if (before == 0 && winding != 0)
                start = c.x;
            else if (before != 0 && winding == 0)
                addSpan(y, firstInside(start), endInside(c.x));
        }
    }
}

void SpanRegion::addRoundRect(Rect r, int ellipseWidth, int ellipseHeight) {
    if (r.empty()) return;
    const double rx = std::min(ellipseWidth, r.width()) / 2.0;
    const double ry = std::min(ellipseHeight, r.height()) / 2.0;
    const int t = std::max(r.t, 0), b = std::min(r.b, height_);
    for (int y = t; y < b; ++y) {
        const double yc = y + 0.5;
        double dy = 0;
        if (yc < r.t + ry)
            dy = r.t + ry - yc;
        else if (yc > r.b - ry)
            dy = yc - (r.b - ry);
        double dx = rx;
        if (dy > 0) {
            if (dy >= ry) continue;
            const double k = dy / ry;
            dx = rx * std::sqrt(1 - k * k);
        }
        addSpan(y, firstInside(r.l + rx - dx), endInside(r.r - rx + dx));
    }
}

void SpanRegion::addEllipse(double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return;
    const int t = std::max(0, int(std::floor(cy - ry))), b = std::min(height_, int(std::ceil(cy + ry)) + 1);
    for (int y = t; y < b; ++y) {
        const double k = (y + 0.5 - cy) / ry;
        if (k <= -1 || k >= 1) continue;
        const double dx = rx * std::sqrt(1 - k * k);
        addSpan(y, firstInside(cx - dx), endInside(cx + dx));
    }
}

void SpanRegion::normalise(int y) const {
    if (!dirty_[size_t(y)]) return;
    auto& row = rows_[size_t(y)];
    std::sort(row.begin(), row.end(), [](const Span& a, const Span& b) { return a.x0 < b.x0; });
    size_t out = 0;
    for (size_t i = 0; i < row.size(); ++i) {
        if (out > 0 && row[i].x0 <= row[out - 1].x1)
            row[out - 1].x1 = std::max(row[out - 1].x1, row[i].x1);
        else
            row[out++] = row[i];
    }
    row.resize(out);
    dirty_[size_t(y)] = 0;
}

const std::vector<SpanRegion::Span>& SpanRegion::row(int y) const {
    normalise(y);
    return rows_[size_t(y)];
}

bool SpanRegion::contains(int x, int y) const {
    if (y < 0 || y >= height_) return false;
    for (const Span& s : row(y))
        if (x >= s.x0 && x < s.x1) return true;
    return false;
}

template <class Op>
void SpanRegion::combine(const SpanRegion& other, Op op) {
    std::vector<int> edges;
    std::vector<Span> out;
    for (int y = 0; y < height_; ++y) {
        const auto& a = row(y);
        static const std::vector<Span> kEmpty;
        const auto& b = y < other.height_ ? other.row(y) : kEmpty;
        if (a.empty() && b.empty()) continue;
        edges.clear();
        edges.push_back(0);
        edges.push_back(width_);
        for (const Span& s : a) edges.insert(edges.end(), {s.x0, s.x1});
        for (const Span& s : b) edges.insert(edges.end(), {std::clamp(s.x0, 0, width_), std::clamp(s.x1, 0, width_)});
        std::sort(edges.begin(), edges.end());
        edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
        out.clear();
        size_t ia = 0, ib = 0;
        for (size_t i = 0; i + 1 < edges.size(); ++i) {
            const int x = edges[i];
            while (ia < a.size() && a[ia].x1 <= x) ++ia;
            while (ib < b.size() && b[ib].x1 <= x) ++ib;
            const bool inA = ia < a.size() && a[ia].x0 <= x;
            const bool inB = ib < b.size() && b[ib].x0 <= x;
            if (!op(inA, inB)) continue;
            if (!out.empty() && out.back().x1 == x)
                out.back().x1 = edges[i + 1];
            else
                out.push_back({x, edges[i + 1]});
        }
        rows_[size_t(y)] = out;
    }
}

void SpanRegion::unite(const SpanRegion& o) {
    combine(o, [](bool a, bool b) { return a || b; });
}
void SpanRegion::intersect(const SpanRegion& o) {
    combine(o, [](bool a, bool b) { return a && b; });
}
void SpanRegion::subtract(const SpanRegion& o) {
    combine(o, [](bool a, bool b) { return a && !b; });
}
void SpanRegion::symmetricDifference(const SpanRegion& o) {
    combine(o, [](bool a, bool b) { return a != b; });
}
void SpanRegion::invert() {
    SpanRegion all(width_, height_);
    all.addRect({0, 0, width_, height_});
    all.subtract(*this);
    *this = std::move(all);
}

// ---------------------------------------------------------------- copies

void paintRegion(const Pixels& target, const ConstPixels& source, const SpanRegion& region) {
    const int h = std::min({target.height, source.height, region.height()});
    for (int y = 0; y < h; ++y) region.row(y);  // normalise before sharing the rows
    forRows(h, (long long)h * target.width, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            uint32_t* t = target.row(y);
            const uint32_t* s = source.row(y);
            for (const auto& span : region.row(y)) {
                const int x1 = std::min({span.x1, target.width, source.width});
                if (x1 > span.x0) std::memcpy(t + span.x0, s + span.x0, size_t(x1 - span.x0) * 4);
            }
        }
    });
}

void copyRect(const Pixels& target, int x, int y, const ConstPixels& source, Rect from) {
    // Clip against the source, then against the target.
    if (from.l < 0) x -= from.l, from.l = 0;
    if (from.t < 0) y -= from.t, from.t = 0;
    from.r = std::min(from.r, source.width);
    from.b = std::min(from.b, source.height);
    if (x < 0) from.l -= x, x = 0;
    if (y < 0) from.t -= y, y = 0;
    from.r = std::min(from.r, from.l + target.width - x);
    from.b = std::min(from.b, from.t + target.height - y);
    if (from.empty()) return;
    const size_t bytes = size_t(from.width()) * 4;
    const int rows = from.height();
    const bool same = static_cast<const void*>(target.bits) == static_cast<const void*>(source.bits);
    if (same && y > from.t) {
        for (int i = rows - 1; i >= 0; --i) std::memmove(target.row(y + i) + x, source.row(from.t + i) + from.l, bytes);
        return;
    }
    if (same) {
        for (int i = 0; i < rows; ++i) std::memmove(target.row(y + i) + x, source.row(from.t + i) + from.l, bytes);
        return;
    }
    forRows(rows, (long long)rows * from.width(), [&](int i0, int i1) {
        for (int i = i0; i < i1; ++i) std::memcpy(target.row(y + i) + x, source.row(from.t + i) + from.l, bytes);
    });
}

namespace {
// Source index for each target index of a nearest-neighbour stretch of
// `srcLen` pixels over `dstLen`; target index i samples at its centre.
inline int nearest(int i, int srcLen, int dstLen) { return int(((2LL * i + 1) * srcLen) / (2LL * dstLen)); }
}  // namespace

void stretchRect(const Pixels& target, Rect to, const ConstPixels& source, Rect from, bool mirrorX, bool mirrorY) {
    if (to.empty() || from.empty()) return;
    const int x0 = std::max(to.l, 0), x1 = std::min(to.r, target.width);
    const int y0 = std::max(to.t, 0), y1 = std::min(to.b, target.height);
    if (x1 <= x0 || y1 <= y0) return;
    std::vector<int> xs(size_t(x1 - x0));
    const int sw = from.width(), dw = to.width();
    for (int x = x0; x < x1; ++x) {
        int j = nearest(x - to.l, sw, dw);
        if (mirrorX) j = sw - 1 - j;
        xs[size_t(x - x0)] = std::clamp(from.l + j, 0, source.width - 1);
    }
    const int sh = from.height(), dh = to.height();
    const bool identityX = !mirrorX && sw == dw && from.l - to.l + x0 >= 0 && from.l - to.l + x1 <= source.width;
    forRows(y1 - y0, (long long)(y1 - y0) * (x1 - x0), [&](int r0, int r1) {
        for (int y = y0 + r0; y < y0 + r1; ++y) {
            int j = nearest(y - to.t, sh, dh);
            if (mirrorY) j = sh - 1 - j;
            const uint32_t* s = source.row(std::clamp(from.t + j, 0, source.height - 1));
            uint32_t* t = target.row(y);
            if (identityX) {
                std::memcpy(t + x0, s + xs[0], size_t(x1 - x0) * 4);
                continue;
            }
            const int* map = xs.data();
            for (int x = x0; x < x1; ++x) t[x] = s[map[x - x0]];
        }
    });
}

// ---------------------------------------------------------------- random

uint32_t RandomGenerator::ahead(uint64_t steps) const {
    uint32_t mul = 1, add = 0;                    // accumulated map s -> mul*s + add
    uint32_t baseMul = 134775813u, baseAdd = 1u;  // one step
    while (steps) {
        if (steps & 1) {
            mul = baseMul * mul;
            add = baseMul * add + baseAdd;
        }
        baseAdd = baseMul * baseAdd + baseAdd;
        baseMul = baseMul * baseMul;
        steps >>= 1;
    }
    return mul * state + add;
}

// ---------------------------------------------------------------- blend

void blendRow(uint32_t* target, const uint32_t* oldRow, const uint32_t* newRow, int count, const int weights[4]) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i keep = _mm_setr_epi16(short(256 - weights[0]), short(256 - weights[1]), short(256 - weights[2]),
                                        short(256 - weights[3]), short(256 - weights[0]), short(256 - weights[1]),
                                        short(256 - weights[2]), short(256 - weights[3]));
    const __m128i take = _mm_setr_epi16(short(weights[0]), short(weights[1]), short(weights[2]), short(weights[3]),
                                        short(weights[0]), short(weights[1]), short(weights[2]), short(weights[3]));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4) {
        const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(oldRow + i));
        const __m128i n = _mm_loadu_si128(reinterpret_cast<const __m128i*>(newRow + i));
        __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(o, zero), keep),
                                   _mm_mullo_epi16(_mm_unpacklo_epi8(n, zero), take));
        __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(o, zero), keep),
                                   _mm_mullo_epi16(_mm_unpackhi_epi8(n, zero), take));
        lo = _mm_srli_epi16(lo, 8);
        hi = _mm_srli_epi16(hi, 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < count; ++i) {
        uint32_t out = 0;
        for (int c = 0; c < 4; ++c) {
            const uint32_t o = (oldRow[i] >> (8 * c)) & 0xff, n = (newRow[i] >> (8 * c)) & 0xff;
            out |= ((o * uint32_t(256 - weights[c]) + n * uint32_t(weights[c])) >> 8) << (8 * c);
        }
        target[i] = out;
    }
}

}  // namespace vz::transitions
