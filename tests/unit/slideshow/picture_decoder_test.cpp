#include "core/slideshow/picture_decoder.h"
#include "core/slideshow/picture_read_ahead.h"
#include "test_pictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <map>
#include <string>
#include <thread>

using namespace vz::slideshow;
using namespace vz::test;

namespace {

// Close to the colour (JPEG is lossy).
bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 40 && std::abs(qGreen(a) - qGreen(b)) < 40 &&
           std::abs(qBlue(a) - qBlue(b)) < 40;
}

// Colours at the centres of the four quadrants: top left, top right, bottom left, bottom right.
std::array<QRgb, 4> corners(const QImage& image) {
    const int w = image.width(), h = image.height();
    return {image.pixel(w / 4, h / 4), image.pixel(3 * w / 4, h / 4), image.pixel(w / 4, 3 * h / 4),
            image.pixel(3 * w / 4, 3 * h / 4)};
}

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255);

void expectCorners(const QImage& image, std::array<QRgb, 4> want, int orientation) {
    const auto got = corners(image);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(near(got[size_t(i)], want[size_t(i)])) << "orientation " << orientation << " quadrant " << i;
}

TEST(PictureDecoder, SizesAndScales) {
    EXPECT_EQ(fittedSize(QSize(6000, 4000), QSize(1280, 1024)), QSize(1280, 853));
    EXPECT_EQ(fittedSize(QSize(3000, 4000), QSize(1280, 1024)), QSize(768, 1024));
    EXPECT_EQ(fittedSize(QSize(800, 600), QSize(1280, 1024)), QSize(800, 600));  // never enlarged
    EXPECT_EQ(fittedSize(QSize(800, 600), QSize()), QSize(800, 600));
    EXPECT_EQ(jpegScaleEighths(QSize(6000, 4000), QSize(1280, 853)), 2);  // 1500x1000
    EXPECT_EQ(jpegScaleEighths(QSize(6000, 4000), QSize(750, 500)), 1);
    EXPECT_EQ(jpegScaleEighths(QSize(6000, 4000), QSize(751, 500)), 2);
    EXPECT_EQ(jpegScaleEighths(QSize(1920, 1080), QSize(1920, 1080)), 8);
}

