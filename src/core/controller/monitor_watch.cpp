#include "core/controller/monitor_watch.h"

namespace vz {

MonitorWatch::MonitorWatch(Monitors& monitors, QObject* parent) : QObject(parent), source_(monitors) {}

void MonitorWatch::refresh() {
    const QVector<QRect> before = monitors_;
    const QVector<double> ratiosBefore = desk_.ratios;
    monitors_ = source_.monitors();
    readRatios();
    if (before == monitors_) {
        if (ratiosBefore != desk_.ratios) emit changed();
        return;
    }
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

void MonitorWatch::setRatioSource(std::function<double(const QRect&)> ratioOf) {
    ratioOf_ = std::move(ratioOf);
    readRatios();
}

void MonitorWatch::readRatios() {
    desk_.device = monitors_;
    desk_.ratios.clear();
    for (const QRect& m : monitors_) desk_.ratios.append(ratioOf_ ? ratioOf_(m) : 1.0);
}

int MonitorWatch::count() const {
    const int n = int(monitors_.size());
    return n < 1 ? 1 : n;
}

QRect MonitorWatch::rect(int index) const {
    return index >= 0 && index < monitors_.size() ? monitors_[index] : QRect();
}

}  // namespace vz
