#pragma once
// The rules of the pointer fence, shared by the X11 and the fake fence.

#include <QPoint>
#include <QRect>
#include <QVector>

#include <algorithm>
#include <optional>

namespace vz::fence {

// The rectangle the pointer is kept in for a wanted `area`: at least one
// pixel wide and high (an empty area holds the pointer at its top left), and
// the primary monitor (monitors[0]) when `area` touches no monitor at all.
inline QRect effectiveArea(const QRect& area, const QVector<QRect>& monitors) {
    QRect r = (area.width() < 0 || area.height() < 0) ? area.normalized() : area;
    if (r.width() == 0) r.setWidth(1);
    if (r.height() == 0) r.setHeight(1);
    const bool onSomeMonitor =
        std::any_of(monitors.begin(), monitors.end(), [&](const QRect& m) { return m.intersects(r); });
    if (!onSomeMonitor && !monitors.isEmpty() && !monitors.first().isEmpty()) return monitors.first();
    return r;
}

// The point of `fence` nearest to `p`.
inline QPoint nearestInside(QPoint p, const QRect& fence) {
    return QPoint(std::clamp(p.x(), fence.left(), fence.right()), std::clamp(p.y(), fence.top(), fence.bottom()));
}

// Decides at each check whether the pointer has to be moved back. Ctrl held
// while the pointer is outside lets it out; it stays free until it has been
// seen inside the fence again.
class Keeper {
public:
    // Where to move a pointer seen at `pointer`; nothing when it may stay.
    std::optional<QPoint> check(const QRect& fence, QPoint pointer, bool ctrlHeld) {
        if (fence.contains(pointer)) {
            letOut_ = false;
            return std::nullopt;
        }
        if (ctrlHeld) letOut_ = true;
        if (letOut_) return std::nullopt;
        return nearestInside(pointer, fence);
    }
    void letOut() { letOut_ = true; }  // the pointer was let through the fence
    void reset() { letOut_ = false; }  // a new fence holds whatever happened before
    bool isLetOut() const { return letOut_; }

private:
    bool letOut_ = false;
};

}  // namespace vz::fence
