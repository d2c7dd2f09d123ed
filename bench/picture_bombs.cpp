// Hostile pictures against the readers that take pictures from outside:
// huge declared sizes (PNG, JPEG, BMP), a progressive JPEG of thousands of
// scans, PNGs whose compressed data unpacks to far more than they declare,
// truncated and empty files. They are made here, in a temporary folder
// (nothing large is kept in the sources), and each is read in a fresh
// process so that its peak memory is its own:
//   slideshow: the slideshow decoder fitting it into 1920x1080;
//   probe:     the size probe the slideshow editor runs on every file;
//   clipboard: the clipboard picture path, the picture offered as its type;
//   peer:      Qt's image reader asked for the same 1920x1080 fit.
// Printed per file and reader: the outcome (shown WxH, or refused), the
// wall time, the CPU time and the process's peak resident memory, and ours /
// peer for CPU time and memory. The goal for our readers: every file shown
// or refused within 1 s of CPU time (the wall time on an idle machine; these
// machines are shared) and under 300 MB; a line that misses it is marked and the exit status
// is 1.
//
// Usage: picture_bombs [--keep DIR]   (DIR: write the files there and keep
// them)

#include "core/clipboard/clipboard_picture.h"
#include "core/slideshow/picture_decoder.h"
#include "test_pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/resource.h>

namespace {

using vz::slideshow::FileKind;

constexpr double kGoalSeconds = 1.0;
constexpr double kGoalMegabytes = 300.0;

// ---- making the files ----

// A valid progressive JPEG of `size` whose scan script refines every
// coefficient of every component bit by bit: some seventeen hundred scans.
QByteArray thousandsOfScans(QSize size) {
    QImage image(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            row[x * 3] = uchar(x * 7 + y);
            row[x * 3 + 1] = uchar(x ^ y);
            row[x * 3 + 2] = uchar(y * 3);
        }
    }
    vz::test::JpegOptions options;
    options.quality = 100;  // every coefficient at 1, so that no scan is empty
    options.scanPerBit = true;
    return vz::test::encodeJpeg(image, options);
}

QByteArray bitmapHeader(qint32 width, qint32 height, quint16 bits, quint32 compression, quint32 dataBytes) {
    QByteArray b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    qToLittleEndian(quint32(54 + dataBytes), b.data() + 2);
    qToLittleEndian(quint32(54 + (bits == 8 ? 1024 : 0)), b.data() + 10);
    qToLittleEndian(quint32(40), b.data() + 14);
    qToLittleEndian(width, b.data() + 18);
    qToLittleEndian(height, b.data() + 22);
    qToLittleEndian(quint16(1), b.data() + 26);
    qToLittleEndian(bits, b.data() + 28);
    qToLittleEndian(compression, b.data() + 30);
    qToLittleEndian(dataBytes, b.data() + 34);
    return b;
}

struct Bomb {
    const char* name;
    const char* file;  // its extension picks the decoder
    QByteArray bytes;
};

std::vector<Bomb> bombs() {
    using namespace vz::test;
    std::vector<Bomb> list;
    JpegOptions progressiveJpeg;
    progressiveJpeg.progressive = true;
    const QImage photo = [] {
        QImage image(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x & 255, y & 255, (x ^ y) & 255));
        return image;
    }();
    const QByteArray jpeg = encodeJpeg(photo), progressive = encodeJpeg(photo, progressiveJpeg);
    const QByteArray png = encodePng(photo), bmp = encodeBmp(photo);

    list.push_back({"PNG declaring 100000 x 100000", "huge.png", pngOfZeros(100000, 100000, 1 << 16)});
    list.push_back({"PNG declaring 20000 x 20000 (400 Mpx)", "big.png", pngOfZeros(20000, 20000, 1 << 16)});
    list.push_back(
        {"PNG 6300 x 6300 of black (40 Mpx, whole)", "black.png", pngOfZeros(6300, 6300, 6300ll * (1 + 6300 * 3))});
    list.push_back({"PNG 64 x 64 whose data unpacks to 1 GB", "zlib.png", pngOfZeros(64, 64, 1ll << 30)});
    list.push_back({"JPEG declaring 65500 x 65500", "huge.jpg", withJpegSize(jpeg, 65500, 65500)});
    list.push_back({"JPEG declaring 14000 x 14000 (196 Mpx)", "big.jpg", withJpegSize(jpeg, 14000, 14000)});
    list.push_back(
        {"progressive JPEG declaring 14000 x 14000", "bigprog.jpg", withJpegSize(progressive, 14000, 14000)});
    list.push_back({"progressive JPEG 2048 x 2048, 1702 scans", "scans.jpg", thousandsOfScans(QSize(2048, 2048))});
    list.push_back({"BMP declaring 100000 x 100000", "huge.bmp", bitmapHeader(100000, 100000, 24, 0, 0)});
    list.push_back({"BMP 6000 x 6000, pixels missing", "short.bmp", bitmapHeader(6000, 6000, 24, 0, 0)});
    list.push_back({"BMP 6000 x -6000 RLE8, 2 bytes of data", "rle.bmp",
                    bitmapHeader(6000, -6000, 8, 1, 2) + QByteArray(1024, 0) + QByteArray("\x00\x01", 2)});
    list.push_back({"PNG cut in half", "cut.png", png.left(png.size() / 2)});
    list.push_back({"JPEG cut in half", "cut.jpg", jpeg.left(jpeg.size() / 2)});
    list.push_back({"progressive JPEG cut in half", "cutprog.jpg", progressive.left(progressive.size() / 2)});
    list.push_back({"BMP cut in half", "cut.bmp", bmp.left(bmp.size() / 2)});
    list.push_back({"empty PNG", "empty.png", {}});
    list.push_back({"empty JPEG", "empty.jpg", {}});
    list.push_back({"empty BMP", "empty.bmp", {}});
    return list;
}

