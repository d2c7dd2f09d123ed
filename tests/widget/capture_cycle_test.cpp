// The capture tick's order of hand-offs, the blanking operations and the
// update rate, on the fake platform.

#include "app_fixture.h"

#include "app/capture_cycle.h"
#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/preview/preview_window.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"

#include <QAction>

namespace vz::test {
namespace {

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Green = qRgb(0, 255, 0), Black = qRgb(0, 0, 0);

class CaptureCycleTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
        app->output->showOnSecondary();
    }
    void tick() { app->capture->captureTick(); }
    QImage output() { return app->output->outputView->picture(); }
    QImage preview() { return app->preview->previewView->picture(); }
    void setScreen(QRgb c) { desktop.screen = solid(QSize(3200, 1080), c); }
};

TEST_F(CaptureCycleTest, DesktopModeHandsOffThePreviousTicksFrame) {
    state().source = source::Desktop;
    state().desktopScope = 0;
    state().outputRunning = true;
    app->preview->show();

    setScreen(Red);
    tick();  // hands off the (empty) frame left from before, then captures red
    EXPECT_TRUE(output().isNull());
    EXPECT_EQ(state().desktopFrame.size(), QSize(1920, 1080));

    setScreen(Blue);
    tick();
    ASSERT_FALSE(output().isNull());
    EXPECT_EQ(output().pixel(5, 5), Red);
    EXPECT_EQ(preview().pixel(5, 5), Red);
    EXPECT_EQ(state().outputFrame.pixel(5, 5), Red);
    EXPECT_EQ(state().desktopFrame.pixel(5, 5), Blue);
}

TEST_F(CaptureCycleTest, PreviewFollowsWhileOutputIsStopped) {
    state().source = source::Desktop;
    state().desktopScope = 0;
    state().outputRunning = false;
    app->preview->show();
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(preview().pixel(0, 0), Green);
    EXPECT_TRUE(output().isNull());  // the output keeps its last picture
    EXPECT_EQ(state().outputFrame.pixel(0, 0), Green);
}

TEST_F(CaptureCycleTest, HiddenOutputLeavesOutputFrameAlone) {
    state().source = source::Desktop;
    state().desktopScope = 0;
    app->output->hide();
    app->preview->show();
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(preview().pixel(0, 0), Green);
    EXPECT_TRUE(state().outputFrame.isNull());
}

TEST_F(CaptureCycleTest, UnchosenScopeCapturesNothing) {
    state().source = source::Desktop;
    state().desktopScope = -1;
    tick();
    EXPECT_EQ(desktop.screenCaptures, 0);
}

TEST_F(CaptureCycleTest, AreaScopeCapturesTheAreaOnly) {
    QImage screen = solid(QSize(3200, 1080), Black);
    for (int y = 100; y < 200; ++y)
        for (int x = 300; x < 340; ++x) screen.setPixel(x, y, Red);
    desktop.screen = screen;
    state().source = source::Desktop;
    state().desktopScope = 1;
    state().captureArea = Rect4{300, 100, 340, 200};
    tick();
    ASSERT_EQ(state().desktopFrame.size(), QSize(40, 100));
    EXPECT_EQ(state().desktopFrame.pixel(0, 0), Red);
    EXPECT_EQ(state().desktopFrame.pixel(39, 99), Red);

    state().captureArea = Rect4{300, 100, 300, 100};  // a click without a drag
    tick();
    EXPECT_TRUE(state().desktopFrame.isNull());
}

TEST_F(CaptureCycleTest, FramesAreReusedFromTickToTick) {
    state().source = source::Desktop;
    state().desktopScope = 0;
    state().outputRunning = true;
    setScreen(Red);
    tick();
    tick();
    const uchar* desktopBits = state().desktopFrame.constBits();
    const uchar* outputBits = state().outputFrame.constBits();
    tick();
    tick();
    EXPECT_EQ(state().desktopFrame.constBits(), desktopBits);
    EXPECT_EQ(state().outputFrame.constBits(), outputBits);
}

