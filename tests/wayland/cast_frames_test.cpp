// The newest picture of a screen-cast stream: where copies come from, what
// counts as changed, and the pixel orders a stream may use.

#include "platform/wayland/cast_frames.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vz::wayland {
namespace {

// A stream picture of `size` with 4 spare bytes a row, each pixel 0xRRGGBB
// stored in `order`, with an alpha byte the stream leaves at 0.
struct StreamPicture {
    QSize size;
    int stride;
    std::vector<std::uint8_t> bytes;
    StreamPicture(QSize s, QRgb fill, PixelOrder order) : size(s), stride(s.width() * 4 + 4) {
        bytes.assign(std::size_t(stride) * s.height(), 0);
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) set(x, y, fill, order);
    }
    void set(int x, int y, QRgb c, PixelOrder order) {
        std::uint8_t* p = &bytes[std::size_t(y) * stride + std::size_t(x) * 4];
        const std::uint8_t r = qRed(c), g = qGreen(c), b = qBlue(c);
        if (order == PixelOrder::Bgrx) {
            p[0] = b, p[1] = g, p[2] = r;
        } else {
            p[0] = r, p[1] = g, p[2] = b;
        }
        p[3] = 0;
    }
};

QRgb at(const QImage& image, int x, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y))[x]; }

TEST(CastFrames, BeforeThePictureCopiesAreBlackAndNothingChanged) {
    CastFrames frames;
    QImage into;
    ASSERT_TRUE(frames.copy(QRect(10, 10, 8, 4), into));
    EXPECT_EQ(into.size(), QSize(8, 4));
    EXPECT_EQ(at(into, 7, 3), qRgb(0, 0, 0));
    EXPECT_TRUE(frames.takeChanges().isEmpty());
    EXPECT_FALSE(frames.copy(QRect(), into));
}

TEST(CastFrames, PixelOrdersComeOutAsRgb32WithAlphaSet) {
    for (PixelOrder order : {PixelOrder::Bgrx, PixelOrder::Rgbx}) {
        CastFrames frames;
        StreamPicture picture(QSize(4, 3), qRgb(0x12, 0x34, 0x56), order);
        frames.store(picture.bytes.data(), picture.size, picture.stride, order, nullptr);
        QImage into;
        ASSERT_TRUE(frames.copy(QRect(0, 0, 4, 3), into));
        EXPECT_EQ(at(into, 3, 2), 0xff123456u) << int(order);
    }
}

TEST(CastFrames, TheFirstPictureChangesItsWholeAreaAtTheOrigin) {
    CastFrames frames;
    frames.setOrigin(QPoint(100, 50));
    StreamPicture picture(QSize(6, 5), qRgb(200, 0, 0), PixelOrder::Bgrx);
    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Bgrx, nullptr);
    EXPECT_EQ(frames.takeChanges(), QRegion(100, 50, 6, 5));
    EXPECT_TRUE(frames.takeChanges().isEmpty());
    EXPECT_EQ(frames.area(), QRect(100, 50, 6, 5));

    // A copy across the picture's edge: the part outside is black.
    QImage into;
    ASSERT_TRUE(frames.copy(QRect(98, 49, 4, 3), into));
    EXPECT_EQ(at(into, 0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(at(into, 1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(at(into, 2, 1), qRgb(200, 0, 0));
    EXPECT_EQ(at(into, 3, 2), qRgb(200, 0, 0));
}

TEST(CastFrames, DamageSaysWhatIsCopiedAndReported) {
    CastFrames frames;
    frames.setOrigin(QPoint(10, 0));
    StreamPicture picture(QSize(8, 8), qRgb(0, 0, 255), PixelOrder::Bgrx);
    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Bgrx, nullptr);
    frames.takeChanges();

    // Two pixels change, the damage names one: only that one is taken.
    picture.set(1, 1, qRgb(0, 255, 0), PixelOrder::Bgrx);
    picture.set(6, 6, qRgb(0, 255, 0), PixelOrder::Bgrx);
    const QRegion damage(QRect(0, 0, 2, 2));
    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Bgrx, &damage);
    EXPECT_EQ(frames.takeChanges(), QRegion(10, 0, 2, 2));
    QImage into;
    ASSERT_TRUE(frames.copy(QRect(10, 0, 8, 8), into));
    EXPECT_EQ(at(into, 1, 1), qRgb(0, 255, 0));
    EXPECT_EQ(at(into, 6, 6), qRgb(0, 0, 255));

    // Damage beyond the picture is clipped to it.
    const QRegion wide(QRect(-5, -5, 100, 100));
    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Bgrx, &wide);
    EXPECT_EQ(frames.takeChanges(), QRegion(10, 0, 8, 8));
}

