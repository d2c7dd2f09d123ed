// Renders every transition style at progress 25, 50 and 75 between two
// distinct pictures into one labelled PNG (and, with --pages, one PNG per
// 24 styles for a closer look).
//   transitions_contact_sheet OUT.png [--pages]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdio>

#include "core/scaling/row_workers.h"
#include "core/transitions/transition_styles.h"

using namespace vz::transitions;

namespace {

constexpr int kW = 192, kH = 108, kGap = 4, kLabel = 16, kColumns = 4;

QImage oldPicture() {
    QImage image(kW, kH, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, kH);
    g.setColorAt(0, QColor(20, 40, 120));
    g.setColorAt(1, QColor(10, 10, 40));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(150, 180, 255), 1));
    for (int x = 0; x < kW; x += 16) p.drawLine(x, 0, x, kH);
    for (int y = 0; y < kH; y += 16) p.drawLine(0, y, kW, y);
    p.setFont(QFont("DejaVu Sans", 40, QFont::Bold));
    p.drawText(image.rect(), Qt::AlignCenter, "OLD");
    return image;
}

QImage newPicture() {
    QImage image(kW, kH, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, kW, 0);
    g.setColorAt(0, QColor(255, 200, 40));
    g.setColorAt(1, QColor(230, 90, 20));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(140, 0, 0), 6));
    p.drawLine(0, 0, kW, kH);
    p.setPen(QColor(60, 0, 0));
    p.setFont(QFont("DejaVu Sans", 40, QFont::Bold));
    p.drawText(image.rect(), Qt::AlignCenter, "NEW");
    return image;
}

QImage sheet(int first, int last, const QImage& a, const QImage& b) {
    const int cellW = 3 * kW + 2 * kGap, cellH = kLabel + kH;
    const int count = last - first + 1, rows = (count + kColumns - 1) / kColumns;
    QImage out(kColumns * (cellW + 3 * kGap) + kGap, rows * (cellH + 2 * kGap) + kGap, QImage::Format_RGB32);
    out.fill(QColor(235, 235, 235));
    QPainter p(&out);
    p.setFont(QFont("DejaVu Sans", 9));
    RandomGenerator random{42};
    for (int style = first; style <= last; ++style) {
        const int i = style - first;
        const int x0 = kGap + (i % kColumns) * (cellW + 3 * kGap), y0 = kGap + (i / kColumns) * (cellH + 2 * kGap);
        p.setPen(Qt::black);
        p.drawText(QRect(x0, y0, cellW, kLabel), Qt::AlignLeft | Qt::AlignVCenter,
                   QString("%1 %2").arg(style).arg(styleName(style)));
        int k = 0;
        for (int progress : {25, 50, 75}) {
            QImage frame = a.copy();
            paintStyle(style, pixelsOf(frame), pixelsOf(b), progress, 7, random);
            p.drawImage(x0 + k * (kW + kGap), y0 + kLabel, frame);
            ++k;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    // The row workers the program lends its picture work (row_workers.h).
    vz::RowWorkers rowWorkers;
    const vz::RowWorkers::Lend lend(&rowWorkers);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [--pages]\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const bool pages = argc > 2 && QString(argv[2]) == "--pages";
    const QImage a = oldPicture(), b = newPicture();
    if (!sheet(1, kStyleCount, a, b).save(out)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s\n", argv[1]);
    if (pages) {
        for (int first = 1; first <= kStyleCount; first += 24) {
            QString name = out;
            name.replace(".png", QString("-%1.png").arg(first, 3, 10, QChar('0')));
            sheet(first, std::min(kStyleCount, first + 23), a, b).save(name);
            std::printf("%s\n", qPrintable(name));
        }
    }
    return 0;
}
