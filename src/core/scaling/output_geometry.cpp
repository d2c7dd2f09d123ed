#include "core/scaling/output_geometry.h"

#include "core/scaling/rounding.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <limits>

namespace vz {

namespace {

double distanceSquared(const QRect& r, QPoint p) {
    const double dx = p.x() < r.left() ? r.left() - p.x() : (p.x() > r.right() ? p.x() - r.right() : 0);
    const double dy = p.y() < r.top() ? r.top() - p.y() : (p.y() > r.bottom() ? p.y() - r.bottom() : 0);
    return dx * dx + dy * dy;
}

}  // namespace

int percentOfExtent(int extent, int percent) {
    const int p = std::clamp(percent, 1, 100);
    // The order matters: 1024 / 100.0 * 95 is 972.8 here, as the slider
    // arithmetic has always been done.
    return roundHalfEven(double(extent) / 100.0 * double(p));
}

QSize displaySizeForPercent(QSize monitor, int percent) {
    return {percentOfExtent(monitor.width(), percent), percentOfExtent(monitor.height(), percent)};
}

int percentFromOuterWidth(int primaryWidth, int outerWidth) {
    if (primaryWidth <= 0) return 100;
    if (outerWidth <= 0) return 1;
    const double p = std::trunc(100.0 / (double(primaryWidth) / double(outerWidth)));
    return int(std::clamp(p, 1.0, 100.0));
}

QRect secondaryMonitor(const QVector<QRect>& monitors, int primaryWidth) {
    if (monitors.size() < 2) return {};
    const QPoint right(primaryWidth + 1, 0);
    for (const QRect& m : monitors)
        if (m.contains(right)) return m;
    return monitors[1];
}

QRect monitorHolding(const QVector<QRect>& monitors, const QRect& window) {
    if (monitors.isEmpty()) return {};
    QRect best;
    long long bestArea = 0;
    for (const QRect& m : monitors) {
        const QRect i = m.intersected(window);
        const long long area = i.isEmpty() ? 0 : (long long)i.width() * i.height();
        if (area > bestArea) {
            bestArea = area;
            best = m;
        }
    }
    if (bestArea > 0) return best;
    const QPoint centre = window.center();
    best = monitors.first();
    double bestDistance = distanceSquared(best, centre);
    for (const QRect& m : monitors) {
        const double d = distanceSquared(m, centre);
        if (d < bestDistance) {
            bestDistance = d;
            best = m;
        }
    }
    return best;
}

QPoint previewActivationPosition(QPoint topLeft, QSize primary) {
    QPoint p = topLeft;
    if (p.x() > primary.width() - 100) p.setX(primary.width() - 250);
    if (p.y() > primary.height() - 60) p.setY(primary.height() - 65);
    return p;
}

int previewLeftAfterMove(int left, int outerWidth, int primaryWidth) {
    if (left > primaryWidth - outerWidth) return primaryWidth - outerWidth - 2;
    return left;
}

}  // namespace vz