TEST(CastFrames, WithoutDamageTheRowsThatDifferAreReported) {
    CastFrames frames;
    StreamPicture picture(QSize(70, 10), qRgb(9, 9, 9), PixelOrder::Rgbx);
    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Rgbx, nullptr);
    frames.takeChanges();

    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Rgbx, nullptr);
    EXPECT_TRUE(frames.takeChanges().isEmpty()) << "the same picture again changes nothing";

    picture.set(69, 2, qRgb(1, 2, 3), PixelOrder::Rgbx);  // past the first 64 pixels of the row
    picture.set(0, 3, qRgb(1, 2, 3), PixelOrder::Rgbx);
    picture.set(5, 9, qRgb(1, 2, 3), PixelOrder::Rgbx);  // the last row
    frames.store(picture.bytes.data(), picture.size, picture.stride, PixelOrder::Rgbx, nullptr);
    EXPECT_EQ(frames.takeChanges(), QRegion(0, 2, 70, 2) + QRegion(0, 9, 70, 1));
    QImage into;
    ASSERT_TRUE(frames.copy(QRect(0, 0, 70, 10), into));
    EXPECT_EQ(at(into, 69, 2), qRgb(1, 2, 3));
    EXPECT_EQ(at(into, 5, 9), qRgb(1, 2, 3));
}

TEST(CastFrames, ANewSizeOrPlaceChangesTheOldAndTheNewArea) {
    CastFrames frames;
    StreamPicture small(QSize(4, 4), qRgb(1, 1, 1), PixelOrder::Bgrx);
    frames.store(small.bytes.data(), small.size, small.stride, PixelOrder::Bgrx, nullptr);
    frames.takeChanges();
    StreamPicture large(QSize(6, 2), qRgb(1, 1, 1), PixelOrder::Bgrx);
    const QRegion damage(QRect(0, 0, 1, 1));
    frames.store(large.bytes.data(), large.size, large.stride, PixelOrder::Bgrx, &damage);
    EXPECT_EQ(frames.takeChanges(), QRegion(0, 0, 4, 4) + QRegion(0, 0, 6, 2));

    frames.setOrigin(QPoint(20, 0));
    EXPECT_EQ(frames.takeChanges(), QRegion(0, 0, 6, 2) + QRegion(20, 0, 6, 2));
}

TEST(CastFrames, PicturesThatCannotBeReadAreIgnored) {
    CastFrames frames;
    StreamPicture picture(QSize(4, 4), qRgb(1, 1, 1), PixelOrder::Bgrx);
    frames.store(nullptr, picture.size, picture.stride, PixelOrder::Bgrx, nullptr);
    frames.store(picture.bytes.data(), QSize(0, 4), picture.stride, PixelOrder::Bgrx, nullptr);
    frames.store(picture.bytes.data(), picture.size, 8, PixelOrder::Bgrx, nullptr);  // rows overlap
    EXPECT_FALSE(frames.hasPicture());
    EXPECT_TRUE(frames.takeChanges().isEmpty());
}

}  // namespace
}  // namespace vz::wayland
