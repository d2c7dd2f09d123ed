// The area overlay on the fake platform: the drag, its frame, the banner,
// Escape, and the tray items of the cursor lock.

#include "app_fixture.h"
#include "area_drag.h"

#include "ui/area/area_overlay.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/tray/tray_icon.h"
#include "ui/toolbar/toolbar.h"
#include "pump_events.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>

namespace vz::test {
namespace {

class AreaOverlayTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // A picture with no two neighbouring pixels alike.
        desktop.screen = QImage(3200, 1080, QImage::Format_RGB32);
        for (int y = 0; y < 1080; ++y)
            for (int x = 0; x < 3200; ++x) desktop.screen.setPixel(x, y, qRgb(x % 251, y % 241, (x + y) % 239));
        startApp();
    }
    AreaOverlay& overlay() { return *app->areaOverlay; }
    TrayIcon& tray() { return *app->tray; }
    void openFor(bool mouseArea) {
        if (mouseArea)
            controller().selectMouseArea();
        else
            controller().startArea();
        ASSERT_TRUE(pumpUntil([&] { return overlay().isVisible(); }));
    }
    QImage snapshot() const { return desktop.screen.copy(0, 0, 1920, 1080); }
};

TEST_F(AreaOverlayTest, DragInAnyDirectionGivesTheNormalisedArea) {
    struct {
        const char* what;
        QPoint from, to;
        Rect4 area;
    } const cases[] = {
        {"down and right", {100, 200}, {300, 400}, {100, 200, 300, 400}},
        {"up and left", {300, 400}, {100, 200}, {100, 200, 300, 400}},
        {"up and right", {100, 400}, {300, 200}, {100, 200, 300, 400}},
        {"down and left", {300, 200}, {100, 400}, {100, 200, 300, 400}},
        {"click without motion", {640, 480}, {640, 480}, {640, 480, 640, 480}},
        {"release beyond the overlay", {1800, 1000}, {2500, 1200}, {1800, 1000, 2500, 1200}},
    };
    for (bool mouseArea : {false, true}) {
        for (const auto& k : cases) {
            SCOPED_TRACE(std::string(k.what) + (mouseArea ? " (mouse area)" : " (part of desktop)"));
            const Rect4 mouseBefore = controller().cursorLock().mouseArea();
            openFor(mouseArea);
            EXPECT_EQ(overlay().geometry(), QRect(0, 0, 1920, 1080));
            dragOnOverlay(overlay(), k.from, k.to, mouseArea ? Qt::RightButton : Qt::LeftButton);
            EXPECT_FALSE(overlay().isVisible());
            EXPECT_EQ(controller().captureArea(), k.area);
            EXPECT_EQ(controller().cursorLock().mouseArea(), mouseArea ? k.area : mouseBefore);
            controller().cursorLock().setMouseAreaToPrimary();
        }
    }
}

TEST_F(AreaOverlayTest, FrameIsInvertedIntoThePictureAndErasedAsItMoves) {
    openFor(false);
    const QImage before = snapshot();
    ASSERT_EQ(overlay().picture(), before);
    sendMouse(&overlay(), QEvent::MouseButtonPress, {100, 100});
    EXPECT_EQ(overlay().picture(), before);  // nothing drawn at the press
    sendMouse(&overlay(), QEvent::MouseMove, {400, 300});
    const QImage first = overlay().picture();
    // Along the top side every pixel is either inverted (under a dash) or
    // left alone (between dashes); inside and beyond nothing changes.
    int inverted = 0;
    for (int x = 100; x <= 400; ++x) {
        const QRgb was = before.pixel(x, 100) & 0xffffff, now = first.pixel(x, 100) & 0xffffff;
        if (now == (~was & 0xffffff))
            ++inverted;
        else
            EXPECT_EQ(now, was) << x;
    }
    EXPECT_GT(inverted, 150);
    EXPECT_LT(inverted, 290);  // dashed, not solid
    EXPECT_EQ(first.copy(110, 110, 280, 180), before.copy(110, 110, 280, 180));
    EXPECT_EQ(first.copy(410, 0, 500, 400), before.copy(410, 0, 500, 400));

    // Moving on erases the old frame: its right side is the picture again.
    sendMouse(&overlay(), QEvent::MouseMove, {200, 300});
    EXPECT_EQ(overlay().picture().pixel(400, 150), before.pixel(400, 150));
    QImage back = overlay().picture();
    AreaOverlay::invertFrame(back, {100, 100}, {200, 300});
    EXPECT_EQ(back, before);  // the same frame drawn twice gives the picture back
}

