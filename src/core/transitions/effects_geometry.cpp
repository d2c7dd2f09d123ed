// Stretch, slide in, reveal, expand in, unroll, build up, push and slide out.
#include <algorithm>
#include <vector>

#include "core/transitions/effects.h"

namespace vz::transitions {

Canvas canvasOf(const EffectFrame& f, bool swap, bool flipX, bool flipY) {
    Canvas c{{f.w, f.h, swap, flipX, flipY}, f.w, f.h, f.x, f.y};
    if (swap) {
        std::swap(c.w, c.h);
        std::swap(c.x, c.y);
    }
    return c;
}

ConstPixels snapshotOf(const Pixels& display, int slot) {
    thread_local std::vector<uint32_t> scratch[2];
    auto& buf = scratch[slot & 1];
    const size_t n = size_t(display.width) * size_t(display.height);
    if (buf.size() < n) buf.resize(n);
    Pixels copy{buf.data(), display.width, display.width, display.height};
    copyRect(copy, 0, 0, {display.bits, display.stride, display.width, display.height},
             {0, 0, display.width, display.height});
    return {copy.bits, copy.stride, copy.width, copy.height};
}

namespace {

ConstPixels asSource(const Pixels& p) { return {p.bits, p.stride, p.width, p.height}; }

// Image's `from` (canonical) into `to` (canonical): a copy when the sizes
// agree, else a nearest-neighbour stretch.
void place(EffectFrame& f, const Canvas& c, Rect to, Rect from) {
    const Rect t = c.o.map(to), s = c.o.map(from);
    if (t.width() == s.width() && t.height() == s.height())
        copyRect(f.display, t.l, t.t, f.image, s);
    else
        stretchRect(f.display, t, f.image, s);
}

void revealRect(EffectFrame& f, const Canvas& c, Rect r) { place(f, c, r, r); }

}  // namespace

void stretchInto(EffectFrame& f, const Canvas& c, StretchShape shape) {
    const int W = c.w, H = c.h, X = c.x, Y = c.y;
    const Rect all{0, 0, W, H};
    switch (shape) {
        case StretchShape::Edge: place(f, c, {W - X, 0, W, H}, all); break;
        case StretchShape::Middle: place(f, c, {(W - X) / 2, 0, (W - X) / 2 + X, H}, all); break;
        case StretchShape::Sides:
            place(f, c, {0, 0, X / 2, H}, {0, 0, W / 2, H});
            place(f, c, {W - X / 2, 0, W, H}, {W / 2, 0, W, H});
            break;
        case StretchShape::Corner: place(f, c, {W - X, H - Y, W, H}, all); break;
        case StretchShape::Centre:
            place(f, c, {(W - X) / 2, (H - Y) / 2, (W - X) / 2 + X, (H - Y) / 2 + Y}, all);
            break;
        case StretchShape::Quarters: {
            const int qw = W / 2, qh = H / 2, hx = X / 2, hy = Y / 2;
            place(f, c, {0, 0, hx, hy}, {0, 0, qw, qh});
            place(f, c, {W - hx, 0, W, hy}, {qw, 0, W, qh});
            place(f, c, {0, H - hy, hx, H}, {0, qh, qw, H});
            place(f, c, {W - hx, H - hy, W, H}, {qw, qh, W, H});
            break;
        }
    }
}

void slideIn(EffectFrame& f, const Canvas& c, SlideShape shape) {
    const int W = c.w, H = c.h, X = c.x, Y = c.y;
    switch (shape) {
        case SlideShape::Edge: place(f, c, {W - X, 0, 2 * W - X, H}, {0, 0, W, H}); break;
        case SlideShape::Corner: place(f, c, {W - X, H - Y, 2 * W - X, 2 * H - Y}, {0, 0, W, H}); break;
        case SlideShape::Quarters: {
            // Each quarter moves within its own quarter of the picture: the
            // top-left one from the left, top-right from the top, bottom-right
            // from the right, bottom-left from the bottom.
            const int qw = W / 2, qh = H / 2;
            struct Move {
                Rect quarter;
                int dx, dy;
            };
            const Move moves[4] = {{{0, 0, qw, qh}, X / 2 - qw, 0},
                                   {{qw, 0, W, qh}, 0, Y / 2 - qh},
                                   {{qw, qh, W, H}, (W - qw) - X / 2, 0},
                                   {{0, qh, qw, H}, 0, (H - qh) - Y / 2}};
            for (const Move& m : moves) {
                const Rect q = m.quarter;
                const Rect to{std::max(q.l, q.l + m.dx), std::max(q.t, q.t + m.dy), std::min(q.r, q.r + m.dx),
                              std::min(q.b, q.b + m.dy)};
                if (to.empty()) continue;
                place(f, c, to, {to.l - m.dx, to.t - m.dy, to.r - m.dx, to.b - m.dy});
            }
            break;
        }
    }
}

void reveal(EffectFrame& f, const Canvas& c, RevealShape shape) {
    const int W = c.w, H = c.h, X = c.x, Y = c.y, hx = X / 2, hy = Y / 2;
    switch (shape) {
        case RevealShape::Edge: revealRect(f, c, {0, 0, X, H}); break;
        case RevealShape::Middle: revealRect(f, c, {(W - X) / 2, 0, (W - X) / 2 + X, H}); break;
        case RevealShape::Sides:
            revealRect(f, c, {0, 0, hx, H});
            revealRect(f, c, {W - hx, 0, W, H});
            break;
        case RevealShape::Corner: revealRect(f, c, {0, 0, X, Y}); break;
        case RevealShape::Centre: revealRect(f, c, {(W - X) / 2, (H - Y) / 2, (W - X) / 2 + X, (H - Y) / 2 + Y}); break;
        case RevealShape::Outside:
            revealRect(f, c, {0, 0, W, hy});
            revealRect(f, c, {0, H - hy, W, H});
            revealRect(f, c, {0, hy, hx, H - hy});
            revealRect(f, c, {W - hx, hy, W, H - hy});
            break;
        case RevealShape::Quarters:
            revealRect(f, c, {0, 0, hx, hy});
            revealRect(f, c, {W - hx, 0, W, hy});
            revealRect(f, c, {0, H - hy, hx, H});
            revealRect(f, c, {W - hx, H - hy, W, H});
            break;
    }
}

void expandIn(EffectFrame& f, const Canvas& c, ExpandInShape shape) {
    const int W = c.w, H = c.h, X = c.x, Y = c.y;
    switch (shape) {
        case ExpandInShape::Edge: place(f, c, {0, 0, 2 * W - X, H}, {0, 0, X, H}); break;
        case ExpandInShape::Middle: place(f, c, {X - W, 0, 2 * W - X, H}, {(W - X) / 2, 0, (W - X) / 2 + X, H}); break;
        case ExpandInShape::Corner: place(f, c, {0, 0, 2 * W - X, 2 * H - Y}, {0, 0, X, Y}); break;
        case ExpandInShape::Centre:
            place(f, c, {X - W, Y - H, 2 * W - X, 2 * H - Y},
                  {(W - X) / 2, (H - Y) / 2, (W - X) / 2 + X, (H - Y) / 2 + Y});
            break;
    }
}

namespace {
// Adds `offset` to blue, green and red of one pixel, clamped to 0..255.
inline uint32_t shade(uint32_t p, int offset) {
    uint32_t out = p & 0xff000000u;
    for (int s = 0; s < 24; s += 8) out |= uint32_t(std::clamp(int((p >> s) & 0xff) + offset, 0, 255)) << s;
    return out;
}
}  // namespace

void unroll(EffectFrame& f, const Canvas& c) {
    const int W = c.w, H = c.h, X = c.x;
    int r = W / 10;
    if (X < r)
        r = X;
    else if (W - X < 2 * r)
        r = (W - X) / 2;
    if (r > 0) {
        const Rect to = c.o.map({X, 0, X + r, H}), from = c.o.map({X + r, 0, X + 2 * r, H});
        stretchRect(f.display, to, f.image, from, !c.o.swap, c.o.swap);
    }
    revealRect(f, c, {0, 0, X, H});
    // The roll is darkest at its edges and lightest along its middle.
    const int n = r / 2;
    for (int j = 0; j < r; ++j) {
        int offset = -64;
        if (n > 0) offset = std::min(0, -64 + std::min(j, r - j) * 64 / n);
        const Rect line = c.o.map({X + j, 0, X + j + 1, H});
        for (int y = std::max(line.t, 0); y < std::min(line.b, f.h); ++y) {
            uint32_t* row = f.display.row(y);
            for (int x = std::max(line.l, 0); x < std::min(line.r, f.w); ++x) row[x] = shade(row[x], offset);
        }
    }
}

void buildUp(EffectFrame& f, const Canvas& c) {
    const int W = c.w, H = c.h, X = c.x;
    revealRect(f, c, {0, 0, X, H});
    const int s = std::min(W - X, W / 10);
    if (s > 0) place(f, c, {X, 0, W, H}, {X, 0, X + s, H});
}

void push(EffectFrame& f, const Canvas& c, bool squeeze) {
    const int W = c.w, H = c.h, X = c.x;
    if (squeeze) {
        const ConstPixels old = snapshotOf(f.display);
        stretchRect(f.display, c.o.map({X, 0, W, H}), old, c.o.map({0, 0, W, H}));
    } else {
        const Rect to = c.o.map({X, 0, W, H});
        copyRect(f.display, to.l, to.t, asSource(f.display), c.o.map({0, 0, W - X, H}));
    }
    const Rect to = c.o.map({0, 0, X, H});
    copyRect(f.display, to.l, to.t, f.image, c.o.map({W - X, 0, W, H}));
}

void slideOut(EffectFrame& f, const Canvas& c) {
    const int W = c.w, H = c.h, X = c.x;
    const Rect to = c.o.map({X, 0, W, H});
    copyRect(f.display, to.l, to.t, asSource(f.display), c.o.map({0, 0, W - X, H}));
    revealRect(f, c, {0, 0, X, H});
}

}  // namespace vz::transitions
