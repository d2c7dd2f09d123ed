#include "platform/image_copy.h"

#include <gtest/gtest.h>

using vz::copyInto;

TEST(ImageCopy, DeepCopyReusesBufferOfSameSize) {
    QImage src(4, 3, QImage::Format_RGB32);
    src.fill(qRgb(10, 20, 30));
    QImage dst(4, 3, QImage::Format_RGB32);
    const uchar* before = dst.constBits();
    copyInto(src, dst);
    EXPECT_EQ(dst.constBits(), before);
    EXPECT_EQ(dst.pixel(3, 2), qRgb(10, 20, 30));
    src.fill(qRgb(1, 2, 3));  // the copy is independent of its source
    EXPECT_EQ(dst.pixel(0, 0), qRgb(10, 20, 30));
}

TEST(ImageCopy, EmptySourceGivesNullImage) {
    QImage dst(4, 3, QImage::Format_RGB32);
    copyInto(QImage(), dst);
    EXPECT_TRUE(dst.isNull());
}

TEST(ImageCopy, OtherFormatsAreConverted) {
    QImage src(2, 2, QImage::Format_RGB888);
    src.fill(qRgb(200, 100, 50));
    QImage dst;
    copyInto(src, dst);
    EXPECT_EQ(dst.format(), QImage::Format_RGB32);
    EXPECT_EQ(dst.pixel(1, 1), qRgb(200, 100, 50));
}

TEST(ImageCopy, AlphaNeverLeaksIntoTheFrame) {
    QImage src(2, 2, QImage::Format_ARGB32);
    src.fill(qRgba(200, 100, 50, 0));
    QImage dst;
    copyInto(src, dst);
    EXPECT_EQ(dst.format(), QImage::Format_RGB32);
    EXPECT_EQ(qAlpha(dst.pixel(0, 0)), 255);
}
