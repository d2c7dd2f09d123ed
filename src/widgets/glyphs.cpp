#include "widgets/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>

namespace vz::glyphs {

namespace {

const QColor kInk(Qt::white);
const QColor kTrayRed(230, 20, 20);

QPixmap blank(int w, int h) {
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}

// A painter for outline drawing: white 1.5 px antialiased pen, no brush.
// Coordinates in the glyphs below are chosen on half pixels where a line
// must land on one pixel row or column.
void begin(QPainter& p, qreal penWidth = 1.5) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
}

// A monitor: screen outline, neck and foot, inside `r` (screen on top).
void drawMonitor(QPainter& p, const QRectF& screen, qreal footHalf, qreal neck) {
    p.drawRect(screen);
    const qreal cx = screen.center().x();
    const qreal bottom = screen.bottom();
    p.drawLine(QPointF(cx, bottom + 1), QPointF(cx, bottom + neck));
    p.drawLine(QPointF(cx - footHalf, bottom + neck + 0.5), QPointF(cx + footHalf, bottom + neck + 0.5));
}

}  // namespace

QPixmap cog() {
    QPixmap pm = blank(19, 19);
    QPainter p(&pm);
    begin(p, 1.3);
    const QPointF c(9.5, 9.5);
    const qreal rIn = 6.0, rOut = 8.6;
    auto at = [&](qreal r, qreal deg) {
        const qreal a = qDegreesToRadians(deg);
        return c + QPointF(r * qCos(a), r * qSin(a));
    };
    QPainterPath gear;
    for (int i = 0; i < 8; ++i) {
        const qreal t = i * 45.0 - 90.0;
        const QPointF pts[] = {at(rIn, t - 17), at(rOut, t - 9), at(rOut, t + 9), at(rIn, t + 17)};
        if (i == 0)
            gear.moveTo(pts[0]);
        else
            gear.lineTo(pts[0]);
        for (int k = 1; k < 4; ++k)
            gear.lineTo(pts[k]);
    }
    gear.closeSubpath();
    p.drawPath(gear);
    p.drawEllipse(c, 2.6, 2.6);
    return pm;
}

QPixmap sendToSecond() {
    QPixmap pm = blank(42, 16);
    QPainter p(&pm);
    begin(p, 1.0);
    // Left screen, arrow, right screen.
    drawMonitor(p, QRectF(1.5, 1.5, 12, 9), 3, 2.5);
    drawMonitor(p, QRectF(28.5, 1.5, 12, 9), 3, 2.5);
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(17, 7), QPointF(25, 7));
    QPainterPath head;
    head.moveTo(22, 3.5);
    head.lineTo(25.5, 7);
    head.lineTo(22, 10.5);
    p.drawPath(head);
    return pm;
}

QPixmap run() {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    begin(p, 1.2);
    p.setBrush(kInk);
    const QPointF tri[] = {{4.5, 2.5}, {13.5, 8.0}, {4.5, 13.5}};
    p.drawPolygon(tri, 3);
    return pm;
}

QPixmap stop() {
    QPixmap pm = blank(16, 16);
    QPainter p(&pm);
    p.fillRect(QRect(4, 3, 3, 10), kInk);
    p.fillRect(QRect(9, 3, 3, 10), kInk);
    return pm;
}

QPixmap stopAll() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 2.0);
    p.drawRect(QRectF(10, 5, 12, 12));
    p.fillRect(QRectF(13, 8, 6, 6), kInk);
    return pm;
}

QPixmap desktop() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 1.5);
    drawMonitor(p, QRectF(5, 2, 22, 15), 5, 3.5);
    return pm;
}

QPixmap partOfDesktop() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 1.5);
    drawMonitor(p, QRectF(5, 2, 22, 15), 5, 3.5);
    p.setPen(QPen(kInk, 1.0, Qt::CustomDashLine));
    QPen dashed(kInk, 1.0);
    dashed.setDashPattern({2, 1.5});
    p.setPen(dashed);
    p.drawRect(QRectF(9.5, 5.5, 10, 7));
    return pm;
}

