#pragma once
// A rectangle on the primary monitor as the settings file and the area
// overlay keep it: four edges, measured from the primary monitor's top-left
// corner.

#include <QPoint>
#include <QRect>

#include <algorithm>

namespace vz {

// Left, Top, Right, Bottom in pixels; Right and Bottom excluded.
struct Rect4 {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const Rect4&) const = default;
    // The same rectangle in root-window coordinates, for a primary monitor at `origin`.
    QRect onScreen(QPoint origin) const { return QRect(Left, Top, Right - Left, Bottom - Top).translated(origin); }
};

// The area between two corners of a drag, in either order: Left <= Right and
// Top <= Bottom; a click without motion gives an empty area at the point.
inline Rect4 areaBetween(QPoint anchor, QPoint end) {
    return Rect4{std::min(anchor.x(), end.x()), std::min(anchor.y(), end.y()), std::max(anchor.x(), end.x()),
                 std::max(anchor.y(), end.y())};
}

}  // namespace vz
