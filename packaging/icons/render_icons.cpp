// Renders the tray picture as the program's icon in the hicolor theme:
//   render_icons OUT SIZE...
//   OUT/<N>x<N>/apps/vivivoz.png    for every SIZE
//   OUT/scalable/apps/vivivoz.svg   traced from the 32 px picture
// The tray picture is drawn pixel by pixel for a few sizes; every theme size
// is made from one of those without blurring: an exact multiple is scaled up
// pixel by pixel, otherwise the largest smaller picture is centred.
// Runs without a display (QT_QPA_PLATFORM=offscreen).

#include "ui/widgets/glyphs.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

// The sizes glyphs::trayPixmap draws pixel by pixel (others it scales
// smoothly), largest first.
constexpr int kDrawnSizes[] = {32, 22, 16};

QImage trayImage(int size) { return vz::glyphs::trayPixmap(size).toImage().convertToFormat(QImage::Format_ARGB32); }

QImage themeImage(int size) {
    for (int drawn : kDrawnSizes) {
        if (size % drawn == 0)
            return trayImage(drawn).scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    for (int drawn : kDrawnSizes) {
        if (drawn > size) continue;
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        const int margin = (size - drawn) / 2;
        p.drawImage(margin, margin, trayImage(drawn));
        return image;
    }
    return trayImage(size);
}

// The picture as SVG rectangles: runs of equal pixels in a row, joined with
// the same run in the rows below.
QByteArray tracedSvg(const QImage& image) {
    struct Run {
        int x, w;
        QRgb colour;
    };
    QMap<QRgb, QByteArray> paths;
    QList<QList<Run>> rows(image.height());
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width();) {
            const QRgb c = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == c) ++end;
            if (qAlpha(c) != 0) rows[y].append({x, end - x, c});
            x = end;
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        for (const Run& run : std::as_const(rows[y])) {
            int h = 1;
            for (;; ++h) {
                if (y + h >= image.height()) break;
                QList<Run>& below = rows[y + h];
                auto same = std::find_if(below.begin(), below.end(), [&](const Run& r) {
                    return r.x == run.x && r.w == run.w && r.colour == run.colour;
                });
                if (same == below.end()) break;
                below.erase(same);
            }
            paths[run.colour] += QStringLiteral("M%1 %2h%3v%4h-%3z").arg(run.x).arg(y).arg(run.w).arg(h).toLatin1();
        }
    }
    QByteArray svg =
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\">\n")
            .arg(image.width())
            .arg(image.height())
            .toLatin1();
    for (auto it = paths.cbegin(); it != paths.cend(); ++it) {
        const QRgb c = it.key();
        svg += QStringLiteral("<path fill=\"#%1\"").arg(c & 0xffffff, 6, 16, QLatin1Char('0')).toLatin1();
        if (qAlpha(c) != 255)
            svg += QStringLiteral(" fill-opacity=\"%1\"").arg(qAlpha(c) / 255.0, 0, 'g', 3).toLatin1();
        svg += " d=\"" + it.value() + "\"/>\n";
    }
    svg += "</svg>\n";
    return svg;
}

bool makeFolderOf(const QString& path) { return QDir().mkpath(path.section(QLatin1Char('/'), 0, -2)); }

bool write(const QString& path, const QByteArray& data) {
    QFile f(path);
    return makeFolderOf(path) && f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.flush();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: render_icons OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    const QString out = QFile::decodeName(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QByteArray(argv[i]).toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "render_icons: '%s' is not a size from 8 to 1024\n", argv[i]);
            return 2;
        }
        const QString path = QStringLiteral("%1/%2x%2/apps/vivivoz.png").arg(out).arg(size);
        if (!makeFolderOf(path) || !themeImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString svgPath = out + QStringLiteral("/scalable/apps/vivivoz.svg");
    if (!write(svgPath, tracedSvg(trayImage(32)))) {
        std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(svgPath));
        return 1;
    }
    return 0;
}
