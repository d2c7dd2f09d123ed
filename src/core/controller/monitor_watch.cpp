#include "core/controller/monitor_watch.h"

namespace vz {

MonitorWatch::MonitorWatch(Monitors& monitors, QObject* parent) : QObject(parent), source_(monitors) {}

void MonitorWatch::refresh() {
    const QVector<QRect> before = monitors_;
    monitors_ = source_.monitors();
    if (before == monitors_) return;
    emit changed();
    if (before.isEmpty()) return;
    const bool hadSecond = before.size() > 1;
    const bool hasSecond = monitors_.size() > 1;
    if (hadSecond && !hasSecond)
        emit secondLost();
    else if (!hadSecond && hasSecond)
        emit secondCame();
    else
        emit resized();
}

int MonitorWatch::count() const {
    const int n = int(monitors_.size());
    return n < 1 ? 1 : n;
}

QRect MonitorWatch::rect(int index) const {
    return index >= 0 && index < monitors_.size() ? monitors_[index] : QRect();
}

}  // namespace vz
