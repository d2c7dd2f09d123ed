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

int monitorIndexHolding(const QVector<QRect>& monitors, const QRect& window) {
    if (monitors.isEmpty()) return -1;
    int best = -1;
    long long bestArea = 0;
    for (int i = 0; i < monitors.size(); ++i) {
        const QRect overlap = monitors[i].intersected(window);
        const long long area = overlap.isEmpty() ? 0 : (long long)overlap.width() * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (best >= 0) return best;
    const QPoint centre = window.center();
    best = 0;
    double bestDistance = distanceSquared(monitors[0], centre);
    for (int i = 0; i < monitors.size(); ++i) {
        const double d = distanceSquared(monitors[i], centre);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

QRect monitorHolding(const QVector<QRect>& monitors, const QRect& window) {
    const int i = monitorIndexHolding(monitors, window);
    return i < 0 ? QRect() : monitors[i];
}

QPoint previewActivationPosition(QPoint topLeft, const QRect& primary) {
    const QPoint corner = primary.topLeft();
    QPoint p = topLeft - corner;
    if (p.x() > primary.width() - 100) p.setX(primary.width() - 250);
    if (p.y() > primary.height() - 60) p.setY(primary.height() - 65);
    return p + corner;
}

int previewLeftAfterMove(int left, int outerWidth, const QRect& primary) {
    const int limit = primary.left() + primary.width() - outerWidth;
    if (left > limit) return limit - 2;
    return left;
}

}  // namespace vz
