#pragma once
// Drawing the pointer into a captured frame: a red disc under the pointer
// and/or the cursor image placed so that its hot spot lies on the pointer.

#include <QImage>
#include <QPoint>
#include <QRect>

namespace vz {

struct PointerOverlay {
    QPoint position;  // pointer position in frame coordinates
    bool redPoint = false;
    bool cursor = false;
    QPoint hotSpot;  // of the cursor image
};

// The red point is drawn first, so the cursor lies over it. Anything outside
// the frame is clipped away.
void drawPointerOverlay(QImage& frame, const PointerOverlay& overlay, const QImage& cursorImage);

// Every pixel drawPointerOverlay may touch, in frame coordinates (not
// clipped to the frame); empty when it draws nothing.
QRect pointerOverlayRect(const PointerOverlay& overlay, const QImage& cursorImage);

}  // namespace vz
