#include "platform/x11/x11_monitors.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

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
