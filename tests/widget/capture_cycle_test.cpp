// The capture tick's order of hand-offs, the blanking operations and the
// update rate, on the fake platform.

#include "app_fixture.h"

#include "capture/capture_cycle.h"
#include "display/image_view.h"
#include "display/umonitor.h"
#include "display/uslika.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"

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
        app->fmonitor->ShowOnSecondary();
    }
    void tick() { app->capture->Timer3zaslonTimer(); }
    QImage output() { return app->fmonitor->image->picture(); }
    QImage preview() { return app->fslika->Slika->picture(); }
    void setScreen(QRgb c) { desktop.screen = solid(QSize(3200, 1080), c); }
};

TEST_F(CaptureCycleTest, DesktopModeHandsOffThePreviousTicksFrame) {
    state().SourceMode = source::Desktop;
    state().DesktopScope = 0;
    state().OutputRunning = true;
    app->fslika->show();

    setScreen(Red);
    tick();  // hands off the (empty) frame left from before, then captures red
    EXPECT_TRUE(output().isNull());
    EXPECT_EQ(state().DesktopFrame.size(), QSize(1920, 1080));

    setScreen(Blue);
    tick();
    ASSERT_FALSE(output().isNull());
    EXPECT_EQ(output().pixel(5, 5), Red);
    EXPECT_EQ(preview().pixel(5, 5), Red);
    EXPECT_EQ(state().OutputFrame.pixel(5, 5), Red);
    EXPECT_EQ(state().DesktopFrame.pixel(5, 5), Blue);
}

TEST_F(CaptureCycleTest, PreviewFollowsWhileOutputIsStopped) {
    state().SourceMode = source::Desktop;
    state().DesktopScope = 0;
    state().OutputRunning = false;
    app->fslika->show();
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(preview().pixel(0, 0), Green);
    EXPECT_TRUE(output().isNull());  // the output keeps its last picture
    EXPECT_EQ(state().OutputFrame.pixel(0, 0), Green);
}

TEST_F(CaptureCycleTest, HiddenOutputLeavesOutputFrameAlone) {
    state().SourceMode = source::Desktop;
    state().DesktopScope = 0;
    app->fmonitor->hide();
    app->fslika->show();
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(preview().pixel(0, 0), Green);
    EXPECT_TRUE(state().OutputFrame.isNull());
}

TEST_F(CaptureCycleTest, UnchosenScopeCapturesNothing) {
    state().SourceMode = source::Desktop;
    state().DesktopScope = -1;
    tick();
    EXPECT_EQ(desktop.screenCaptures, 0);
}

TEST_F(CaptureCycleTest, AreaScopeCapturesTheAreaOnly) {
    QImage screen = solid(QSize(3200, 1080), Black);
    for (int y = 100; y < 200; ++y)
        for (int x = 300; x < 340; ++x) screen.setPixel(x, y, Red);
    desktop.screen = screen;
    state().SourceMode = source::Desktop;
    state().DesktopScope = 1;
    state().CaptureArea = Rect4{300, 100, 340, 200};
    tick();
    ASSERT_EQ(state().DesktopFrame.size(), QSize(40, 100));
    EXPECT_EQ(state().DesktopFrame.pixel(0, 0), Red);
    EXPECT_EQ(state().DesktopFrame.pixel(39, 99), Red);

    state().CaptureArea = Rect4{300, 100, 300, 100};  // a click without a drag
    tick();
    EXPECT_TRUE(state().DesktopFrame.isNull());
}

TEST_F(CaptureCycleTest, FramesAreReusedFromTickToTick) {
    state().SourceMode = source::Desktop;
    state().DesktopScope = 0;
    state().OutputRunning = true;
    setScreen(Red);
    tick();
    tick();
    const uchar* desktopBits = state().DesktopFrame.constBits();
    const uchar* outputBits = state().OutputFrame.constBits();
    tick();
    tick();
    EXPECT_EQ(state().DesktopFrame.constBits(), desktopBits);
    EXPECT_EQ(state().OutputFrame.constBits(), outputBits);
}

