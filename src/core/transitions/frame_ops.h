#pragma once
// Building blocks of the transition effects: 32-bit pixel views, integer
// rectangles, the orientation that turns one drawn member of a family into
// its mirrored or transposed siblings, span regions, block copies, nearest
// neighbour stretches and the random generator the effects use.

#include <cstddef>
#include <cstdint>
#include <vector>

class QImage;

namespace vz::transitions {

// A view of 32-bit pixels; rows are `stride` pixels apart.
struct Pixels {
    uint32_t* bits = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    uint32_t* row(int y) const { return bits + std::ptrdiff_t(y) * stride; }
};
struct ConstPixels {
    const uint32_t* bits = nullptr;
    int stride = 0;
    int width = 0;
    int height = 0;
    const uint32_t* row(int y) const { return bits + std::ptrdiff_t(y) * stride; }
};

// Views of a 32-bit QImage (Format_RGB32 or ARGB32 variants); the image must
// already be detached for the writable view.
Pixels pixelsOf(QImage& image);
ConstPixels pixelsOf(const QImage& image);

// (left, top, right, bottom), right and bottom excluded.
struct Rect {
    int l = 0, t = 0, r = 0, b = 0;
    int width() const { return r - l; }
    int height() const { return b - t; }
    bool empty() const { return r <= l || b <= t; }
};

struct PointF {
    double x = 0, y = 0;
};

// Rounded a * b / c (halves away from zero), for progress arithmetic.
int mulDiv(int a, int b, int c);
// Integer division toward zero.
inline int idiv(int a, int b) { return b == 0 ? 0 : a / b; }

// Maps the coordinates of a family's drawn member onto one of its siblings:
// first x and y exchange (with W/H and X/Y), then mirroring across the
// vertical and/or horizontal centre line of the picture.
struct Orient {
    int W = 0, H = 0;  // the real picture
    bool swap = false, flipX = false, flipY = false;

    int cw() const { return swap ? H : W; }
    int ch() const { return swap ? W : H; }
    Rect map(Rect a) const {
        if (swap) a = {a.t, a.l, a.b, a.r};
        if (flipX) a = {W - a.r, a.t, W - a.l, a.b};
        if (flipY) a = {a.l, H - a.b, a.r, H - a.t};
        return a;
    }
    PointF map(PointF p) const {
        if (swap) p = {p.y, p.x};
        if (flipX) p.x = W - p.x;
        if (flipY) p.y = H - p.y;
        return p;
    }
};

// A pixel set kept as sorted, disjoint [x0, x1) spans per row, clipped to
// the picture. Shapes are added in any order; combining and painting
// normalise the rows first.
class SpanRegion {
public:
    struct Span {
        int x0, x1;
    };

    SpanRegion(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }

    void addSpan(int y, int x0, int x1);
    void addRect(Rect r);
    // Pixels whose centres lie strictly inside the polygon (non-zero winding).
    void addPolygon(const PointF* points, int count);
    // Pixels whose centres lie strictly inside the rectangle with corners
    // rounded by quarter ellipses of the given full width and height (each
    // limited to the rectangle's size); an ellipse when they equal its size.
    void addRoundRect(Rect r, int ellipseWidth, int ellipseHeight);
    void addEllipse(double cx, double cy, double rx, double ry);

    void unite(const SpanRegion& other);
    void intersect(const SpanRegion& other);
    void subtract(const SpanRegion& other);
    void symmetricDifference(const SpanRegion& other);
    // Everything in the picture that is not in the region.
    void invert();

    const std::vector<Span>& row(int y) const;
    bool contains(int x, int y) const;

private:
    void normalise(int y) const;
    template <class Op>
    void combine(const SpanRegion& other, Op op);

    int width_, height_;
    mutable std::vector<std::vector<Span>> rows_;
    mutable std::vector<char> dirty_;
};

// Copies `source`'s pixels of the region into `target` at the same places.
void paintRegion(const Pixels& target, const ConstPixels& source, const SpanRegion& region);

// Copies source's `from` rectangle so that its top-left corner lands at
// (x, y) in target; clipped to both. Source and target may be the same
// pixels (overlap is handled).
void copyRect(const Pixels& target, int x, int y, const ConstPixels& source, Rect from);

// Nearest-neighbour stretch of source's `from` into target's `to`; `to` may
// reach outside the target (clipped). mirrorX/mirrorY reverse the picture.
// Source must not be the target.
void stretchRect(const Pixels& target, Rect to, const ConstPixels& source, Rect from, bool mirrorX = false,
                 bool mirrorY = false);

// Splits rows [0, height) over the shared row workers when the work is large.
template <class Fn>
void forRows(int height, long long pixels, Fn&& fn);

// The linear congruential generator of the effects: state * 134775813 + 1
// (mod 2^32); below(n) gives 0..n-1 from the high bits.
struct RandomGenerator {
    uint32_t state = 0;
    uint32_t next() { return state = state * 134775813u + 1u; }
    int below(int n) { return n <= 0 ? (next(), 0) : int((uint64_t(next()) * uint32_t(n)) >> 32); }
    // The state after `steps` more steps, without taking them.
    uint32_t ahead(uint64_t steps) const;
};

// Per-channel blend of old toward new: (old * (256 - a) + new * a) >> 8 with
// a separate weight per byte (blue, green, red, alpha), weights 0..256.
void blendRow(uint32_t* target, const uint32_t* oldRow, const uint32_t* newRow, int count, const int weights[4]);

}  // namespace vz::transitions

#include "core/transitions/frame_ops_impl.h"