TEST_F(CaptureCycleTest, WindowModeShowsTheSameTicksFrame) {
    desktop.windows[7] = {QRect(10, 10, 200, 100), solid(QSize(200, 100), Green)};
    state().selectedWindow = 7;
    state().source = source::Window;
    state().outputRunning = true;
    app->preview->show();
    tick();
    ASSERT_EQ(output().size(), QSize(200, 100));
    EXPECT_EQ(output().pixel(0, 0), Green);
    EXPECT_EQ(preview().pixel(0, 0), Green);

    // The window closes: frame and output stay as they were.
    desktop.windows.remove(7);
    tick();
    EXPECT_EQ(output().pixel(0, 0), Green);
    EXPECT_EQ(state().windowFrame.size(), QSize(200, 100));
}

TEST_F(CaptureCycleTest, WindowModeWithoutWindowBlanksAndClearsMarks) {
    state().source = source::Window;
    state().selectedWindow = 0;
    app->tray->desktopAction->setChecked(true);
    tick();
    EXPECT_FALSE(app->tray->desktopAction->isChecked());
    ASSERT_FALSE(output().isNull());
    EXPECT_EQ(output().pixel(0, 0), Black);
}

TEST_F(CaptureCycleTest, OtherModesDoNothing) {
    for (int mode : {source::Stopped, source::Clipboard, source::Slideshow}) {
        state().source = mode;
        state().desktopScope = 0;
        tick();
    }
    EXPECT_EQ(desktop.screenCaptures, 0);
    EXPECT_TRUE(output().isNull());
}

TEST_F(CaptureCycleTest, ClearImageBlanksOutputAndPreview) {
    app->preview->show();
    app->preview->previewView->setPicture(solid(QSize(8, 8), Red));
    app->output->outputView->setPicture(solid(QSize(8, 8), Red));
    app->capture->clearOutput();
    const QSize out = app->output->outputView->size() + QSize(1, 1);
    EXPECT_EQ(output().size(), out);
    EXPECT_EQ(output().pixel(0, 0), Black);
    EXPECT_TRUE(preview().isNull());
    EXPECT_EQ(state().outputFrame.size(), app->preview->previewView->size() + QSize(1, 1));
    EXPECT_EQ(state().outputFrame.pixel(0, 0), Black);
    EXPECT_TRUE(app->output->outputView->isVisible());
}

TEST_F(CaptureCycleTest, ClearImageStopsARunningOutput) {
    state().source = source::Desktop;
    state().outputRunning = true;
    app->capture->clearOutput();
    EXPECT_FALSE(state().outputRunning);
    EXPECT_FALSE(app->toolbar->showsStopPicture());

    state().outputRunning = true;  // the light variant never touches it
    app->capture->clearOutputLight();
    EXPECT_TRUE(state().outputRunning);
}

TEST_F(CaptureCycleTest, sendFrameToOutput) {
    state().outputFrame = solid(QSize(4, 4), Blue);
    state().source = source::Desktop;
    app->output->transitionSurface->show();
    app->capture->sendFrameToOutput();
    EXPECT_EQ(output().pixel(0, 0), Blue);
    EXPECT_FALSE(app->output->transitionSurface->isVisible());

    state().source = source::Stopped;  // stopped: the output is blanked instead
    app->capture->sendFrameToOutput();
    EXPECT_EQ(output().pixel(0, 0), Black);

    app->output->hide();  // hidden: nothing happens
    state().source = source::Desktop;
    app->capture->sendFrameToOutput();
    EXPECT_EQ(output().pixel(0, 0), Black);
}

TEST_F(CaptureCycleTest, UpdateRateSetsIntervalAndRaisesMaximum) {
    struct Case { int rate; int interval; int max; };
    state().maxUpdateRate = 5;
    const Case cases[] = {{10, 100, 10}, {3, 333, 10}, {4, 250, 10}, {7, 142, 10}, {1, 1000, 10}, {1000, 1, 1000}};
    for (const Case& c : cases) {
        app->capture->setUpdateRate(c.rate);
        EXPECT_EQ(app->capture->captureTimer.interval(), c.interval) << c.rate;
        EXPECT_EQ(state().maxUpdateRate, c.max) << c.rate;
    }
}

}  // namespace
}  // namespace vz::test