TEST_F(AreaOverlayTest, BannerShowsTheInstructionAndIgnoresTheMouse) {
    openFor(false);
    QLabel* banner = overlay().banner;
    EXPECT_EQ(banner->text(), QStringLiteral("   Hold down the left mouse button on the desktop and drag the mouse to "
                                             "define the bounded area, and release the button   "));
    EXPECT_EQ(banner->pos(), QPoint(32, 40));
    EXPECT_EQ(banner->height(), 16);
    EXPECT_GE(banner->width(), 843);
    EXPECT_GE(banner->width(), banner->sizeHint().width());  // the whole caption shows
    EXPECT_EQ(banner->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(banner->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_TRUE(banner->font().bold());
    EXPECT_EQ(banner->font().pixelSize(), 13);
    sendMouse(banner, QEvent::MouseButtonPress, {10, 5});
    sendMouse(banner, QEvent::MouseButtonRelease, {10, 5});
    EXPECT_TRUE(overlay().isVisible());
    EXPECT_FALSE(overlay().dragging());
    // A release with no press on the picture before it does not end the selection.
    sendMouse(&overlay(), QEvent::MouseButtonRelease, {500, 500});
    EXPECT_TRUE(overlay().isVisible());
}

TEST_F(AreaOverlayTest, EscapeClosesWithoutChangingAnything) {
    app->settingsDialog->move(200, 150);
    app->settingsDialog->show();
    const QPoint dialogAt = app->settingsDialog->pos();
    const Rect4 capture{5, 6, 7, 8};
    controller().setCaptureArea(capture);
    for (bool mouseArea : {false, true}) {
        SCOPED_TRACE(mouseArea ? "mouse area" : "part of desktop");
        openFor(mouseArea);
        sendMouse(&overlay(), QEvent::MouseButtonPress, {100, 100});
        sendMouse(&overlay(), QEvent::MouseMove, {400, 300});
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&overlay(), &escape);
        EXPECT_FALSE(overlay().isVisible());
        EXPECT_EQ(controller().captureArea(), capture);
        EXPECT_EQ(controller().cursorLock().mouseArea(), (Rect4{0, 0, 1920, 1080}));
        EXPECT_EQ(controller().area().purpose(), AreaPurpose::None);
        EXPECT_EQ(app->settingsDialog->pos(), dialogAt);
        EXPECT_TRUE(app->settingsDialog->isVisible());
        EXPECT_FALSE(controller().frames().ticking());
    }
}

TEST_F(AreaOverlayTest, QuickStartMirrorsTheChosenAreaAtOnce) {
    tray().areaAction->trigger();
    EXPECT_TRUE(tray().areaAction->isChecked());
    EXPECT_TRUE(app->output->isVisible());
    ASSERT_TRUE(pumpUntil([&] { return overlay().isVisible(); }));
    dragOnOverlay(overlay(), {10, 10}, {110, 60});
    EXPECT_EQ(controller().source(), Source::Desktop);
    EXPECT_EQ(controller().desktopScope(), DesktopScope::Area);
    EXPECT_TRUE(controller().outputRunning());
    EXPECT_TRUE(app->toolbar->showsStopPicture());
}

TEST_F(AreaOverlayTest, TrayItemsOfTheCursorLock) {
    TrayIcon& t = tray();
    EXPECT_FALSE(t.cursorLockAction->isChecked());
    t.cursorLockAction->trigger();
    EXPECT_TRUE(controller().cursorLock().locked());
    EXPECT_TRUE(t.cursorLockAction->isChecked());
    ASSERT_TRUE(pumpUntil([&] { return desktop.pointerFence == QRect(0, 0, 1920, 1080); }, 2000));

    t.mouseAreaSelectAction->trigger();
    EXPECT_TRUE(controller().area().pickingMouseArea());
    ASSERT_TRUE(pumpUntil([&] { return overlay().isVisible(); }));
    dragOnOverlay(overlay(), {300, 300}, {100, 200});
    EXPECT_EQ(controller().cursorLock().mouseArea(), (Rect4{100, 200, 300, 300}));
    EXPECT_TRUE(controller().cursorLock().locked());  // the area commands leave the lock alone
    ASSERT_TRUE(pumpUntil([&] { return desktop.pointerFence == QRect(100, 200, 200, 100); }, 2000));

    t.mouseAreaPrimaryAction->trigger();
    EXPECT_EQ(controller().cursorLock().mouseArea(), (Rect4{0, 0, 1920, 1080}));
    t.cursorLockAction->trigger();
    EXPECT_FALSE(t.cursorLockAction->isChecked());
    ASSERT_TRUE(pumpUntil([&] { return desktop.pointerFence.isNull(); }, 2000));
}

}  // namespace
}  // namespace vz::test
