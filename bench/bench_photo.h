#pragma once
// A synthetic photograph for the slideshow benchmarks: gradients, soft blobs
// and grain, a photo's mix of smooth and busy areas, and its encoded bytes.

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace bench {

inline QImage photo(QSize size, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> grain(-12, 12);
    const int w = size.width(), h = size.height();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            const double blob = 60 * std::sin(7 * u + 3 * v) * std::cos(5 * v - 2 * u);
            const int g = grain(rng);
            row[x] = qRgb(std::clamp(int(90 + 120 * u + blob) + g, 0, 255),
                          std::clamp(int(70 + 100 * v - blob / 2) + g, 0, 255),
                          std::clamp(int(160 - 90 * u * v + blob) + g, 0, 255));
        }
    }
    return image;
}

inline QByteArray encode(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

// Writes one JPEG photo of `side` into `dir` and `count` hard links to it
// named <stem>000.jpg...; the paths of the links, empty on failure.
inline QStringList linkedJpegs(const QString& dir, QSize side, int count, const QString& stem) {
    std::printf("making a %dx%d JPEG and %d links to it...\n", side.width(), side.height(), count);
    const QString master = QDir(dir).filePath(QStringLiteral("master.jpg"));
    QFile f(master);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(encode(photo(side, 1), "JPG", 90));
    f.close();
    std::printf("  %lld bytes\n", static_cast<long long>(f.size()));
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths << QDir(dir).filePath(QStringLiteral("%1%2.jpg").arg(stem).arg(i, 3, 10, QLatin1Char('0')));
        if (::link(QFile::encodeName(master).constData(), QFile::encodeName(paths.last()).constData()) != 0) return {};
    }
    return paths;
}

// The pictures of a benchmark run: `count` links of one photo of `side` in
// a temporary folder, from "--<countName>=N" (at least `minCount`) and
// "--side=WxH" on the command line; `paths` is empty when they could not be made.
struct PictureFiles {
    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
    QSize side{6000, 4000};
    QStringList paths;
};
inline PictureFiles pictureFilesFromArgs(int argc, char** argv, const char* countName, int count, int minCount,
                                         const QString& stem) {
    PictureFiles files;
    const std::string countFlag = std::string("--") + countName + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], countFlag.c_str(), countFlag.size()) == 0)
            count = std::max(minCount, std::atoi(argv[i] + countFlag.size()));
        if (std::strncmp(argv[i], "--side=", 7) == 0)
            std::sscanf(argv[i] + 7, "%dx%d", &files.side.rwidth(), &files.side.rheight());
    }
    files.paths = linkedJpegs(files.dir->path(), files.side, count, stem);
    return files;
}

}  // namespace bench
