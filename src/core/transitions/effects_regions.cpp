// Curved, bar, uneven shred, speckle, polygon and cell families: each
// builds a span region and copies the new picture through it once.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "core/transitions/effects.h"

namespace vz::transitions {

namespace {

void paint(EffectFrame& f, const SpanRegion& region) { paintRegion(f.display, f.image, region); }

void addMapped(SpanRegion& region, const Orient& o, Rect r) { region.addRect(o.map(r)); }

void addPolygon(SpanRegion& region, const Orient& o, std::initializer_list<PointF> points) {
    std::vector<PointF> mapped;
    mapped.reserve(points.size());
    for (PointF p : points) mapped.push_back(o.map(p));
    region.addPolygon(mapped.data(), int(mapped.size()));
}

}  // namespace

// ---------------------------------------------------------------- curved

void curvedReveal(EffectFrame& f, const Canvas& c, CurveShape shape) {
    const int W = c.w, H = c.h, X = c.x, Y = c.y;
    SpanRegion region(f.w, f.h);
    auto roundRect = [&](Rect r, int ew, int eh) {
        if (c.o.swap) std::swap(ew, eh);
        region.addRoundRect(c.o.map(r), ew, eh);
    };
    switch (shape) {
        case CurveShape::Edge: roundRect({-2 * W, 0, 2 * X, H + 1}, 2 * W, 2 * W); break;
        case CurveShape::Corner: roundRect({-2 * W, -2 * H, 2 * X, 2 * Y}, 2 * W, 2 * H); break;
        case CurveShape::EllipseOut: {
            const int cx = W / 2, cy = H / 2;
            roundRect({cx - X, cy - Y, cx + X, cy + Y}, 9 * X / 5, 9 * Y / 5);
            break;
        }
        case CurveShape::EllipseIn: {
            const int cx = W / 2, cy = H / 2, a = W - X, b = H - Y;
            roundRect({cx - a, cy - b, cx + a, cy + b}, 9 * a / 5, 9 * b / 5);
            region.invert();
            break;
        }
    }
    paint(f, region);
}

// ---------------------------------------------------------------- bars

namespace {

// Bars of one direction: rows (canvas not swapped) or columns (swapped),
// of thickness e, revealed by `kind` up to the extent `a`.
void addBars(SpanRegion& region, const EffectFrame& f, bool columns, int kind, int a) {
    if (kind == 0) return;
    const Orient o{f.w, f.h, columns, false, false};
    const int W = o.cw(), H = o.ch();
    const int e = std::min(f.w, f.h) / 50 + 1;
    for (int k = 0; k * e < H; ++k) {
        const int t = k * e, b = std::min(H, t + e);
        const bool even = k % 2 == 0;
        if (a <= W) {
            if (kind == 3) {
                if (even)
                    addMapped(region, o, {W - a, t, W, b});
                else
                    addMapped(region, o, {0, t, a, b});
            } else if (even) {
                if (kind == 1 || kind == 5)
                    addMapped(region, o, {W - a, t, W, b});
                else
                    addMapped(region, o, {0, t, a, b});
            }
        } else if (kind != 3) {
            if (even)
                addMapped(region, o, {0, t, W, b});
            else if (kind == 1 || kind == 4)
                addMapped(region, o, {2 * W - a, t, W, b});
            else
                addMapped(region, o, {0, t, a - W, b});
        }
    }
}

}  // namespace

void bars(EffectFrame& f, int rowKind, int columnKind, bool full) {
    SpanRegion region(f.w, f.h);
    const int a = full ? f.x : 2 * f.x, b = full ? f.y : 2 * f.y;
    addBars(region, f, false, rowKind, a);
    addBars(region, f, true, columnKind, b);
    paint(f, region);
}

void crossedBars(EffectFrame& f) {
    SpanRegion first(f.w, f.h), second(f.w, f.h);
    addBars(first, f, false, 1, 2 * f.x);
    addBars(first, f, true, 1, 2 * f.y);
    addBars(second, f, false, 2, 2 * f.x);
    addBars(second, f, true, 2, 2 * f.y);
    first.intersect(second);
    paint(f, first);
}

// ---------------------------------------------------------------- shreds

namespace {

// The shreds' rectangles in picture coordinates, drawn in order.
void addShreds(std::vector<Rect>& rects, EffectFrame& f, bool columns, int kind) {
    if (kind == 0) return;
    const Canvas c = canvasOf(f, columns, false, false);
    const int W = c.w, H = c.h, X = c.x;
    const int e = std::min(f.w, f.h) / 200 + 1;
    const int reach = e + H % e;
    const int l = X < W ? W / 10 : 0;
    for (int t = 0; t < H; t += e) {
        const int r = X - l + f.random->below(2 * l);
        const int b = t + reach;
        switch (kind) {
            case 1: rects.push_back(c.o.map(Rect{W - r, t, W, b})); break;
            case 2: rects.push_back(c.o.map(Rect{0, t, r, b})); break;
            case 3: rects.push_back(c.o.map(Rect{W / 2 - r / 2, t, W / 2 + r / 2, b})); break;
            case 4:
                rects.push_back(c.o.map(Rect{0, t, r / 2, b}));
                rects.push_back(c.o.map(Rect{W - r / 2, t, W, b}));
                break;
        }
    }
}

}  // namespace

void unevenShred(EffectFrame& f, int rowKind, int columnKind) {
    std::vector<Rect> rects;
    addShreds(rects, f, false, rowKind);
    addShreds(rects, f, true, columnKind);
    // Added from left to right, every row's spans arrive in order and are
    // appended or merged as they come: no per-row sort of hundreds of
    // column shreds.
    std::stable_sort(rects.begin(), rects.end(), [](const Rect& a, const Rect& b) { return a.l < b.l; });
    SpanRegion region(f.w, f.h);
    for (const Rect& r : rects) region.addRect(r);
    paint(f, region);
}

// ---------------------------------------------------------------- speckle

void speckle(EffectFrame& f, const Canvas& c) {
    const int W = c.w, H = c.h, X = c.x;
    const int g = X < W ? W / 10 : 0;
    const int s = std::max(2, g / 20);
    const int n = g / s, l = 3 * g / (4 * s);
    SpanRegion region(f.w, f.h);
    addMapped(region, c.o, {W - X, 0, W, H});
    for (int t = 0; t < H; t += s / 2) {
        for (int i = n; i >= 1; --i) {
            const int v = f.random->below(i);
            if (i <= l ? v <= 1 : v == 0) addMapped(region, c.o, {W - X - s * i, t, W - X - s * i + s, t + s});
        }
    }
    paint(f, region);
}

// ---------------------------------------------------------------- polygons

namespace {

// The four triangles of the diagonal cross, pointing inward from the
// middles of the edges, for extents a (along x) and b (along y).
void addCrossTriangles(SpanRegion& region, const Orient& o, int W, int H, int a, int b) {
    const double cx = W / 2, cy = H / 2;
    addPolygon(region, o, {{cx - a / 2, 0}, {cx, double(b / 2)}, {cx + a / 2, 0}});
    addPolygon(region, o, {{cx - a / 2, double(H)}, {cx, double(H - b / 2)}, {cx + a / 2, double(H)}});
    addPolygon(region, o, {{0, cy - b / 2}, {double(a / 2), cy}, {0, cy + b / 2}});
    addPolygon(region, o, {{double(W), cy - b / 2}, {double(W - a / 2), cy}, {double(W), cy + b / 2}});
}

// The centred X x Y rectangle's corners turned by `angle` about (px, py).
void addTurned(SpanRegion& region, std::initializer_list<PointF> points, double px, double py, double angle) {
    std::vector<PointF> turned;
    const double cs = std::cos(angle), sn = std::sin(angle);
    for (PointF p : points) {
        const double dx = p.x - px, dy = p.y - py;
        turned.push_back({px + dx * cs - dy * sn, py + dx * sn + dy * cs});
    }
    region.addPolygon(turned.data(), int(turned.size()));
}

}  // namespace

void polygonReveal(EffectFrame& f, const Canvas& c, PolygonShape shape) {
    const int W = c.w, H = c.h, X = c.x, Y = c.y, P = f.progress;
    const double w = W, h = H, x = X, y = Y;
    const double cx = W / 2, cy = H / 2;
    const Orient& o = c.o;
    SpanRegion region(f.w, f.h);
    switch (shape) {
        case PolygonShape::Diagonal: addPolygon(region, o, {{0, 0}, {2 * x, 0}, {0, 2 * y}}); break;
        case PolygonShape::DiagonalSweep:
            addPolygon(region, o, {{0, h}, {0, 0}, {x, h}});
            addPolygon(region, o, {{w, h}, {w, 0}, {w - x, 0}});
            break;
        case PolygonShape::Starburst:
            addPolygon(region, o, {{cx, cy}, {0, 0}, {x, 0}});
            addPolygon(region, o, {{cx, cy}, {w, 0}, {w, y}});
            addPolygon(region, o, {{cx, cy}, {w, h}, {w - x, h}});
            addPolygon(region, o, {{cx, cy}, {0, h}, {0, h - y}});
            break;
        case PolygonShape::TriangleShred: {
            const int tw = W / 10 + 1, th = H / 10 + 1;
            const double dx = mulDiv(tw, P, 50), dy = mulDiv(th, P, 50);
            for (int ty = th; ty - 2 * th < H; ty += 2 * th)
                for (int tx = tw; tx - 2 * tw < W; tx += 2 * tw)
                    addPolygon(region, o, {{tx - dx, ty - dy}, {double(tx), ty + dy}, {tx + dx, ty - dy}});
            break;
        }
        case PolygonShape::SweepClockwise:
        case PolygonShape::SweepAnticlockwise: {
            // Clockwise from twelve o'clock; the negated angles run anticlockwise
            // from six o'clock (a mirror image across the line y = H div 2).
            const double sense = shape == PolygonShape::SweepClockwise ? 1 : -1;
            const double radius = std::ceil(std::sqrt(cx * cx + cy * cy));
            std::vector<PointF> points{o.map(PointF{cx, cy})};
            for (int k = 0; k < P; ++k) {
                const double angle = sense * (-std::numbers::pi / 2 + k * std::numbers::pi / 50);
                points.push_back(o.map(PointF{cx + radius * std::cos(angle), cy + radius * std::sin(angle)}));
            }
            region.addPolygon(points.data(), int(points.size()));
            break;
        }
        case PolygonShape::RotatingRectangle:
        case PolygonShape::RotatingStar:
        case PolygonShape::Spiral: {
            // The turning sense is fixed for the transition by the seed's parity.
            const double angle = (f.seed & 1 ? -1 : 1) * P * std::numbers::pi / 50;
            const double hx = X / 2, hy = Y / 2;
            if (shape == PolygonShape::RotatingStar) {
                addTurned(region,
                          {{cx - 2 * x, cy},
                           {cx - hx, cy - hy},
                           {cx, cy - 2 * y},
                           {cx + hx, cy - hy},
                           {cx + 2 * x, cy},
                           {cx + hx, cy + hy},
                           {cx, cy + 2 * y},
                           {cx - hx, cy + hy}},
                          cx, cy, angle);
            } else {
                const double px = shape == PolygonShape::Spiral ? x : cx, py = shape == PolygonShape::Spiral ? y : cy;
                addTurned(region, {{cx - hx, cy - hy}, {cx + hx, cy - hy}, {cx + hx, cy + hy}, {cx - hx, cy + hy}}, px,
                          py, angle);
            }
            break;
        }
        case PolygonShape::RevealV: addPolygon(region, o, {{0, cy - y}, {2 * x, cy}, {0, cy + y}}); break;
        case PolygonShape::BowTie:
            addPolygon(region, o, {{0, cy - y}, {x, cy}, {0, cy + y}});
            addPolygon(region, o, {{w, cy - y}, {w - x, cy}, {w, cy + y}});
            break;
        case PolygonShape::CrossIn: addCrossTriangles(region, o, W, H, X, Y); break;
        case PolygonShape::CrossOut:
            addCrossTriangles(region, o, W, H, W - X, H - Y);
            region.invert();
            break;
        case PolygonShape::Zigzag: {
            const int t = W / 10, zh = H / 10;
            const int shift = mulDiv(zh, P, 100) + Y / 2;
            std::vector<PointF> points;
            for (int k = 0; k <= 11; ++k)
                points.push_back(
                    o.map(PointF{double(k * t), double(k % 2 == 0 ? H / 2 + zh - shift : H / 2 - zh - shift)}));
            for (int k = 11; k >= 0; --k)
                points.push_back(
                    o.map(PointF{double(k * t), double(k % 2 == 0 ? H / 2 + zh + shift : H / 2 - zh + shift)}));
            region.addPolygon(points.data(), int(points.size()));
            break;
        }
        case PolygonShape::DiamondShred: {
            const int s = std::min(W, H) / 10 + 1;
            const double b = mulDiv(s, P, 50);
            for (int dy = s; dy - 2 * s < H; dy += 2 * s)
                for (int dx = s; dx - 2 * s < W; dx += 2 * s)
                    addPolygon(
                        region, o,
                        {{dx - b, double(dy)}, {double(dx), dy - b}, {dx + b, double(dy)}, {double(dx), dy + b}});
            break;
        }
        case PolygonShape::DiamondOut:
            addPolygon(region, o, {{cx - x, cy}, {cx, cy - y}, {cx + x, cy}, {cx, cy + y}});
            break;
        case PolygonShape::DiamondIn: {
            const double a = W - X, b = H - Y;
            addPolygon(region, o, {{cx - a, cy}, {cx, cy - b}, {cx + a, cy}, {cx, cy + b}});
            region.invert();
            break;
        }
        case PolygonShape::DiamondBox: {
            const double hx = X / 2, hy = Y / 2;
            addPolygon(region, o, {{-hx, cy}, {cx, -hy}, {w + hx, cy}, {cx, h + hy}});
            SpanRegion inner(f.w, f.h);
            addPolygon(inner, o, {{hx, cy}, {cx, hy}, {w - hx, cy}, {cx, h - hy}});
            region.symmetricDifference(inner);
            break;
        }
    }
    paint(f, region);
}

// ---------------------------------------------------------------- cells

void cells(EffectFrame& f, const Canvas& c, CellShape shape) {
    const int W = c.w, H = c.h, X = c.x, P = f.progress;
    SpanRegion region(f.w, f.h);
    auto firstPartOfPeriods = [&] {
        if (X <= 0) return;
        const int part = mulDiv(X, P, 100);
        for (int x = 0; x < W; x += X) addMapped(region, c.o, {x, 0, x + part, H});
    };
    switch (shape) {
        case CellShape::Blind: {
            const int period = (W / 40) * 2 + 2, m = W / 40 + 1, a = mulDiv(m, P, 100);
            for (int x = 0; x < W; x += period) addMapped(region, c.o, {x + m - a, 0, x + m + a, H});
            break;
        }
        case CellShape::UnevenBlind: firstPartOfPeriods(); break;
        case CellShape::SquareShred: {
            const int n = std::min(W, H) / 10 + 1, a = mulDiv(n, P, 100);
            for (int y = 0; y < H; y += 2 * n)
                for (int x = 0; x < W; x += 2 * n) region.addRect({x + n - a, y + n - a, x + n + a, y + n + a});
            break;
        }
        case CellShape::BandsAndColumns: {
            const int q = H / 20;
            if (q == 0 || X == 0) break;
            const int half = mulDiv(q, P, 100);
            for (int y = -q; y - half < H; y += 3 * q) addMapped(region, c.o, {0, y - half, W, y + half});
            firstPartOfPeriods();
            break;
        }
        case CellShape::CircleShred: {
            const int a = std::min(W, H) / 10 + 1;
            const double radius = mulDiv(3 * a, P, 200);
            for (int y = 0; y < H; y += 2 * a)
                for (int x = 0; x < W; x += 2 * a) region.addEllipse(x + a, y + a, radius, radius);
            break;
        }
    }
    paint(f, region);
}

}  // namespace vz::transitions
