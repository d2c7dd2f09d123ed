#include "core/scaling/desk_geometry.h"

#include "core/scaling/output_geometry.h"

#include <cmath>

namespace vz::desk {

namespace {

double usable(double ratio) { return ratio > 0 && std::isfinite(ratio) ? ratio : 1.0; }

// Qt's qRound: to nearest, halves away from zero.
int roundAway(double v) { return v >= 0.0 ? int(v + 0.5) : int(v - 0.5); }

}  // namespace

int outputMonitorIndex(const QVector<QRect>& monitors, int chosen) {
    if (monitors.size() < 2) return -1;
    return chosen >= 1 && chosen < monitors.size() ? chosen : 1;
}

QSize toLogical(QSize device, double ratio) {
    const double r = usable(ratio);
    return {roundAway(device.width() / r), roundAway(device.height() / r)};
}

QRegion covering(const QRegion& region, double scale) {
    if (scale == 1.0) return region;
    QRegion covered;
    for (const QRect& r : region) {
        const int left = int(std::floor(r.left() * scale)), top = int(std::floor(r.top() * scale));
        const int right = int(std::ceil((r.right() + 1) * scale)), bottom = int(std::ceil((r.bottom() + 1) * scale));
        covered += QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    return covered;
}

QSize toDevice(QSize logical, double ratio) {
    const double r = usable(ratio);
    return {roundAway(logical.width() * r), roundAway(logical.height() * r)};
}

QPoint toLogical(QPoint device, const QRect& screen, double ratio) {
    const double r = usable(ratio);
    const QPoint o = screen.topLeft();
    return o + QPoint(roundAway((device.x() - o.x()) / r), roundAway((device.y() - o.y()) / r));
}

QPoint toDevice(QPoint logical, const QRect& screen, double ratio) {
    const double r = usable(ratio);
    const QPoint o = screen.topLeft();
    return o + QPoint(roundAway((logical.x() - o.x()) * r), roundAway((logical.y() - o.y()) * r));
}

QRect toLogical(const QRect& device, const QRect& screen, double ratio) {
    return {toLogical(device.topLeft(), screen, ratio), toLogical(device.size(), ratio)};
}

QRect toDevice(const QRect& logical, const QRect& screen, double ratio) {
    return {toDevice(logical.topLeft(), screen, ratio), toDevice(logical.size(), ratio)};
}

QPoint centredOn(const QRect& monitor, QSize window) {
    return monitor.topLeft() +
           QPoint(monitor.width() / 2 - window.width() / 2, monitor.height() / 2 - window.height() / 2);
}

double Desk::ratio(int index) const { return index >= 0 && index < ratios.size() ? usable(ratios[index]) : 1.0; }

QRect Desk::logical(int index) const {
    if (index < 0 || index >= device.size()) return {};
    return logicalScreen(device[index], ratio(index));
}

QVector<QRect> Desk::logicalAll() const {
    QVector<QRect> list;
    for (int i = 0; i < device.size(); ++i) list.append(logical(i));
    return list;
}

QRect Desk::outputDevice() const {
    const int i = outputIndex();
    return i < 0 ? QRect() : device[i];
}

QRect Desk::outputLogical() const { return logical(outputIndex()); }

int Desk::monitorOf(const QRect& rect) const { return monitorIndexHolding(device, rect); }

namespace {

// The monitor whose logical rectangle holds most of `logical`.
int monitorOfLogical(const Desk& desk, const QRect& logical) { return monitorIndexHolding(desk.logicalAll(), logical); }

}  // namespace

QRect Desk::toDevice(const QRect& logicalRect) const {
    const int i = monitorOfLogical(*this, logicalRect);
    return i < 0 ? logicalRect : desk::toDevice(logicalRect, device[i], ratio(i));
}

double Desk::ratioAt(const QRect& logicalRect) const { return ratio(monitorOfLogical(*this, logicalRect)); }

QPoint simulationCorner(const Desk& desk) { return desk.logicalPrimary().topLeft(); }

QRect quarterWindow(const Desk& desk) {
    const QRect p = desk.logicalPrimary();
    return {p.topLeft(), QSize(p.width() / 4, p.height() / 4)};
}

QPoint centredOnPrimary(const Desk& desk, QSize window) { return centredOn(desk.logicalPrimary(), window); }

}  // namespace vz::desk
