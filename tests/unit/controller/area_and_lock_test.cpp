// The area selection's command sequences and the cursor lock's tick, on the
// fake platform with no window: the test plays the overlay's part.

#include "core/controller/controller.h"
#include "platform/fake/fake_platform.h"
#include "hand_timer.h"
#include "pump_events.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vz::test {
namespace {

const QRect Primary(0, 0, 1920, 1080);

class AreaAndLockTest : public ::testing::Test {
protected:
    void SetUp() override { start(); }
    void start() {
        c.reset();
        overlayRequests.clear();
        asideRequests.clear();
        platform = makeFakePlatform(desktop);
        c = std::make_unique<Controller>(platform, FramePipeline::Mode::Inline);
        c->frames().setTimer(handTimers());  // the test drives the ticks
        c->settingsStore().setFolder(configDir.path() + QLatin1Char('/'));
        c->refreshMonitors();
        c->cursorLock().setMouseArea(Rect4{0, 0, c->screens().primaryWidth(), c->screens().primaryHeight()});
        QObject::connect(c.get(), &Controller::viewRequested, c.get(), [this](View v, bool show) {
            if (v == View::AreaOverlay) overlayRequests << show;
            // As the App reports it back.
            c->setViewShown(v, show);
        });
        QObject::connect(c.get(), &Controller::windowsAsideRequested, c.get(),
                         [this](bool aside) { asideRequests << aside; });
    }
    // Waits for the snapshot; the overlay is then up.
    void waitForOverlay() {
        ASSERT_TRUE(pumpUntil([&] { return !c->area().snapshotPending(); }));
        ASSERT_TRUE(c->isShown(View::AreaOverlay));
    }
    QRect fence() const { return desktop.pointerFence; }