TEST_F(CaptureCycleTest, WindowModeShowsTheSameTicksFrame) {
    desktop.windows[7] = {QRect(10, 10, 200, 100), solid(QSize(200, 100), Green)};
    state().SelectedWindow = 7;
    state().SourceMode = source::Window;
    state().OutputRunning = true;
    app->fslika->show();
    tick();
    ASSERT_EQ(output().size(), QSize(200, 100));
    EXPECT_EQ(output().pixel(0, 0), Green);
    EXPECT_EQ(preview().pixel(0, 0), Green);

    // The window closes: frame and output stay as they were.
    desktop.windows.remove(7);
    tick();
    EXPECT_EQ(output().pixel(0, 0), Green);
    EXPECT_EQ(state().WindowFrame.size(), QSize(200, 100));
}

TEST_F(CaptureCycleTest, WindowModeWithoutWindowBlanksAndClearsMarks) {
    state().SourceMode = source::Window;
    state().SelectedWindow = 0;
    app->startForm->S1->setChecked(true);
    tick();
    EXPECT_FALSE(app->startForm->S1->isChecked());
    ASSERT_FALSE(output().isNull());
    EXPECT_EQ(output().pixel(0, 0), Black);
}

TEST_F(CaptureCycleTest, OtherModesDoNothing) {
    for (int mode : {source::Stopped, source::Clipboard, source::Slideshow}) {
        state().SourceMode = mode;
        state().DesktopScope = 0;
        tick();
    }
    EXPECT_EQ(desktop.screenCaptures, 0);
    EXPECT_TRUE(output().isNull());
}

TEST_F(CaptureCycleTest, ClearImageBlanksOutputAndPreview) {
    app->fslika->show();
    app->fslika->Slika->setPicture(solid(QSize(8, 8), Red));
    app->fmonitor->image->setPicture(solid(QSize(8, 8), Red));
    app->capture->ClearImage();
    const QSize out = app->fmonitor->image->size() + QSize(1, 1);
    EXPECT_EQ(output().size(), out);
    EXPECT_EQ(output().pixel(0, 0), Black);
    EXPECT_TRUE(preview().isNull());
    EXPECT_EQ(state().OutputFrame.size(), app->fslika->Slika->size() + QSize(1, 1));
    EXPECT_EQ(state().OutputFrame.pixel(0, 0), Black);
    EXPECT_TRUE(app->fmonitor->image->isVisible());
}

TEST_F(CaptureCycleTest, ClearImageStopsARunningOutput) {
    state().SourceMode = source::Desktop;
    state().OutputRunning = true;
    app->capture->ClearImage();
    EXPECT_FALSE(state().OutputRunning);
    EXPECT_FALSE(app->mainForm->showsStopPicture());

    state().OutputRunning = true;  // the light variant never touches it
    app->capture->ClearImageLight();
    EXPECT_TRUE(state().OutputRunning);
}

TEST_F(CaptureCycleTest, SendFrameToOutput) {
    state().OutputFrame = solid(QSize(4, 4), Blue);
    state().SourceMode = source::Desktop;
    app->fmonitor->Pixa->show();
    app->capture->SendFrameToOutput();
    EXPECT_EQ(output().pixel(0, 0), Blue);
    EXPECT_FALSE(app->fmonitor->Pixa->isVisible());

    state().SourceMode = source::Stopped;  // stopped: the output is blanked instead
    app->capture->SendFrameToOutput();
    EXPECT_EQ(output().pixel(0, 0), Black);

    app->fmonitor->hide();  // hidden: nothing happens
    state().SourceMode = source::Desktop;
    app->capture->SendFrameToOutput();
    EXPECT_EQ(output().pixel(0, 0), Black);
}

TEST_F(CaptureCycleTest, UpdateRateSetsIntervalAndRaisesMaximum) {
    struct Case { int rate; int interval; int max; };
    state().MaxUpdateRate = 5;
    const Case cases[] = {{10, 100, 10}, {3, 333, 10}, {4, 250, 10}, {7, 142, 10}, {1, 1000, 10}, {1000, 1, 1000}};
    for (const Case& c : cases) {
        app->capture->UpdateRateChange(c.rate);
        EXPECT_EQ(app->capture->Timer3zaslon.interval(), c.interval) << c.rate;
        EXPECT_EQ(state().MaxUpdateRate, c.max) << c.rate;
    }
}

}  // namespace
}  // namespace vz::test
