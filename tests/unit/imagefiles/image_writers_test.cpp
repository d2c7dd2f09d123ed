#include "core/imagefiles/image_writers.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cmath>
#include <limits>
#include <random>

#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vz {
namespace {

// Gradients, hard edges and noise, at an odd width so that rows of 3-byte
// pixels need padding in formats that pad.
QImage testPicture(int width = 37, int height = 23) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 rng(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int noise = int(rng() % 9);
            image.setPixel(x, y, qRgb((x * 255) / width, (y * 255) / height, x < width / 2 ? 30 + noise : 220 - noise));
        }
    return image;
}

QImage decodeJpeg(const QByteArray& bytes) {
    struct Error {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
    } error;
    jpeg_decompress_struct cinfo{};
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<Error*>(c->err)->jump, 1); };
    QImage image;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()), (unsigned long)bytes.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

QByteArray encode(const QImage& picture, ImageFileType type) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_TRUE(writeImage(picture, type, buffer, &error)) << error.toStdString();
    return bytes;
}

QImage decode(const QByteArray& bytes, ImageFileType type) {
    if (type == ImageFileType::Jpeg) return decodeJpeg(bytes);
    return QImage::fromData(bytes, type == ImageFileType::Png ? "PNG" : "BMP").convertToFormat(QImage::Format_RGB32);
}

// Peak signal-to-noise ratio over the three channels; infinity when equal.
double psnr(const QImage& a, const QImage& b) {
    double squares = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) squares += d * d;
        }
    if (squares == 0) return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (squares / (3.0 * a.width() * a.height())));
}

constexpr double kExact = std::numeric_limits<double>::infinity();

struct RoundTrip {
    ImageFileType type;
    double minPsnr;  // infinity: exact
};

class WriterRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(WriterRoundTrip, DecodesBackToTheFrame) {
    const RoundTrip c = GetParam();
    // Odd and tiny sizes, and a picture that is not 32-bit to begin with.
    const QImage pictures[] = {testPicture(), testPicture(1, 1),
                               testPicture(64, 48).convertToFormat(QImage::Format_RGB888),
                               testPicture(20, 9).convertToFormat(QImage::Format_ARGB32)};
    for (const QImage& picture : pictures) {
        const QImage decoded = decode(encode(picture, c.type), c.type);
        ASSERT_EQ(decoded.size(), picture.size());
        EXPECT_GE(psnr(decoded, picture.convertToFormat(QImage::Format_RGB32)), c.minPsnr)
            << picture.width() << "x" << picture.height();
    }
}

INSTANTIATE_TEST_SUITE_P(Types, WriterRoundTrip,
                         testing::Values(RoundTrip{ImageFileType::Png, kExact}, RoundTrip{ImageFileType::Bmp, kExact},
                                         // Quality 90 with chroma subsampling on small pictures
                                         // with hard colour edges; swapped channels or shifted
                                         // rows fall far below.
                                         RoundTrip{ImageFileType::Jpeg, 28.0}));

TEST(ImageWriters, FileHeadersAreTheStatedKinds) {
    const QImage picture = testPicture();

    // JPEG: baseline (SOF0, no progressive SOF2), three components.
    const QByteArray jpeg = encode(picture, ImageFileType::Jpeg);
    const qsizetype sof0 = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof0, 0);
    EXPECT_EQ(jpeg.indexOf(QByteArray("\xFF\xC2", 2)), -1);
    EXPECT_EQ(quint8(jpeg[sof0 + 9]), 3);

    // PNG: colour type 2 (RGB), 8 bits, not interlaced.
    const QByteArray png = encode(picture, ImageFileType::Png);
    ASSERT_EQ(png.mid(12, 4), "IHDR");
    EXPECT_EQ(quint8(png[24]), 8);  // bit depth
    EXPECT_EQ(quint8(png[25]), 2);  // colour type
    EXPECT_EQ(quint8(png[28]), 0);  // interlace
    EXPECT_EQ(png.indexOf("tRNS"), -1);

    // BMP: 32 bits a pixel, uncompressed, bottom-up, sizes that add up.
    const QByteArray bmp = encode(picture, ImageFileType::Bmp);
    const auto le32 = [&](int at) { return qFromLittleEndian<quint32>(bmp.constData() + at); };
    const auto le16 = [&](int at) { return qFromLittleEndian<quint16>(bmp.constData() + at); };
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(le32(2), quint32(bmp.size()));
    EXPECT_EQ(le32(10), 54u);
    EXPECT_EQ(qint32(le32(22)), picture.height());  // positive: bottom-up
    EXPECT_EQ(le16(28), 32);
    EXPECT_EQ(le32(30), 0u);  // BI_RGB
    EXPECT_EQ(bmp.size(), 54 + 37 * 23 * 4);
    // The first stored row is the bottom one.
    EXPECT_EQ(qFromLittleEndian<quint32>(bmp.constData() + 54) & 0xFFFFFF, picture.pixel(0, 22) & 0xFFFFFF);
}

