#include "core/controller/autohide_fade.h"

namespace vz::autohide {

int nextToolbarAlpha(int alpha) {
    // Each line works on the value the one before left, so 112 -> 110 -> 105.
    if (alpha > 200) --alpha;
    if (alpha > 100 && alpha <= 200) alpha -= 2;
    if (alpha > 6 && alpha <= 110) alpha -= 5;
    // toolbarAlpha starts at 0 and only an activation raises it; a toolbar
    // shown without one must not fade to fully transparent.
    return alpha < Resting ? Resting : alpha;
}

int opacityFor(int alpha) { return alpha >= 200 ? Opaque : alpha; }

bool inTopLeftCorner(QPoint screen) { return screen.x() < 2 && screen.y() < 2; }

PointerDecision decidePointer(QPoint client, QPoint screen, QSize size) {
    const int cx = client.x(), cy = client.y();
    const int w = size.width(), h = size.height();
    PointerDecision d;
    d.reset = inTopLeftCorner(screen) || (0 < cy && cy < h && 0 < cx && cx < w);
    const bool onToolbar = 0 <= cy && cy <= h && 0 <= cx && cx <= w;
    d.fade = !onToolbar;
    return d;
}

TickResult autoHideTick(int alpha, QPoint client, QPoint screen, QSize size) {
    const PointerDecision d = decidePointer(client, screen, size);
    TickResult r;
    r.alpha = alpha;
    if (d.reset) {
        r.alpha = Opaque;
        r.opacity = Opaque;
        r.opacityChanged = true;
    }
    if (d.fade) {
        r.alpha = nextToolbarAlpha(r.alpha);
        r.opacity = opacityFor(r.alpha);
        r.opacityChanged = true;
    }
    return r;
}

}  // namespace vz::autohide