QPixmap singleApplication() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 1.5);
    const QRectF frame(5, 3, 22, 18);
    p.drawRect(frame);
    p.fillRect(QRectF(5, 3, 22, 4), kInk);
    // Title-bar buttons, cut out of the filled bar.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(QRectF(20.5, 4.0, 2, 2), Qt::transparent);
    p.fillRect(QRectF(23.5, 4.0, 2, 2), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    return pm;
}

QPixmap clipboard() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 1.5);
    p.drawRoundedRect(QRectF(8, 3, 16, 19), 1.5, 1.5);
    // The clip.
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(12.5, 1.5, 7, 3.5), 1, 1);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 1.0));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 8.5 + i * 3;
        p.drawLine(QPointF(11, y), QPointF(i == 3 ? 17 : 21, y));
    }
    return pm;
}

QPixmap images() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 1.5);
    p.drawRect(QRectF(4, 3, 24, 18));
    // Mountains standing on the frame's lower edge.
    p.setBrush(kInk);
    p.setPen(QPen(kInk, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF hills[] = {{5, 20}, {12, 11}, {16, 16}, {19, 13}, {27, 20}};
    p.drawPolygon(hills, 5);
    // Sun.
    p.drawEllipse(QPointF(22, 8), 2.2, 2.2);
    return pm;
}

QPixmap scrollText() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 2.0);
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(4, 4), QPointF(28, 4));
    p.drawLine(QPointF(4, 9), QPointF(24, 9));
    p.drawLine(QPointF(4, 14), QPointF(27, 14));
    // Arrow pointing left: the direction the text travels.
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(7, 20), QPointF(27, 20));
    QPainterPath head;
    head.moveTo(10.5, 17);
    head.lineTo(7, 20);
    head.lineTo(10.5, 23);
    p.drawPath(head);
    return pm;
}

QPixmap captureImage() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 1.5);
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath body;
    body.addRoundedRect(QRectF(4, 7, 24, 14), 2, 2);
    p.drawPath(body);
    // Viewfinder hump, lens and flash.
    QPainterPath hump;
    hump.moveTo(11, 7);
    hump.lineTo(13, 3.5);
    hump.lineTo(19, 3.5);
    hump.lineTo(21, 7);
    p.drawPath(hump);
    p.drawEllipse(QPointF(16, 14), 4.2, 4.2);
    p.drawEllipse(QPointF(16, 14), 1.5, 1.5);
    p.fillRect(QRectF(23, 9.5, 3, 2), kInk);
    return pm;
}

QPixmap trayPixmap(int size) {
    size = std::max(size, 8);
    QPixmap pm = blank(size, size);
    QPainter p(&pm);
    // Laid out on a 32 grid and scaled; outline width grows with the size so
    // the small renderings keep one clear pixel.
    const qreal s = size / 32.0;
    const qreal pen = std::max(1.0, 2.0 * s);
    p.setRenderHint(QPainter::Antialiasing, size != 32);
    p.setPen(QPen(kTrayRed, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const auto screen = [&](qreal x) {
        // Screen 13 x 11, neck, then the stand bar.
        p.drawRect(QRectF((x + 1) * s, 8 * s, 12 * s, 11 * s));
        p.fillRect(QRectF((x + 6) * s, 20 * s, 2 * s, 2 * s), kTrayRed);
        p.fillRect(QRectF((x + 3) * s, 22 * s, 8 * s, pen), kTrayRed);
    };
    screen(1);
    screen(17);
    return pm;
}

QIcon trayIcon() {
    QIcon icon;
    for (int size : {16, 22, 32})
        icon.addPixmap(trayPixmap(size));
    return icon;
}

}  // namespace vz::glyphs
