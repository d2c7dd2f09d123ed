#include "platform/x11/x11_screen_changes.h"

#include "platform/x11/x11_error_trap.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>

#include <vector>

namespace vz::x11 {

X11ScreenChanges::X11ScreenChanges(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {
    Display* display = connection_->display();
    int event = 0, error = 0;
    if (!connection_->hasFixes() || !XDamageQueryExtension(display, &event, &error)) return;
    int major = 1, minor = 1;
    // DAMAGE wants the client's version announced before any other request.
    if (!XDamageQueryVersion(display, &major, &minor) || major < 1) return;
    ErrorTrap trap(display);
    // Non-empty reports: one notification whenever the damage stops being
    // empty; the rectangles themselves are fetched on demand.
    const Damage damage = XDamageCreate(display, connection_->root(), XDamageReportNonEmpty);
    const XserverRegion parts = XFixesCreateRegion(display, nullptr, 0);
    if (!trap.sync()) return;
    damage_ = damage;
    parts_ = parts;
}

X11ScreenChanges::~X11ScreenChanges() {
    if (!damage_) return;
    ErrorTrap trap(connection_->display());
    XDamageDestroy(connection_->display(), damage_);
    XFixesDestroyRegion(connection_->display(), parts_);
}

QRegion X11ScreenChanges::takeChanges() {
    if (!damage_) return QRegion();
    Display* display = connection_->display();
    // The server notifies once whenever the damage stops being empty, and
    // it is emptied below each time: no notification, nothing changed, and
    // the server is not asked (XPending only reads what has arrived).
    if (XPending(display) == 0) return QRegion();
    // The notifications read so far are answered by the subtraction below;
    // any that come after it are left for the next call.
    while (XEventsQueued(display, QueuedAlready) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
    QRegion changes;
    ErrorTrap trap(display, false);  // fetching the region waits for its reply
    XDamageSubtract(display, damage_, 0, parts_);
    int count = 0;
    XRectangle* rects = XFixesFetchRegion(display, parts_, &count);
    if (!rects || trap.failed()) {
        // The server lost our damage object: from now on the caller
        // treats everything as changed.
        damage_ = 0;
    } else {
        std::vector<QRect> list;
        list.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i) list.emplace_back(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
        changes.setRects(list.data(), count);
    }
    if (rects) XFree(rects);
    return changes;
}

}  // namespace vz::x11
