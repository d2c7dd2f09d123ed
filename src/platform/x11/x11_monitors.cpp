#include "platform/x11/x11_monitors.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace vz::x11 {

X11Monitors::X11Monitors(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

QVector<QRect> X11Monitors::monitors() const {
    QVector<QRect> list;
    if (connection_->hasRandrMonitors()) {
        int count = 0;
        XRRMonitorInfo* info = XRRGetMonitors(connection_->display(), connection_->root(), True, &count);
        for (int i = 0; i < count; ++i) {
            const QRect rect(info[i].x, info[i].y, info[i].width, info[i].height);
            if (rect.isEmpty()) continue;
            if (info[i].primary)
                list.prepend(rect);
            else
                list.append(rect);
        }
        if (info) XRRFreeMonitors(info);
    }
    if (list.isEmpty()) list.append(QRect(QPoint(0, 0), connection_->rootSize()));
    return list;
}

}  // namespace vz::x11

namespace vz::x11 {

namespace {

int orderOf(const DisplayOutput& o, bool primary) {
    if (primary && o.active) return 0;
    if (o.active) return 1;
    return o.connected ? 2 : 3;
}

}  // namespace

QVector<DisplayOutput> X11Monitors::outputs() const {
    QVector<DisplayOutput> list;
    if (!connection_->hasRandrMonitors()) return list;
    Display* dpy = connection_->display();
    const Window root = connection_->root();
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(dpy, root);
    if (!res) return list;
    const RROutput primary = XRRGetOutputPrimary(dpy, root);
    const int depth = DefaultDepth(dpy, DefaultScreen(dpy));

    // The adapter: the first provider's name (one adapter is the common case).
    QString adapter;
    if (XRRProviderResources* providers = XRRGetProviderResources(dpy, root)) {
        if (providers->nproviders > 0) {
            if (XRRProviderInfo* info = XRRGetProviderInfo(dpy, res, providers->providers[0])) {
                adapter = QString::fromLocal8Bit(info->name, info->nameLen);
                XRRFreeProviderInfo(info);
            }
        }
        XRRFreeProviderResources(providers);
    }

    QVector<std::pair<int, DisplayOutput>> ranked;
    for (int i = 0; i < res->noutput; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(dpy, res, res->outputs[i]);
        if (!info) continue;
        DisplayOutput o;
        o.name = QString::fromLocal8Bit(info->name, info->nameLen);
        o.adapter = adapter;
        o.connected = info->connection == RR_Connected;
        if (info->crtc) {
            if (XRRCrtcInfo* crtc = XRRGetCrtcInfo(dpy, res, info->crtc)) {
                if (crtc->mode && crtc->width > 0 && crtc->height > 0) {
                    o.active = true;
                    o.mode = QSize(int(crtc->width), int(crtc->height));
                    o.depth = depth;
                    for (int m = 0; m < res->nmode; ++m) {
                        const XRRModeInfo& mode = res->modes[m];
                        if (mode.id == crtc->mode && mode.hTotal && mode.vTotal)
                            o.refreshHz = double(mode.dotClock) / (double(mode.hTotal) * mode.vTotal);
                    }
                }
                XRRFreeCrtcInfo(crtc);
            }
        }
        ranked.append({orderOf(o, res->outputs[i] == primary), o});
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(res);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& r : ranked) list.append(r.second);
    return list;
}

}  // namespace vz::x11

namespace vz::x11 {

std::unique_ptr<X11MonitorChanges> X11MonitorChanges::open(std::unique_ptr<Connection> connection) {
    if (!connection) return nullptr;
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(connection->display(), &eventBase, &errorBase)) return nullptr;
    return std::unique_ptr<X11MonitorChanges>(new X11MonitorChanges(std::move(connection)));
}

X11MonitorChanges::X11MonitorChanges(std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {
    // Monitors set or deleted, modes changed, outputs plugged: each reaches
    // us as one of these.
    _XDisplay* display = connection_->display();
    XRRSelectInput(display, connection_->root(),
                   RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    // A monitor set or deleted without a change of outputs (xrandr
    // --setmonitor) sends no RandR event; the window manager then updates the
    // desktop's geometry and work area on the root window.
    XSelectInput(display, connection_->root(), PropertyChangeMask);
    workAreaAtom_ = XInternAtom(display, "_NET_WORKAREA", False);
    desktopGeometryAtom_ = XInternAtom(display, "_NET_DESKTOP_GEOMETRY", False);
    XFlush(display);
}

X11MonitorChanges::~X11MonitorChanges() = default;

void X11MonitorChanges::watch(std::function<void()> changed) {
    changed_ = std::move(changed);
    if (notifier_) return;
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(connection_->display()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { readEvents(); });
}

void X11MonitorChanges::readEvents() {
    _XDisplay* display = connection_->display();
    bool any = false;
    while (XPending(display)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == PropertyNotify) {
            const Atom atom = event.xproperty.atom;
            if (atom == workAreaAtom_ || atom == desktopGeometryAtom_) any = true;
            continue;
        }
        XRRUpdateConfiguration(&event);
        any = true;
    }
    if (any && changed_) changed_();
}

}  // namespace vz::x11
