// Window placements and device/logical conversions on desks of every shape:
// the second monitor right of, left of, above and below the primary, three
// monitors, each at the scale factors desktops use.

#include "core/scaling/desk_geometry.h"
#include "core/scaling/output_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vz {
namespace {

struct Layout {
    const char* name;
    QVector<QRect> monitors;  // device pixels, the primary first
    QRect output;             // where the output must go
};

const Layout kLayouts[] = {
    {"second right", {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}, QRect(1920, 0, 1280, 1024)},
    {"second left", {QRect(1280, 0, 1920, 1080), QRect(0, 0, 1280, 1024)}, QRect(0, 0, 1280, 1024)},
    {"second above", {QRect(0, 1024, 1920, 1080), QRect(0, 0, 1280, 1024)}, QRect(0, 0, 1280, 1024)},
    {"second below", {QRect(0, 0, 1920, 1080), QRect(320, 1080, 1280, 1024)}, QRect(320, 1080, 1280, 1024)},
    {"three, primary in the middle",
     {QRect(1280, 0, 1920, 1080), QRect(0, 0, 1280, 1024), QRect(3200, 0, 1024, 768)},
     QRect(0, 0, 1280, 1024)},
    {"three, primary right",
     {QRect(2304, 0, 1920, 1080), QRect(1280, 0, 1024, 768), QRect(0, 0, 1280, 1024)},
     QRect(1280, 0, 1024, 768)},
};

const double kRatios[] = {1.0, 1.25, 1.5, 2.0};

desk::Desk deskOf(const Layout& layout, double ratio) {
    desk::Desk d;
    d.device = layout.monitors;
    d.ratios = QVector<double>(layout.monitors.size(), ratio);
    return d;
}

// A device extent a logical one can stand for: exact where the ratio
// divides it, else off by at most one pixel.
void expectCovers(int device, int fromLogical, double ratio, const char* what) {
    const double exact = device / ratio;
    if (exact == std::floor(exact))
        EXPECT_EQ(fromLogical, device) << what;
    else
        EXPECT_LE(std::abs(fromLogical - device), 1) << what;
}

TEST(DeskGeometry, EveryPlacementLandsOnItsMonitorOnEveryDeskAndScale) {
    for (const Layout& layout : kLayouts) {
        for (double ratio : kRatios) {
            SCOPED_TRACE(testing::Message() << layout.name << " at " << ratio);
            const desk::Desk d = deskOf(layout, ratio);
            const QRect primary = layout.monitors[0];

            // The output: the first monitor that is not the primary, covered
            // from its corner to its far edges.
            EXPECT_EQ(d.outputDevice(), layout.output);
            const QRect output = d.toDevice(d.outputLogical());
            EXPECT_EQ(output.topLeft(), layout.output.topLeft());
            expectCovers(layout.output.width(), output.width(), ratio, "output width");
            expectCovers(layout.output.height(), output.height(), ratio, "output height");

            // The simulation window and the quarter-size window: the
            // primary's corner, a quarter of it.
            EXPECT_EQ(d.toDevice(QRect(desk::simulationCorner(d), QSize(100, 100))).topLeft(), primary.topLeft());
            const QRect quarter = d.toDevice(desk::quarterWindow(d));
            EXPECT_EQ(quarter.topLeft(), primary.topLeft());
            EXPECT_LE(std::abs(quarter.width() - primary.width() / 4), 2);
            EXPECT_LE(std::abs(quarter.height() - primary.height() / 4), 2);

            // A dialog centred on the primary: its centre is the primary's.
            const QSize dialog(400, 300);
            const QRect centred = d.toDevice(QRect(desk::centredOnPrimary(d, dialog), dialog));
            EXPECT_TRUE(primary.contains(centred)) << centred.x() << "," << centred.y();
            EXPECT_LE((centred.center() - primary.center()).manhattanLength(), 4);

            // The preview pulled back onto the primary from beyond its edges.
            const QRect logicalPrimary = d.logicalPrimary();
            const QPoint far = logicalPrimary.bottomRight() + QPoint(-5, -5);
            const QPoint pulled = previewActivationPosition(far, logicalPrimary);
            EXPECT_TRUE(logicalPrimary.contains(QRect(pulled, QSize(200, 50))));
            EXPECT_LE(previewLeftAfterMove(logicalPrimary.right(), 200, logicalPrimary) + 200,
                      logicalPrimary.left() + logicalPrimary.width());
        }
    }
}

TEST(DeskGeometry, PointsConvertWithinTheirScreenAsQtDoes) {
    const QRect screen(1920, 0, 1280, 1024);
    const struct {
        QPoint device;
        double ratio;
        QPoint logical;
    } cases[] = {
        {{1920, 0}, 2.0, {1920, 0}},       // the corner stays
        {{3199, 1023}, 2.0, {2560, 512}},  // 639.5 and 511.5 round away from zero
        {{2560, 512}, 1.5, {2347, 341}},   // 426.67 and 341.33
        {{2560, 512}, 1.25, {2432, 410}},  // 512 and 409.6
        {{1000, 0}, 2.0, {1460, 0}},       // left of the corner: negative offsets
        {{2560, 512}, 0.0, {2560, 512}},   // no ratio: 1
    };
    for (const auto& c : cases) {
        EXPECT_EQ(desk::toLogical(c.device, screen, c.ratio), c.logical) << c.ratio;
        // And back, to within the ratio's rounding.
        const QPoint back = desk::toDevice(c.logical, screen, c.ratio);
        EXPECT_LE((back - c.device).manhattanLength(), 2 * int(std::ceil(c.ratio)));
    }
    EXPECT_EQ(desk::logicalScreen(QRect(0, 1024, 1920, 1080), 2.0), QRect(0, 1024, 960, 540));
    EXPECT_EQ(desk::toDevice(QSize(853, 683), 1.5), QSize(1280, 1025));  // Qt's rounding, kept
}

TEST(DeskGeometry, ChosenOutputMonitorWhileItIsThere) {
    const QVector<QRect> three{QRect(1280, 0, 1920, 1080), QRect(0, 0, 1280, 1024), QRect(3200, 0, 1024, 768)};
    const struct {
        int monitors, chosen, expected;
    } cases[] = {
        {3, 0, 1},  {3, 1, 1},  {3, 2, 2},  // none chosen: the first other
        {3, 3, 1},  {3, -4, 1},             // not there: the first other
        {2, 2, 1},                          // the chosen one went
        {1, 2, -1},                         // one monitor: none
    };
    for (const auto& c : cases)
        EXPECT_EQ(desk::outputMonitorIndex(three.mid(0, c.monitors), c.chosen), c.expected)
            << c.monitors << " monitors, chosen " << c.chosen;
}

TEST(DeskGeometry, OneMonitorHasNoOutputMonitor) {
    desk::Desk d;
    d.device = {QRect(100, 50, 1920, 1080)};
    EXPECT_EQ(desk::outputMonitorIndex(d.device), -1);
    EXPECT_TRUE(d.outputLogical().isNull());
    EXPECT_EQ(desk::simulationCorner(d), QPoint(100, 50));
    EXPECT_DOUBLE_EQ(d.ratio(0), 1.0);  // no ratio given
    EXPECT_TRUE(desk::Desk().logicalPrimary().isNull());
}

}  // namespace
}  // namespace vz