// ---- reading one file (in its own process) ----

const char* mimeTypeOf(const QString& path) {
    if (path.endsWith(QLatin1String(".png"))) return "image/png";
    if (path.endsWith(QLatin1String(".jpg"))) return "image/jpeg";
    return "image/bmp";
}

// Reads `path` with `reader`; prints "outcome|seconds|peak MB".
int readOne(const QString& reader, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    QString outcome;
    const QSize bound(1920, 1080);
    if (reader == QLatin1String("slideshow")) {
        const auto picture = vz::slideshow::decodePictureFile(path, bound);
        outcome = picture.ok() ? QStringLiteral("shown %1x%2").arg(picture.image.width()).arg(picture.image.height())
                               : QStringLiteral("refused: ") + picture.error.section(QLatin1String("\": "), 1);
    } else if (reader == QLatin1String("probe")) {
        const auto picture = vz::slideshow::probePictureFile(path);
        outcome = picture.ok()
                      ? QStringLiteral("size %1x%2").arg(picture.fullSize.width()).arg(picture.fullSize.height())
                      : QStringLiteral("refused: ") + picture.error.section(QLatin1String("\": "), 1);
    } else if (reader == QLatin1String("clipboard")) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QMimeData data;
        data.setData(QString::fromLatin1(mimeTypeOf(path)), file.readAll());
        const vz::ClipboardPicture picture = vz::readClipboardPicture(&data);
        outcome = picture.status == vz::ClipboardPicture::Status::Picture
                      ? QStringLiteral("shown %1x%2").arg(picture.picture.width()).arg(picture.picture.height())
                      : QStringLiteral("refused: ") + picture.error;
    } else {
        QImageReader qt(path);
        const QSize size = qt.size();
        if (size.isValid()) qt.setScaledSize(vz::slideshow::fittedSize(size, bound));
        QImage image;
        outcome = qt.read(&image) ? QStringLiteral("shown %1x%2").arg(image.width()).arg(image.height())
                                  : QStringLiteral("refused: ") + qt.errorString();
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("%s|%.3f|%.1f|%.3f\n", qPrintable(outcome.simplified().left(60)), seconds,
                double(usage.ru_maxrss) / 1024.0, cpu);
    return 0;
}

struct Figures {
    QString outcome;
    double seconds = -1;
    double megabytes = -1;
    double cpu = -1;  // user + system seconds
};

Figures measure(const QString& reader, const QString& path) {
    QProcess process;
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--one"), reader, path});
    Figures f;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        f.outcome = QStringLiteral("no answer within 60 s");
        return f;
    }
    const QStringList parts = QString::fromUtf8(process.readAllStandardOutput()).trimmed().split(QLatin1Char('|'));
    if (process.exitStatus() != QProcess::NormalExit || parts.size() != 4) {
        f.outcome = QStringLiteral("crashed (status %1)").arg(process.exitCode());
        return f;
    }
    f.outcome = parts[0];
    f.seconds = parts[1].toDouble();
    f.megabytes = parts[2].toDouble();
    f.cpu = parts[3].toDouble();
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--one")) return readOne(args[2], args[3]);

    QTemporaryDir temporary;
    QString folder = temporary.path();
    if (args.size() == 3 && args[1] == QLatin1String("--keep")) {
        folder = args[2];
        QDir().mkpath(folder);
    }
    std::printf("Making the files in %s ...\n", qPrintable(folder));
    const std::vector<Bomb> list = bombs();
    const Figures baseline = measure(QStringLiteral("peer"), QStringLiteral("/nonexistent.png"));
    std::printf("A process that reads nothing: %.1f MB.\n\n", baseline.megabytes);
    std::printf("%-44s %9s  %-10s %-46s %8s %8s %8s %8s %8s\n", "file", "bytes", "reader", "outcome", "s", "cpu s",
                "MB", "cpu/peer", "MB/peer");
    bool missed = false;
    for (const Bomb& bomb : list) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(bomb.file);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bomb.bytes) != bomb.bytes.size()) {
            std::printf("%s: cannot write %s\n", bomb.name, qPrintable(path));
            return 2;
        }
        file.close();
        const Figures peer = measure(QStringLiteral("peer"), path);
        for (const char* reader : {"slideshow", "probe", "clipboard", "peer"}) {
            const Figures f = std::strcmp(reader, "peer") == 0 ? peer : measure(QLatin1String(reader), path);
            const bool ours = std::strcmp(reader, "peer") != 0;
            const bool miss = ours && (f.cpu < 0 || f.cpu > kGoalSeconds || f.megabytes > kGoalMegabytes);
            missed = missed || miss;
            auto ratio = [](double a, double b) {
                return a >= 0 && b > 0 ? QString::number(a / b, 'f', 2) : QStringLiteral("-");
            };
            const bool first = std::strcmp(reader, "slideshow") == 0;
            std::printf(
                "%-44s %9s  %-10s %-46s %8.3f %8.3f %8.1f %8s %8s%s\n", first ? bomb.name : "",
                first ? qPrintable(QString::number(bomb.bytes.size())) : "", reader, qPrintable(f.outcome.left(46)),
                f.seconds, f.cpu, f.megabytes, ours ? qPrintable(ratio(f.cpu, peer.cpu)) : "",
                ours ? qPrintable(ratio(f.megabytes, peer.megabytes)) : "", miss ? "  <-- over 1 s or 300 MB" : "");
        }
    }
    std::printf(
        "\nGoal for slideshow, probe and clipboard: within %.0f s and "
        "under %.0f MB: %s\n",
        kGoalSeconds, kGoalMegabytes, missed ? "MISSED" : "met for every file");
    return missed ? 1 : 0;
}
