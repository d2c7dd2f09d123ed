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

}  // namespace vz
