#include "ui/widgets/glyphs.h"

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
void begin(QPainter& p, qreal penWidth) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, penWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
}

// A monitor: the screen outline drawn with the current pen, then neck and
// foot filled below it, centred on `centreX` (pixel columns).
void drawMonitor(QPainter& p, const QRectF& screen, const QRect& neck, const QRect& foot) {
    p.drawRect(screen);
    p.fillRect(neck, p.pen().color());
    p.fillRect(foot, p.pen().color());
}

// A rectangle outline of thickness t filled in pixels (crisp at any size).
void frame(QPainter& p, const QRect& r, int t, const QColor& color) {
    p.fillRect(QRect(r.left(), r.top(), r.width(), t), color);
    p.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), color);
    p.fillRect(QRect(r.left(), r.top() + t, t, r.height() - 2 * t), color);
    p.fillRect(QRect(r.right() - t + 1, r.top() + t, t, r.height() - 2 * t), color);
}

}  // namespace

QPixmap cog() {
    QPixmap pm = blank(19, 19);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(9.5, 9.5);
    const qreal rIn = 6.2, rOut = 9.0;
    auto at = [&](qreal r, qreal deg) {
        const qreal a = qDegreesToRadians(deg);
        return c + QPointF(r * qCos(a), r * qSin(a));
    };
    // Eight teeth round a ring; the hole is cut with the odd-even rule.
    QPainterPath gear;
    gear.setFillRule(Qt::OddEvenFill);
    for (int i = 0; i < 8; ++i) {
        const qreal t = i * 45.0 - 90.0;
        const QPointF pts[] = {at(rIn, t - 16), at(rOut, t - 9), at(rOut, t + 9), at(rIn, t + 16)};
        if (i == 0)
            gear.moveTo(pts[0]);
        else
            gear.lineTo(pts[0]);
        for (int k = 1; k < 4; ++k) gear.lineTo(pts[k]);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 3.0, 3.0);
    p.fillPath(gear, kInk);
    return pm;
}

QPixmap sendToSecond() {
    QPixmap pm = blank(42, 16);
    QPainter p(&pm);
    begin(p, 1.0);
    // Left screen, arrow, right screen; 1 px lines on pixel centres.
    drawMonitor(p, QRectF(1.5, 1.5, 12, 9), QRect(7, 11, 1, 2), QRect(4, 13, 7, 1));
    drawMonitor(p, QRectF(28.5, 1.5, 12, 9), QRect(34, 11, 1, 2), QRect(31, 13, 7, 1));
    p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(17, 6.5), QPointF(25, 6.5));
    QPainterPath head;
    head.moveTo(21.5, 3);
    head.lineTo(25, 6.5);
    head.lineTo(21.5, 10);
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

// The source glyphs use 2 px lines on whole-pixel coordinates so their
// straight edges stay sharp.
QPixmap desktop() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 2.0);
    drawMonitor(p, QRectF(5, 3, 22, 14), QRect(15, 18, 2, 2), QRect(10, 20, 12, 2));
    return pm;
}

QPixmap partOfDesktop() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 2.0);
    drawMonitor(p, QRectF(5, 3, 22, 14), QRect(15, 18, 2, 2), QRect(10, 20, 12, 2));
    QPen dashed(kInk, 1.0, Qt::CustomDashLine, Qt::FlatCap);
    dashed.setDashPattern({2, 2});
    p.setPen(dashed);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(QRect(9, 6, 12, 7));
    return pm;
}

QPixmap singleApplication() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    frame(p, QRect(4, 2, 24, 19), 2, kInk);
    p.fillRect(QRect(4, 2, 24, 5), kInk);
    // Title-bar buttons punched out of the bar.
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.fillRect(QRect(19, 3, 2, 2), Qt::transparent);
    p.fillRect(QRect(23, 3, 2, 2), Qt::transparent);
    return pm;
}

QPixmap clipboard() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    frame(p, QRect(8, 3, 16, 20), 2, kInk);
    p.fillRect(QRect(12, 1, 8, 4), kInk);  // the clip
    for (int i = 0; i < 4; ++i) p.fillRect(QRect(11, 8 + i * 3, i == 3 ? 6 : 10, 1), kInk);
    return pm;
}

QPixmap images() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    frame(p, QRect(4, 3, 24, 18), 2, kInk);
    // Mountains standing on the frame's lower edge, and a sun.
    begin(p, 1.0);
    p.setBrush(kInk);
    const QPointF hills[] = {{6, 19}, {12.5, 10.5}, {16.5, 15.5}, {19.5, 12.5}, {26, 19}};
    p.drawPolygon(hills, 5);
    p.drawEllipse(QPointF(21.5, 7.5), 2.0, 2.0);
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
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawLine(QPointF(6, 19), QPointF(27, 19));
    QPainterPath head;
    head.moveTo(10, 16);
    head.lineTo(6.5, 19);
    head.lineTo(10, 22);
    p.drawPath(head);
    return pm;
}

QPixmap captureImage() {
    QPixmap pm = blank(32, 24);
    QPainter p(&pm);
    begin(p, 2.0);
    p.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawRoundedRect(QRectF(4, 8, 24, 13), 2, 2);
    // Viewfinder hump, lens and flash.
    QPainterPath hump;
    hump.moveTo(11, 8);
    hump.lineTo(13, 4);
    hump.lineTo(19, 4);
    hump.lineTo(21, 8);
    p.drawPath(hump);
    p.setPen(QPen(kInk, 1.5));
    p.drawEllipse(QPointF(16, 14.5), 4.0, 4.0);
    p.fillRect(QRect(23, 10, 3, 2), kInk);
    return pm;
}

namespace {

// Pixel layout of the tray picture for one size: two screens side by side,
// each with a neck and a stand bar.
struct TrayLayout {
    int size;
    int thickness;     // outline
    int left1, left2;  // screens' left columns
    int top, w, h;     // screens
    int neckDx, neckW, neckH;
    int barDx, barW, barH;
};

constexpr TrayLayout kTrayLayouts[] = {
    {16, 1, 0, 9, 3, 7, 6, 3, 1, 2, 1, 5, 1},
    {22, 2, 0, 12, 5, 10, 8, 4, 2, 2, 2, 6, 2},
    {32, 2, 1, 17, 8, 14, 12, 6, 2, 2, 3, 8, 2},
};

void drawTray(QPainter& p, const TrayLayout& l) {
    for (int left : {l.left1, l.left2}) {
        frame(p, QRect(left, l.top, l.w, l.h), l.thickness, kTrayRed);
        const int below = l.top + l.h;
        p.fillRect(QRect(left + l.neckDx, below, l.neckW, l.neckH), kTrayRed);
        p.fillRect(QRect(left + l.barDx, below + l.neckH, l.barW, l.barH), kTrayRed);
    }
}

}  // namespace

QPixmap trayPixmap(int size) {
    size = std::clamp(size, 8, 1024);
    QPixmap pm = blank(size, size);
    QPainter p(&pm);
    for (const TrayLayout& l : kTrayLayouts) {
        if (l.size == size) {
            drawTray(p, l);
            return pm;
        }
    }
    // Other sizes: the 32 px picture scaled smoothly.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(0, 0, size, size), trayPixmap(32));
    return pm;
}

QIcon trayIcon() {
    QIcon icon;
    for (int size : {16, 22, 32}) icon.addPixmap(trayPixmap(size));
    return icon;
}

}  // namespace vz::glyphs