TEST(ImageWriters, EmptyPictureIsRefused) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    for (ImageFileType type : {ImageFileType::Jpeg, ImageFileType::Png, ImageFileType::Bmp}) {
        QString error;
        EXPECT_FALSE(writeImage(QImage(), type, buffer, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(buffer.size(), 0);
}

// ---- Files ------------------------------------------------------------------

class SaveImageFile : public testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    // An earlier file under the name the test writes.
    QString existing(const QString& name, const QByteArray& content) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }
};

TEST_F(SaveImageFile, WritesAndReplaces) {
    const QString target = existing("image10.png", "an older file");

    QString error;
    ASSERT_TRUE(saveImageFile(testPicture(), ImageFileType::Png, target, &error)) << error.toStdString();
    EXPECT_EQ(QImage(target).convertToFormat(QImage::Format_RGB32), testPicture());
    EXPECT_EQ(entries(), QStringList{"image10.png"});  // no temporary file left
}

TEST_F(SaveImageFile, MissingFolderOrFolderNameGiveAMessageAndNoFile) {
    struct Case {
        QString target;
        QString reason;
    };
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.bmp"));
    const Case cases[] = {
        {path("missing/image1.bmp"), QStringLiteral("The folder \"%1\" does not exist.").arg(path("missing"))},
        {path("taken.bmp"), QStringLiteral("A folder of that name exists.")},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(saveImageFile(testPicture(), ImageFileType::Bmp, c.target, &error));
        EXPECT_EQ(error, QStringLiteral("Cannot create file \"%1\". %2").arg(c.target, c.reason));
    }
    EXPECT_EQ(entries(), QStringList{});
}

TEST_F(SaveImageFile, ReadOnlyFolderGivesAMessageAndNoFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const QString folder = path("locked");
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked"));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    QString error;
    EXPECT_FALSE(saveImageFile(testPicture(), ImageFileType::Jpeg, folder + "/image1.jpg", &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot create file \"%1/image1.jpg\". ").arg(folder)));
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A disk that fills up in the middle of the write: the file-size limit makes
// every write past it fail as a full disk would. The file that was there
// stays whole and no partial file or temporary file is left.
TEST_F(SaveImageFile, WriteThatRunsOutOfSpaceLeavesNothingHalfWritten) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    for (ImageFileType type : {ImageFileType::Jpeg, ImageFileType::Png, ImageFileType::Bmp}) {
        const QString target = existing("image7" + imageFileExtension(type), "previous");
        rlimit small = saved;
        small.rlim_cur = 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool written = saveImageFile(testPicture(400, 300), type, target, &error);
        setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_FALSE(written);
        EXPECT_EQ(error, QStringLiteral("Cannot create file \"%1\". File too large").arg(target));
        QFile check(target);
        ASSERT_TRUE(check.open(QIODevice::ReadOnly));
        EXPECT_EQ(check.readAll(), "previous");
    }
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(entries(), (QStringList{"image7.bmp", "image7.jpg", "image7.png"}));
}

// A device that takes a few bytes and then refuses: the encoders stop at
// the failed write and report the device's reason.
class FullDevice : public QIODevice {
public:
    explicit FullDevice(qint64 room) : room_(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override {
        if (size > room_) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        room_ -= size;
        return size;
    }

private:
    qint64 room_;
};

TEST(ImageWriters, FailedDeviceWriteIsReported) {
    for (ImageFileType type : {ImageFileType::Jpeg, ImageFileType::Png, ImageFileType::Bmp})
        for (qint64 room : {0, 100, 3000}) {
            FullDevice device(room);
            QString error;
            EXPECT_FALSE(writeImage(testPicture(400, 300), type, device, &error)) << room;
            EXPECT_EQ(error, "No space left on device") << room;
        }
}

}  // namespace
}  // namespace vz