TEST(PictureDecoder, DecodesEachKindToTheBound) {
    const QImage source = quadrants(QSize(640, 480));
    const std::pair<FileKind, QByteArray> files[] = {
        {FileKind::Jpeg, encodeJpeg(source)},
        {FileKind::Jpeg, encodeJpeg(source, {90, true, false, 0})},
        {FileKind::Png, encodePng(source)},
        {FileKind::Bitmap, encodeBmp(source)},
    };
    for (const auto& [kind, bytes] : files) {
        const DecodedPicture full = decodePictureData(bytes, kind, QSize(), "p");
        ASSERT_TRUE(full.ok()) << full.error.toStdString();
        EXPECT_EQ(full.image.size(), QSize(640, 480));
        EXPECT_EQ(full.fullSize, QSize(640, 480));
        expectCorners(full.image, {R, G, B, W}, 1);

        const DecodedPicture small = decodePictureData(bytes, kind, QSize(100, 100), "p");
        ASSERT_TRUE(small.ok());
        EXPECT_EQ(small.image.size(), QSize(100, 75));
        EXPECT_EQ(small.fullSize, QSize(640, 480));
        expectCorners(small.image, {R, G, B, W}, 1);
    }
    const DecodedPicture gray = decodePictureData(encodeJpeg(source, {90, false, true, 0}), FileKind::Jpeg, {}, "g");
    ASSERT_TRUE(gray.ok());
    EXPECT_EQ(qRed(gray.image.pixel(600, 400)), qGreen(gray.image.pixel(600, 400)));

    QImage alpha(40, 20, QImage::Format_ARGB32);
    alpha.fill(qRgba(255, 0, 0, 128));
    const DecodedPicture translucent = decodePictureData(encodePng(alpha), FileKind::Png, {}, "a");
    ASSERT_TRUE(translucent.ok());
    EXPECT_EQ(translucent.image.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_NEAR(qAlpha(translucent.image.pixel(5, 5)), 128, 1);
}

TEST(PictureDecoder, HonoursExifOrientation) {
    const QImage source = quadrants(QSize(64, 32));
    // What the viewer sees for each orientation value.
    const std::array<QRgb, 4> expected[] = {
        {R, G, B, W}, {G, R, W, B}, {W, B, G, R}, {B, W, R, G}, {R, B, G, W}, {B, R, W, G}, {W, G, B, R}, {G, W, R, B},
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QByteArray bytes = encodeJpeg(source, {95, false, false, orientation});
        const DecodedPicture picture = decodePictureData(bytes, FileKind::Jpeg, QSize(), "o");
        ASSERT_TRUE(picture.ok());
        const QSize want = orientation >= 5 ? QSize(32, 64) : QSize(64, 32);
        EXPECT_EQ(picture.image.size(), want) << orientation;
        EXPECT_EQ(picture.fullSize, want) << orientation;
        expectCorners(picture.image, expected[orientation - 1], orientation);
        // Bound in the upright frame: 16 x 32 for a standing picture.
        const DecodedPicture small = decodePictureData(bytes, FileKind::Jpeg, QSize(16, 16), "o");
        EXPECT_EQ(small.image.size(), orientation >= 5 ? QSize(8, 16) : QSize(16, 8)) << orientation;
    }
    const uchar junk[] = {'M', 'M', 0, 42, 0xFF, 0xFF, 0xFF, 0xF0};
    EXPECT_EQ(exifOrientation(junk, sizeof junk), 1);
}

struct Bad {
    const char* name;
    QByteArray bytes;
    const char* reason;
};

// Files the decoder must refuse, each with a word its message must hold.
std::vector<Bad> badFiles() {
    const QByteArray jpeg = encodeJpeg(quadrants(QSize(256, 256)));
    const QByteArray png = encodePng(quadrants(QSize(256, 256)));
    QByteArray corruptJpeg = jpeg;
    for (qsizetype i = corruptJpeg.size() / 2; i < corruptJpeg.size() - 2; i += 7) corruptJpeg[i] = char(0xFF);
    QByteArray badCrc = png;
    badCrc[40] = char(badCrc[40] ^ 0x55);
    JpegOptions progressive;
    progressive.progressive = true;
    return {
        {"truncated.jpg", jpeg.left(jpeg.size() / 2), ""},
        {"corrupt.jpg", corruptJpeg, ""},
        {"empty.jpg", QByteArray(), "empty"},
        {"huge.jpg", jpegClaimingSize(65500, 65500), "too large"},
        {"wide.jpg", jpegClaimingSize(65500, 16), "too large"},
        // Within the size limit, but its coefficients would not fit the memory limit.
        {"bigprog.jpg", withJpegSize(encodeJpeg(quadrants(QSize(256, 256)), progressive), 14000, 14000), "too large"},
        {"scans.jpg", jpegWithRepeatedScans(3000), ""},
        {"bomb.png", pngBomb(8000, 6000), "too large"},
        {"tall.png", pngBomb(1, 1 << 30, 1), ""},
        {"truncated.png", png.left(png.size() / 2), ""},
        {"crc.png", badCrc, ""},
        {"notpng.png", jpeg, "not a PNG"},
        {"truncated.bmp", encodeBmp(quadrants(QSize(64, 64))).left(60), ""},
        {"text.bmp", QByteArray("hello"), ""},
    };
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

TEST(PictureDecoder, BadInputsGiveAMessageNamingTheFile) {
    QTemporaryDir dir;
    for (const Bad& b : badFiles()) {
        const QString path = writeFile(dir, b.name, b.bytes);
        const DecodedPicture picture = decodePictureFile(path, QSize(1280, 1024));
        EXPECT_FALSE(picture.ok()) << b.name;
        EXPECT_TRUE(picture.image.isNull()) << b.name;
        EXPECT_TRUE(picture.error.contains(path)) << picture.error.toStdString();
        EXPECT_TRUE(picture.error.contains(QString::fromUtf8(b.reason))) << picture.error.toStdString();
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
    EXPECT_TRUE(decodePictureFile(dir.filePath(QStringLiteral("folder.jpg")), {}).error.contains("folder"));
    EXPECT_TRUE(decodePictureFile(dir.filePath(QStringLiteral("gone.png")), {}).error.contains("does not exist"));

    // The scan limit on its own: a normal progressive file has about ten scans.
    DecodeLimits fewScans;
    fewScans.maxJpegScans = 3;
    const DecodedPicture progressive = decodePictureData(encodeJpeg(quadrants(QSize(32, 32)), {90, true, false, 0}),
                                                         FileKind::Jpeg, {}, "p", fewScans);
    EXPECT_TRUE(progressive.error.contains("more than 3 scans")) << progressive.error.toStdString();

    // Picture data far longer than the picture: refused before libpng
    // inflates it all (the checksums do not matter, nothing is read).
    const QByteArray small = encodePng(quadrants(QSize(8, 8)));
    EXPECT_FALSE(pngDataLongerThanPicture(small));
    QByteArray longData = small.left(33) + QByteArray("\x00\x01\x11\x70IDAT", 8) + QByteArray(0x11170 + 4, '\0');
    longData += QByteArray("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    EXPECT_TRUE(pngDataLongerThanPicture(longData));
    EXPECT_TRUE(decodePictureData(longData, FileKind::Png, {}, "long").error.contains("longer than the picture"));
}

TEST(PictureProbe, GivesTheDecodedSizeAndTheDecodersMessages) {
    QTemporaryDir dir;
    const QImage source = quadrants(QSize(96, 40));
    struct Good {
        const char* name;
        QByteArray bytes;
    };
    const Good good[] = {
        {"plain.jpg", encodeJpeg(source)},
        {"progressive.jpg", encodeJpeg(source, {90, true, false, 0})},
        {"gray.jpg", encodeJpeg(source, {90, false, true, 0})},
        {"turned.jpg", encodeJpeg(source, {90, false, false, 6})},
        {"mirrored.jpg", encodeJpeg(source, {90, false, false, 2})},
        {"plain.png", encodePng(source)},
        {"plain.bmp", encodeBmp(source)},
        // Bytes after the end of the picture, as some cameras write.
        {"tail.jpg", encodeJpeg(source) + QByteArray(300, 'x')},
    };
    for (const Good& g : good) {
        const QString path = writeFile(dir, g.name, g.bytes);
        const DecodedPicture probed = probePictureFile(path);
        const DecodedPicture decoded = decodePictureFile(path, QSize(1, 1));
        ASSERT_TRUE(decoded.ok()) << g.name;
        EXPECT_TRUE(probed.ok()) << g.name << ": " << probed.error.toStdString();
        EXPECT_EQ(probed.fullSize, decoded.fullSize) << g.name;
        EXPECT_TRUE(probed.image.isNull()) << g.name;
    }

    // Every bad file is refused, with the decoder's own message but where
    // the probe finds the fault another way.
    const std::map<std::string, const char*> ownWords = {{"scans.jpg", "more than 500 scans"}};
    for (const Bad& b : badFiles()) {
        const QString path = writeFile(dir, b.name, b.bytes);
        const DecodedPicture probed = probePictureFile(path);
        EXPECT_FALSE(probed.ok()) << b.name;
        const auto own = ownWords.find(b.name);
        if (own != ownWords.end())
            EXPECT_TRUE(probed.error.contains(path) && probed.error.contains(QString::fromUtf8(own->second)))
                << probed.error.toStdString();
        else
            EXPECT_EQ(probed.error.toStdString(), decodePictureFile(path, QSize(1, 1)).error.toStdString()) << b.name;
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
    for (const char* name : {"folder.png", "gone.jpg", "notes.txt"}) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        EXPECT_EQ(probePictureFile(path).error, decodePictureFile(path, QSize(1, 1)).error) << name;
    }

    // The limits hold for the probe as they do for the decoder.
    DecodeLimits fewScans;
    fewScans.maxJpegScans = 3;
    const QByteArray progressive = encodeJpeg(quadrants(QSize(32, 32)), {90, true, false, 0});
    EXPECT_TRUE(probePictureData(progressive, FileKind::Jpeg, "p", fewScans).error.contains("more than 3 scans"));
}

TEST(PictureReadAhead, DecodesOnTheWorkerAndHandsOverOnce) {
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 4; ++i) {
        paths << dir.filePath(QStringLiteral("%1.jpg").arg(i));
        QFile f(paths.last());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encodeJpeg(quadrants(QSize(80 + i, 60))));
    }
    PictureReadAhead readAhead;
    for (const QString& p : paths) readAhead.prefetch(p, QSize(40, 40));
    auto waitFor = [&](const QString& path) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (auto picture = readAhead.take(path, QSize(40, 40))) return picture;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return std::optional<DecodedPicture>();
    };
    // The last three asked for are kept; the first may have been dropped, and
    // asking for it again decodes it again.
    for (int i = 3; i >= 0; --i) {
        const auto picture = waitFor(paths[i]);
        ASSERT_TRUE(picture && picture->ok()) << i;
        EXPECT_EQ(picture->fullSize, QSize(80 + i, 60));
    }
    EXPECT_FALSE(readAhead.take(paths[3], QSize(10, 10)));  // another bound is another picture
}

}  // namespace