    QTemporaryDir configDir;
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<Controller> c;
    QVector<bool> overlayRequests;
    QVector<bool> asideRequests;
};

TEST(AreaBetween, EveryDragDirectionGivesTheSameArea) {
    const Rect4 want{100, 200, 300, 400};
    struct {
        QPoint anchor, end;
    } const drags[] = {
        {{100, 200}, {300, 400}},  // down and right
        {{300, 400}, {100, 200}},  // up and left
        {{100, 400}, {300, 200}},  // up and right
        {{300, 200}, {100, 400}},  // down and left
    };
    for (const auto& d : drags) EXPECT_EQ(areaBetween(d.anchor, d.end), want);
    EXPECT_EQ(areaBetween({50, 60}, {50, 60}), (Rect4{50, 60, 50, 60}));        // a click
    EXPECT_EQ(areaBetween({50, 60}, {-10, 2000}), (Rect4{-10, 60, 50, 2000}));  // a release outside
}

// The two commands that open the overlay, ended by a release or by Escape.
TEST_F(AreaAndLockTest, ResultGoesIntoTheCaptureAreaAndIntoTheMouseAreaOnlyWhilePicking) {
    const Rect4 oldCapture{1, 2, 3, 4}, oldMouse{0, 0, 1920, 1080}, chosen{10, 20, 110, 220};
    struct {
        const char* what;
        bool pickMouseArea;
        bool escape;
        Rect4 capture, mouse;
    } const cases[] = {
        {"part of desktop", false, false, chosen, oldMouse},
        {"part of desktop, Escape", false, true, oldCapture, oldMouse},
        {"mouse area", true, false, chosen, chosen},
        {"mouse area, Escape", true, true, oldCapture, oldMouse},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        start();
        c->setCaptureArea(oldCapture);
        if (k.pickMouseArea)
            c->selectMouseArea();
        else
            c->startArea();
        EXPECT_EQ(c->area().pickingMouseArea(), k.pickMouseArea);
        EXPECT_TRUE(c->area().snapshotPending());
        waitForOverlay();
        EXPECT_EQ(c->area().snapshot().size(), Primary.size());
        if (k.escape)
            c->area().cancel();
        else
            c->area().finish(chosen);
        EXPECT_EQ(c->captureArea(), k.capture);
        EXPECT_EQ(c->cursorLock().mouseArea(), k.mouse);
        EXPECT_EQ(c->area().purpose(), AreaPurpose::None);
        EXPECT_FALSE(c->area().pickingMouseArea());
        EXPECT_TRUE(c->area().snapshot().isNull());
        EXPECT_EQ(overlayRequests, (QVector<bool>{true, false}));
        // Only Part of Desktop moves the windows aside, and always brings them back.
        if (k.pickMouseArea)
            EXPECT_TRUE(asideRequests.isEmpty());
        else
            EXPECT_EQ(asideRequests, (QVector<bool>{true, false}));
        const bool mirrors = !k.pickMouseArea && !k.escape;
        EXPECT_EQ(c->desktopScope(), mirrors ? DesktopScope::Area : DesktopScope::NotChosen);
        EXPECT_EQ(c->source(), mirrors ? Source::Desktop : Source::Stopped);
        // The menu's mark: nothing is left marked when Escape ended Part of Desktop.
        EXPECT_EQ(c->sourceChoice(), mirrors ? SourceChoice::Area : SourceChoice::None);
        EXPECT_EQ(c->frames().ticking(), mirrors);
    }
}

TEST_F(AreaAndLockTest, SnapshotIsThePrimaryMonitorAndAFailedCaptureGivesABlackOne) {
    desktop.screen = QImage(3200, 1080, QImage::Format_RGB32);
    desktop.screen.fill(qRgb(0, 0, 255));
    for (int y = 0; y < 1080; ++y)
        for (int x = 0; x < 1920; ++x) desktop.screen.setPixel(x, y, qRgb(255, 0, 0));
    c->selectMouseArea();
    waitForOverlay();
    EXPECT_EQ(desktop.captureRects.last(), Primary);
    EXPECT_EQ(c->area().snapshot().pixel(1919, 1079), qRgb(255, 0, 0));
    c->area().cancel();

    desktop.captureFails = true;
    c->selectMouseArea();
    waitForOverlay();
    ASSERT_EQ(c->area().snapshot().size(), Primary.size());
    EXPECT_EQ(c->area().snapshot().pixel(5, 5), qRgb(0, 0, 0));
}

TEST_F(AreaAndLockTest, MouseAreaPickedDuringAnAreaMirrorAlsoMovesTheMirror) {
    c->startArea();
    waitForOverlay();
    c->area().finish(Rect4{0, 0, 100, 100});
    c->selectMouseArea();
    waitForOverlay();
    c->area().finish(Rect4{500, 500, 600, 550});
    EXPECT_EQ(c->source(), Source::Desktop);  // the mirror runs on
    EXPECT_EQ(c->desktopScope(), DesktopScope::Area);
    EXPECT_EQ(c->captureArea(), (Rect4{500, 500, 600, 550}));
    c->frames().tick();
    EXPECT_EQ(desktop.captureRects.last(), QRect(500, 500, 100, 50));
}

TEST_F(AreaAndLockTest, QuickStartRunsOnceTheAreaIsChosenAndNotAfterEscape) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "chosen");
        start();
        c->setViewShown(View::Output, true);
        c->startAreaAndRun();
        EXPECT_FALSE(c->outputRunning());
        waitForOverlay();
        EXPECT_FALSE(c->outputRunning());
        if (escape)
            c->area().cancel();
        else
            c->area().finish(Rect4{0, 0, 50, 50});
        EXPECT_EQ(c->outputRunning(), !escape);
        // A later selection from the dialog does not run by itself.
        c->stopRunning();
        c->startArea();
        waitForOverlay();
        c->area().finish(Rect4{0, 0, 50, 50});
        EXPECT_FALSE(c->outputRunning());
    }
}

TEST_F(AreaAndLockTest, OneSelectionAtATime) {
    c->selectMouseArea();
    c->startArea();  // ignored: the mouse area is being picked
    EXPECT_TRUE(asideRequests.isEmpty());
    waitForOverlay();
    c->selectMouseArea();
    c->area().finish(Rect4{1, 1, 2, 2});
    EXPECT_EQ(overlayRequests, (QVector<bool>{true, false}));
    // A release with no overlay up changes nothing.
    c->area().finish(Rect4{7, 7, 8, 8});
    EXPECT_EQ(c->cursorLock().mouseArea(), (Rect4{1, 1, 2, 2}));
}

// --- The cursor lock ---------------------------------------------------------

