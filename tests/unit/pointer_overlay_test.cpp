#include "core/capture/pointer_overlay.h"

#include <gtest/gtest.h>

namespace vz {
namespace {

QImage blackFrame() {
    QImage f(100, 100, QImage::Format_RGB32);
    f.fill(Qt::black);
    return f;
}

TEST(PointerOverlay, RedDiscIsCentredOnThePointer) {
    QImage f = blackFrame();
    drawPointerOverlay(f, PointerOverlay{QPoint(50, 50), true, false, {}}, QImage());
    EXPECT_EQ(f.pixel(50, 50), qRgb(255, 0, 0));
    EXPECT_EQ(qRed(f.pixel(50, 56)), 255);  // inside the pen's outer edge (about 7.5 px)
    EXPECT_EQ(f.pixel(50, 60), qRgb(0, 0, 0));
    EXPECT_EQ(f.pixel(40, 50), qRgb(0, 0, 0));
}

TEST(PointerOverlay, CursorHotSpotLandsOnThePointerAndCoversTheDisc) {
    QImage cursor(4, 4, QImage::Format_ARGB32_Premultiplied);
    cursor.fill(qRgb(0, 255, 0));
    QImage f = blackFrame();
    drawPointerOverlay(f, PointerOverlay{QPoint(20, 20), true, true, QPoint(1, 1)}, cursor);
    EXPECT_EQ(f.pixel(19, 19), qRgb(0, 255, 0));  // top-left of the image
    EXPECT_EQ(f.pixel(20, 20), qRgb(0, 255, 0));  // cursor over the red point
    EXPECT_EQ(f.pixel(22, 22), qRgb(0, 255, 0));
    EXPECT_EQ(qRed(f.pixel(17, 20)), 255);  // the disc shows round it
}

TEST(PointerOverlay, PointerOutsideTheFrameDrawsNothing) {
    QImage cursor(8, 8, QImage::Format_ARGB32_Premultiplied);
    cursor.fill(qRgb(0, 255, 0));
    QImage f = blackFrame();
    const QImage before = f.copy();
    drawPointerOverlay(f, PointerOverlay{QPoint(-50, 300), true, true, {}}, cursor);
    EXPECT_EQ(f, before);
}

}  // namespace
}  // namespace vz
