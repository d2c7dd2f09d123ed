#include "core/capture/pointer_overlay.h"

#include <QPainter>

namespace vz {

void drawPointerOverlay(QImage& frame, const PointerOverlay& o, const QImage& cursorImage) {
    if (frame.isNull() || (!o.redPoint && !o.cursor)) return;
    QPainter painter(&frame);
    if (o.redPoint) {
        // A disc of 10 pixels across, outlined by a 5-pixel pen.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(255, 0, 0), 5));
        painter.setBrush(QColor(255, 0, 0));
        painter.drawEllipse(QRectF(o.position.x() - 5, o.position.y() - 5, 10, 10));
    }
    if (o.cursor && !cursorImage.isNull()) painter.drawImage(o.position - o.hotSpot, cursorImage);
}

QRect pointerOverlayRect(const PointerOverlay& o, const QImage& cursorImage) {
    QRect r;
    // The disc's pen reaches 7.5 pixels out; antialiasing one more.
    if (o.redPoint) r = QRect(o.position - QPoint(9, 9), QSize(19, 19));
    if (o.cursor && !cursorImage.isNull()) r |= QRect(o.position - o.hotSpot, cursorImage.size());
    return r;
}

}  // namespace vz