TEST_F(AreaAndLockTest, TickFencesThePointerWhileLockedAndFreesItOtherwise) {
    struct {
        const char* what;
        bool locked;
        Rect4 area;
        QPoint pointer;
        QRect fence;  // null: free
        QPoint after;
    } const cases[] = {
        {"primary", true, {0, 0, 1920, 1080}, {2500, 500}, Primary, {1919, 500}},
        {"dragged area", true, {100, 200, 300, 400}, {50, 50}, QRect(100, 200, 200, 200), {100, 200}},
        {"click: held at the point", true, {640, 480, 640, 480}, {900, 900}, QRect(640, 480, 1, 1), {640, 480}},
        {"on no monitor: the primary", true, {5000, 5000, 5100, 5100}, {2500, 10}, Primary, {1919, 10}},
        {"unlocked", false, {0, 0, 1920, 1080}, {2500, 500}, QRect(), {2500, 500}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        c->cursorLock().setLocked(k.locked);
        c->cursorLock().setMouseArea(k.area);
        desktop.pointer = k.pointer;
        c->cursorLock().tick();
        EXPECT_EQ(fence(), k.fence);
        EXPECT_EQ(desktop.pointer, k.after);
    }
}

TEST_F(AreaAndLockTest, LockedAreaThatLeavesTheMonitorsFallsBackToThePrimary) {
    c->cursorLock().setLocked(true);
    c->cursorLock().setMouseArea(Rect4{2000, 100, 2100, 200});  // on the second monitor
    c->cursorLock().tick();
    EXPECT_EQ(fence(), QRect(2000, 100, 100, 100));
    desktop.monitors = {Primary};  // the second monitor goes
    c->refreshMonitors();
    c->cursorLock().tick();
    EXPECT_EQ(fence(), Primary);
}

TEST_F(AreaAndLockTest, MenuCommandsChangeTheAreaOrTheMarkAndTheTickAppliesThem) {
    c->cursorLock().setMouseArea(Rect4{5, 5, 6, 6});
    c->cursorLock().setMouseAreaToPrimary();
    EXPECT_EQ(c->cursorLock().mouseArea(), (Rect4{0, 0, 1920, 1080}));
    EXPECT_FALSE(c->cursorLock().locked());
    EXPECT_FALSE(c->cursorLock().ticking());
    QVector<bool> marks;
    QObject::connect(&c->cursorLock(), &CursorLock::lockedChanged, c.get(), [&](bool on) { marks << on; });
    c->cursorLock().toggle();
    EXPECT_TRUE(c->cursorLock().locked());
    EXPECT_TRUE(c->cursorLock().ticking());
    EXPECT_TRUE(fence().isNull());  // not before the tick
    ASSERT_TRUE(pumpUntil([&] { return fence() == Primary; }, 2000));
    c->cursorLock().toggle();
    ASSERT_TRUE(pumpUntil([&] { return fence().isNull(); }, 2000));
    EXPECT_EQ(marks, (QVector<bool>{true, false}));
}

TEST_F(AreaAndLockTest, LockAndMouseAreaRoundTripThroughTheSettingsFile) {
    c->loadSettings();
    c->cursorLock().setMouseArea(Rect4{10, 20, 300, 400});
    c->cursorLock().setLocked(true);
    QString error;
    ASSERT_TRUE(c->saveSettings(&error)) << qPrintable(error);
    QFile file(c->settingsStore().path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    for (const char* line :
         {"Cursorx0=10\r\n", "Cursory0=20\r\n", "Cursorx9=300\r\n", "Cursory9=400\r\n", "OptCursorLimit=1\r\n"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.constData();

    // The next start: locked onto the saved area from the first tick on.
    start();
    desktop.pointer = QPoint(2500, 700);
    c->loadSettings();
    EXPECT_TRUE(c->cursorLock().locked());
    EXPECT_EQ(c->cursorLock().mouseArea(), (Rect4{10, 20, 300, 400}));
    ASSERT_TRUE(c->cursorLock().ticking());
    ASSERT_TRUE(pumpUntil([&] { return !fence().isNull(); }, 2000));
    EXPECT_EQ(fence(), QRect(10, 20, 290, 380));
    EXPECT_EQ(desktop.pointer, QPoint(299, 399));
}

TEST_F(AreaAndLockTest, ExitLeavesNoFenceBehind) {
    c->cursorLock().setLocked(true);
    c->cursorLock().tick();
    ASSERT_FALSE(fence().isNull());
    c->prepareExit();
    EXPECT_TRUE(fence().isNull());
    EXPECT_FALSE(c->cursorLock().ticking());
    EXPECT_TRUE(c->cursorLock().locked());  // saved as it was

    c->cursorLock().tick();  // a fence made again...
    ASSERT_FALSE(fence().isNull());
    c.reset();  // ...goes with the controller
    EXPECT_TRUE(fence().isNull());
}

}  // namespace
}  // namespace vz::test
