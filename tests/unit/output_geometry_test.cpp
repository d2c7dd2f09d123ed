#include "core/scaling/output_geometry.h"

#include <gtest/gtest.h>

namespace vz {
namespace {

struct SizeCase {
    QSize monitor;
    int percent;
    QSize expected;
};

TEST(OutputGeometry, DisplaySizeRoundsHalfToEvenInDoublePrecision) {
    const SizeCase cases[] = {
        {{1280, 1024}, 95, {1216, 973}},  // 972.8 rounds up
        {{1920, 1080}, 50, {960, 540}},
        {{1920, 1080}, 1, {19, 11}},        // 19.2 and 10.8
        {{1366, 768}, 25, {342, 192}},      // 341.5 goes to the even 342
        {{1370, 770}, 25, {342, 192}},      // 342.5 goes to the even 342
        {{1280, 1024}, 0, {13, 10}},        // below the slider's range: 1
        {{1280, 1024}, 250, {1280, 1024}},  // above it: 100
        {{0, 0}, 50, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displaySizeForPercent(c.monitor, c.percent), c.expected)
            << c.monitor.width() << "x" << c.monitor.height() << " at " << c.percent;
}

TEST(OutputGeometry, PercentFromOuterWidthTruncatesAndClamps) {
    const struct {
        int primary, outer, expected;
    } cases[] = {
        {1920, 960, 50}, {1920, 959, 49},                       // 49.94 truncates
        {1366, 683, 50}, {1920, 1920, 100}, {1920, 3000, 100},  // wider than the screen
        {1920, 10, 1},                                          // 0.52 truncates to 0, raised to 1
        {1920, 0, 1},    {0, 500, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(percentFromOuterWidth(c.primary, c.outer), c.expected) << c.primary << " / " << c.outer;
}

TEST(OutputGeometry, MonitorHoldingAWindow) {
    const QVector<QRect> monitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(monitorHolding(monitors, QRect(0, 0, 480, 270)), monitors[0]);
    EXPECT_EQ(monitorHolding(monitors, QRect(1921, 0, 1216, 973)), monitors[1]);
    // Straddling: the larger overlap wins.
    EXPECT_EQ(monitorHolding(monitors, QRect(1800, 100, 400, 300)), monitors[1]);
    EXPECT_EQ(monitorHolding(monitors, QRect(1700, 100, 400, 300)), monitors[0]);
    // Off every monitor: the nearest.
    EXPECT_EQ(monitorHolding(monitors, QRect(4000, 10, 100, 100)), monitors[1]);
    EXPECT_EQ(monitorHolding(monitors, QRect(-900, -900, 100, 100)), monitors[0]);
    EXPECT_TRUE(monitorHolding({}, QRect(0, 0, 10, 10)).isNull());
}

TEST(OutputGeometry, PreviewPlacementRules) {
    const QRect primary(0, 0, 1920, 1080);
    EXPECT_EQ(previewActivationPosition({1348, 145}, primary), QPoint(1348, 145));
    EXPECT_EQ(previewActivationPosition({1821, 145}, primary), QPoint(1670, 145));
    EXPECT_EQ(previewActivationPosition({1820, 1020}, primary), QPoint(1820, 1020));
    EXPECT_EQ(previewActivationPosition({1900, 1021}, primary), QPoint(1670, 1015));

    // A 292 pixel wide preview may reach x = 1628; further right it stops 2 inside.
    EXPECT_EQ(previewLeftAfterMove(1628, 292, primary), 1628);
    EXPECT_EQ(previewLeftAfterMove(1629, 292, primary), 1626);
    EXPECT_EQ(previewLeftAfterMove(1670, 292, primary), 1626);
    EXPECT_EQ(previewLeftAfterMove(-50, 292, primary), -50);

    // The same rules measured from a primary that does not start at 0,0.
    const QRect shifted(1280, 200, 1920, 1080);
    EXPECT_EQ(previewActivationPosition({1280 + 1821, 345}, shifted), QPoint(1280 + 1670, 345));
    EXPECT_EQ(previewActivationPosition({1280 + 1900, 200 + 1021}, shifted), QPoint(1280 + 1670, 200 + 1015));
    EXPECT_EQ(previewLeftAfterMove(1280 + 1629, 292, shifted), 1280 + 1626);
    EXPECT_EQ(previewLeftAfterMove(1280 + 1628, 292, shifted), 1280 + 1628);
}

}  // namespace
}  // namespace vz
