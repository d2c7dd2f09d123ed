// The pointer fence's rules (shared by the X11 and the fake fence) and the
// fake fence that the controller's tests drive.

#include "platform/fake/fake_platform.h"
#include "platform/fence_rules.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failures.
void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
void PrintTo(const QPoint& p, std::ostream* os) { *os << "QPoint(" << p.x() << ", " << p.y() << ")"; }

namespace {

const QVector<QRect> kTwoMonitors{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};

TEST(FenceArea, KeepsRectanglesOnAMonitorAndFallsBackToThePrimary) {
    struct Case {
        const char* what;
        QRect area;
        QVector<QRect> monitors;
        QRect expected;
    };
    const Case cases[] = {
        {"primary", QRect(0, 0, 1920, 1080), kTwoMonitors, QRect(0, 0, 1920, 1080)},
        {"part of the second", QRect(2000, 100, 300, 200), kTwoMonitors, QRect(2000, 100, 300, 200)},
        {"across both", QRect(1800, 0, 400, 400), kTwoMonitors, QRect(1800, 0, 400, 400)},
        {"partly off the desktop", QRect(-50, -50, 100, 100), kTwoMonitors, QRect(-50, -50, 100, 100)},
        {"below the short second monitor", QRect(2000, 1030, 100, 40), kTwoMonitors, QRect(0, 0, 1920, 1080)},
        {"on a monitor that is gone", QRect(2000, 100, 300, 200), {QRect(0, 0, 1920, 1080)}, QRect(0, 0, 1920, 1080)},
        {"empty: one pixel", QRect(500, 400, 0, 0), kTwoMonitors, QRect(500, 400, 1, 1)},
        {"empty width", QRect(500, 400, 0, 30), kTwoMonitors, QRect(500, 400, 1, 30)},
        {"empty, off every monitor", QRect(5000, 400, 0, 0), kTwoMonitors, QRect(0, 0, 1920, 1080)},
        // From right/bottom edges left of and above left/top.
        {"inverted", QRect(300, 200, -200, -150), kTwoMonitors, QRect(100, 50, 200, 150)},
        {"no monitors known", QRect(5000, 400, 10, 10), {}, QRect(5000, 400, 10, 10)},
    };
    for (const Case& c : cases) EXPECT_EQ(vz::fence::effectiveArea(c.area, c.monitors), c.expected) << c.what;
}

TEST(FenceArea, NearestPointInside) {
    const QRect fence(100, 50, 200, 100);  // x 100..299, y 50..149
    struct Case {
        QPoint p, expected;
    };
    const Case cases[] = {
        {{150, 80}, {150, 80}}, {{100, 50}, {100, 50}},     {{299, 149}, {299, 149}},  // inside stays
        {{300, 80}, {299, 80}}, {{2500, 80}, {299, 80}},    {{99, 80}, {100, 80}},     // left and right
        {{150, 0}, {150, 50}},  {{150, 150}, {150, 149}},                              // above and below
        {{0, 0}, {100, 50}},    {{3000, 1000}, {299, 149}}, {{-5, 500}, {100, 149}},   // corners
    };
    for (const Case& c : cases)
        EXPECT_EQ(vz::fence::nearestInside(c.p, fence), c.expected) << c.p.x() << "," << c.p.y();
    EXPECT_EQ(vz::fence::nearestInside({900, 900}, QRect(10, 20, 1, 1)), QPoint(10, 20));
}

// Ctrl lets the pointer out; once it is seen inside again the fence holds.
TEST(FenceKeeper, CtrlLetsThePointerOutUntilItIsBackInside) {
    const QRect fence(0, 0, 1920, 1080);
    vz::fence::Keeper keeper;
    struct Step {
        QPoint pointer;
        bool ctrl;
        std::optional<QPoint> moveTo;
    };
    const Step steps[] = {
        {{500, 500}, false, std::nullopt},
        {{2500, 500}, false, QPoint(1919, 500)},  // warped out by someone else: back
        {{2500, 500}, true, std::nullopt},        // Ctrl held: out it goes
        {{2600, 500}, false, std::nullopt},       // and stays out without Ctrl
        {{1000, 500}, false, std::nullopt},       // back inside
        {{2500, 500}, false, QPoint(1919, 500)},  // held again
    };
    int i = 0;
    for (const Step& s : steps) EXPECT_EQ(keeper.check(fence, s.pointer, s.ctrl), s.moveTo) << "step " << i++;

    keeper.letOut();  // through a barrier
    EXPECT_EQ(keeper.check(fence, {2500, 500}, false), std::nullopt);
    keeper.reset();  // a new fence
    EXPECT_EQ(keeper.check(fence, {2500, 500}, false), QPoint(1919, 500));
}

TEST(FakePointerFence, ConfinesBringsBackAndReleases) {
    vz::FakeDesktop desktop;
    desktop.pointer = QPoint(2500, 300);
    {
        vz::Platform platform = vz::makeFakePlatform(desktop);
        vz::PointerFence& fence = *platform.pointerFence;
        EXPECT_TRUE(fence.fence().isNull());
        EXPECT_FALSE(fence.bringBack());

        fence.confine(QRect(0, 0, 1920, 1080), desktop.monitors);  // brings the pointer in at once
        EXPECT_EQ(desktop.pointerFence, QRect(0, 0, 1920, 1080));
        EXPECT_EQ(desktop.pointer, QPoint(1919, 300));

        desktop.pointer = QPoint(3000, 1050);
        EXPECT_TRUE(fence.bringBack());
        EXPECT_EQ(desktop.pointer, QPoint(1919, 1050));
        EXPECT_FALSE(fence.bringBack());

        desktop.monitors = {QRect(0, 0, 1920, 1080)};  // the second monitor went away
        fence.confine(QRect(2000, 0, 100, 100), desktop.monitors);
        EXPECT_EQ(fence.fence(), QRect(0, 0, 1920, 1080));

        fence.release();
        EXPECT_TRUE(fence.fence().isNull());
        desktop.pointer = QPoint(2500, 300);
        EXPECT_FALSE(fence.bringBack());
        EXPECT_EQ(desktop.pointer, QPoint(2500, 300));

        fence.confine(QRect(10, 10, 0, 0), desktop.monitors);  // empty: held at the point
        EXPECT_EQ(desktop.pointer, QPoint(10, 10));
    }
    EXPECT_TRUE(desktop.pointerFence.isNull()) << "a fence must not outlive its service";
}

}  // namespace
