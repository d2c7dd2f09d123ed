#include "core/capture/frame_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vz {
namespace {

TEST(CoalesceChanges, MergesNeighboursKeepsDistantOnesAndCoversEverything) {
    struct Case {
        const char* name;
        QRegion changed;
        QVector<QRect> expected;
    };
    const Case cases[] = {
        {"nothing", QRegion(), {}},
        {"one", QRegion(10, 10, 100, 100), {QRect(10, 10, 100, 100)}},
        {"close: one copy", QRegion(50, 60, 10, 10) | QRegion(100, 100, 5, 5), {QRect(50, 60, 55, 45)}},
        {"far apart: two copies",
         QRegion(0, 0, 10, 10) | QRegion(1000, 800, 10, 10),
         {QRect(0, 0, 10, 10), QRect(1000, 800, 10, 10)}},
        // An L shape is banded into two rectangles that share an edge.
        {"L shape", QRegion(0, 0, 100, 10) | QRegion(0, 10, 10, 90), {QRect(0, 0, 100, 100)}},
    };
    for (const Case& c : cases) {
        QVector<QRect> rects = coalesceChanges(c.changed);
        std::sort(rects.begin(), rects.end(), [](const QRect& a, const QRect& b) { return a.y() < b.y(); });
        EXPECT_EQ(rects, c.expected) << c.name;
    }
}

TEST(CoalesceChanges, ManyRectanglesBecomeFewWithoutOverlapOrLoss) {
    QRegion changed;
    for (int i = 0; i < 30; ++i) changed |= QRect(i * 97 % 1900, i * 53 % 1000, 7, 5);
    const QVector<QRect> rects = coalesceChanges(changed);
    EXPECT_LE(rects.size(), 8);
    QRegion covered;
    for (const QRect& r : rects) {
        EXPECT_FALSE(covered.intersects(r));  // no pixel copied twice
        covered |= r;
    }
    EXPECT_TRUE((changed - covered).isEmpty());
    // A region of very many pieces is copied as its bounding rectangle.
    QRegion dust;
    for (int i = 0; i < 100; ++i) dust |= QRect(i * 19, i * 9, 1, 1);
    EXPECT_EQ(coalesceChanges(dust), QVector<QRect>{dust.boundingRect()});
}

TEST(ChangeHistory, KnowsWhatChangedSinceARecentFrameOnly) {
    ChangeHistory h;
    EXPECT_FALSE(h.since(0));
    h.restart(1);
    h.add(2, QRect(0, 0, 10, 10));
    h.add(3, QRect(50, 50, 5, 5));
    EXPECT_EQ(h.since(3), QRegion());
    EXPECT_EQ(h.since(2), QRegion(50, 50, 5, 5));
    EXPECT_EQ(h.since(1), QRegion(0, 0, 10, 10) | QRegion(50, 50, 5, 5));
    EXPECT_FALSE(h.since(0));  // unknown contents
    EXPECT_FALSE(h.since(4));  // a frame not made yet
    for (std::uint64_t s = 4; s < 20; ++s) h.add(s, QRect(int(s), 0, 1, 1));
    EXPECT_FALSE(h.since(2));  // too old to tell
    EXPECT_EQ(h.since(18), QRegion(19, 0, 1, 1));
    h.restart(20);  // everything changed
    EXPECT_FALSE(h.since(19));
    EXPECT_EQ(h.since(20), QRegion());
}

TEST(BufferPool, HandsOutOnlyBuffersNobodyElseHolds) {
    BufferPool pool;
    EXPECT_TRUE(pool.take().image.isNull());
    QImage a(4, 4, QImage::Format_RGB32), b(4, 4, QImage::Format_RGB32);
    pool.keep(a, 1);
    pool.keep(b, 2);
    EXPECT_TRUE(pool.take().image.isNull());  // both still held here
    const uchar* bitsOfB = b.constBits();
    b = QImage();
    BufferPool::Buffer taken = pool.take();
    EXPECT_EQ(taken.image.constBits(), bitsOfB);
    EXPECT_EQ(taken.serial, 2u);
    pool.keep(taken.image, 3);
    taken = {};
    pool.forget();
    EXPECT_EQ(pool.take().serial, 0u);
}

}  // namespace
}  // namespace vz
