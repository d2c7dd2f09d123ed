#pragma once
// The toolbar's auto-hide fade as pure functions: the alpha step of one tick,
// the opacity shown for an alpha, and what the pointer's place decides.

#include <QPoint>
#include <QSize>

namespace vz::autohide {

constexpr int Opaque = 255;
constexpr int Resting = 3;  // the faded toolbar's alpha: never invisible

// One fade step on the toolbar alpha. From 255 it takes 54 steps down to 201
// (still shown opaque), then 2 per step to 110, 5 per step below, and rests
// at 3, so the toolbar never becomes fully invisible; an alpha below 3
// (the initial 0) steps to 3.
int nextToolbarAlpha(int alpha);

// The window opacity shown for an alpha: fully opaque from 200 up.
int opacityFor(int alpha);

// The pointer in the top-left screen corner (x < 2 and y < 2).
bool inTopLeftCorner(QPoint screen);

struct PointerDecision {
    bool reset = false;  // back to fully opaque (alpha 255)
    bool fade = false;   // take one fade step (after the reset, if any)
};

// What one auto-hide tick does for the pointer at `client` (toolbar client
// coordinates) and `screen` (screen coordinates), the client being `size`.
// Strictly inside the toolbar resets and stops; on an edge only stops; in the
// top-left corner resets and, away from the toolbar, still fades.
PointerDecision decidePointer(QPoint client, QPoint screen, QSize size);

struct TickResult {
    int alpha = Opaque;
    int opacity = Opaque;
    bool opacityChanged = false;  // false: leave the window's opacity as it is
};

// A whole auto-hide tick on `alpha`.
TickResult autoHideTick(int alpha, QPoint client, QPoint screen, QSize size);

}  // namespace vz::autohide
