#include "platform/x11/x11_pointer_fence.h"

#include "platform/x11/x11_error_trap.h"

#include <QMetaObject>
#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace vz::x11 {
namespace {

// XFixes 5 has the barriers, XInput 2.3 their events and the release.
bool serverHasBarriers(Display* display, int* inputOpcode) {
    int event = 0, error = 0;
    if (!XFixesQueryExtension(display, &event, &error)) return false;
    int major = 5, minor = 0;
    if (!XFixesQueryVersion(display, &major, &minor) || major < 5) return false;
    if (!XQueryExtension(display, "XInputExtension", inputOpcode, &event, &error)) return false;
    major = 2;
    minor = 3;
    if (XIQueryVersion(display, &major, &minor) != Success) return false;
    return major > 2 || (major == 2 && minor >= 3);
}

void sayChecksOnlyOnce() {
    static std::atomic<bool> said{false};
    if (!said.exchange(true))
        std::fprintf(stderr,
                     "vivivoz: the X server has no pointer barriers (XFixes 5 and XInput 2.3); "
                     "the cursor lock moves the pointer back at each check instead\n");
}

}  // namespace

X11PointerFence::X11PointerFence(std::unique_ptr<Connection> connection, Method method)
    : connection_(std::move(connection)) {
    Display* display = connection_->display();
    const bool serverSupports = serverHasBarriers(display, &inputOpcode_);
    barriersAvailable_ = method == Method::Auto && serverSupports;
    mentionChecksOnly_ = method == Method::Auto && !serverSupports;
    if (!barriersAvailable_) return;

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_BarrierHit);
    XISetMask(bits, XI_BarrierLeave);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof(bits);
    mask.mask = bits;
    XISelectEvents(display, Window(connection_->root()), &mask, 1);
    XFlush(display);
}

// The notifier is made at first use: the service is created before the
// application object, and a notifier needs the event loop's thread set up.
void X11PointerFence::watchEvents() {
    if (notifier_) return;
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(connection_->display()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readEvents(); });
}

X11PointerFence::~X11PointerFence() {
    notifier_.reset();
    release();
    XSync(connection_->display(), False);
}

void X11PointerFence::confine(const QRect& area, const QVector<QRect>& monitors) {
    watchEvents();
    const QRect wanted = fence::effectiveArea(area, monitors);
    if (wanted != fence_) {
        if (mentionChecksOnly_) sayChecksOnlyOnce();
        destroyBarriers();
        fence_ = wanted;
        keeper_.reset();
        if (barriersAvailable_) createBarriers();
    }
    bringBack();
}

void X11PointerFence::release() {
    destroyBarriers();
    fence_ = QRect();
    keeper_.reset();
    XFlush(connection_->display());
}

void X11PointerFence::createBarriers() {
    Display* display = connection_->display();
    const Window root = Window(connection_->root());
    // A vertical barrier at x stops leftward motion at x and rightward motion
    // at x - 1; the directions named are those in which it lets the pointer
    // pass. So the lines run one past the fence's last row and column.
    const int left = fence_.left(), top = fence_.top();
    const int right = fence_.right() + 1, bottom = fence_.bottom() + 1;
    struct Side {
        int x1, y1, x2, y2, passes;
    };
    const Side sides[] = {
        {left, top, left, bottom, BarrierPositiveX},
        {right, top, right, bottom, BarrierNegativeX},
        {left, top, right, top, BarrierPositiveY},
        {left, bottom, right, bottom, BarrierNegativeY},
    };
    ErrorTrap trap(display);
    for (const Side& s : sides)
        barriers_.push_back(XFixesCreatePointerBarrier(display, root, s.x1, s.y1, s.x2, s.y2, s.passes, 0, nullptr));
    if (!trap.sync()) {
        // Then the checks alone hold the pointer.
        for (unsigned long barrier : barriers_) XFixesDestroyPointerBarrier(display, PointerBarrier(barrier));
        barriers_.clear();
    }
}

void X11PointerFence::destroyBarriers() {
    for (unsigned long barrier : barriers_)
        XFixesDestroyPointerBarrier(connection_->display(), PointerBarrier(barrier));
    barriers_.clear();
}

bool X11PointerFence::ctrlHeld(QPoint* pointer) {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(connection_->display(), Window(connection_->root()), &root, &child, &rootX, &rootY, &winX, &winY,
                  &mask);
    if (pointer) *pointer = QPoint(rootX, rootY);
    return mask & ControlMask;
}

bool X11PointerFence::bringBack() {
    if (fence_.isNull()) return false;
    QPoint pointer;
    const bool ctrl = ctrlHeld(&pointer);
    const std::optional<QPoint> target = keeper_.check(fence_, pointer, ctrl);
    if (target) {
        XWarpPointer(connection_->display(), 0, Window(connection_->root()), 0, 0, 0, 0, target->x(), target->y());
        XFlush(connection_->display());
    }
    readLater();
    return target.has_value();
}

void X11PointerFence::readLater() {
    if (notifier_ && XQLength(connection_->display()) > 0)
        QMetaObject::invokeMethod(
            notifier_.get(), [this] { readEvents(); }, Qt::QueuedConnection);
}

void X11PointerFence::readEvents() {
    Display* display = connection_->display();
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != inputOpcode_ || !XGetEventData(display, cookie))
            continue;
        const bool barrierEvent = cookie->evtype == XI_BarrierHit || cookie->evtype == XI_BarrierLeave;
        const auto* hit = static_cast<const XIBarrierEvent*>(cookie->data);
        const bool ours =
            barrierEvent && std::find(barriers_.begin(), barriers_.end(), hit->barrier) != barriers_.end();
        if (cookie->evtype == XI_BarrierLeave && ours && (hit->flags & XIBarrierPointerReleased)) {
            // The pointer went through a barrier we opened: it stays out,
            // even if a check saw it inside, against the barrier, between
            // the release and this motion (and Ctrl is let go by now).
            keeper_.letOut();
        } else if (cookie->evtype == XI_BarrierHit) {
            if (ours && !(hit->flags & XIBarrierPointerReleased) && ctrlHeld(nullptr)) {
                // Lets the pointer through at its next motion.
                XIBarrierReleasePointer(display, hit->deviceid, hit->barrier, hit->eventid);
                XFlush(display);
                keeper_.letOut();
            }
        }
        XFreeEventData(display, cookie);
    }
}

}  // namespace vz::x11
