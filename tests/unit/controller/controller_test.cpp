// The controller's command sequences and its capture tick, with no window at
// all: a Controller on the fake platform (frames made inline), its signals
// recorded the way the windows would follow them.

#include "core/controller/controller.h"
#include "platform/fake/fake_platform.h"
#include "hand_timer.h"
#include "pump_events.h"
#include "core/clipboard/clipboard_picture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <memory>

namespace vz::test {
namespace {

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Green = qRgb(0, 255, 0), Black = qRgb(0, 0, 0),
           White = qRgb(255, 255, 255);

// What the windows would show, following the controller's signals.
struct Views {
    QImage output;           // the output's picture; a blank is an 8x8 black picture
    int outputPictures = 0;  // pictures (scaled or not) handed to the output
    int scaledPictures = 0;  // of them, already scaled for the output view
    CapturedFrame lastScaled;
    int fullBlanks = 0, lightBlanks = 0;
    QImage preview;
    int previewPictures = 0;
    int windowSourceLost = 0;
    QVector<bool> running;  // every runningChanged
    QVector<OutputSurface> surfaces;

    void follow(Controller& c) {
        QObject::connect(&c, &Controller::outputPicture, &c, [this](const QImage& p) {
            output = p;
            ++outputPictures;
        });
        QObject::connect(&c, &Controller::outputScaledPicture, &c, [this](const CapturedFrame& f) {
            output = f.picture;
            lastScaled = f;
            ++outputPictures;
            ++scaledPictures;
        });
        QObject::connect(&c, &Controller::outputBlanked, &c, [this](bool light) {
            output = solid(QSize(8, 8), Black);
            ++(light ? lightBlanks : fullBlanks);
        });
        QObject::connect(&c, &Controller::outputPictureDropped, &c, [this] { output = QImage(); });
        QObject::connect(&c, &Controller::previewPicture, &c, [this](const QImage& p) {
            preview = p;
            ++previewPictures;
        });
        QObject::connect(&c, &Controller::previewCleared, &c, [this] { preview = QImage(); });
        QObject::connect(&c, &Controller::windowSourceLost, &c, [this] { ++windowSourceLost; });
        QObject::connect(&c, &Controller::runningChanged, &c, [this](bool on) { running << on; });
        QObject::connect(&c, &Controller::outputSurfaceChanged, &c, [this](OutputSurface s) { surfaces << s; });
    }
};

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform = makeFakePlatform(desktop);
        c = std::make_unique<Controller>(platform, FramePipeline::Mode::Inline);
        c->frames().setTimer(handTimers());  // the test drives the ticks
        c->refreshMonitors();
        views.follow(*c);
    }
    void TearDown() override { c.reset(); }

    void tick() { c->frames().tick(); }
    void setScreen(QRgb colour) { desktop.screen = solid(QSize(3200, 1080), colour); }
    // As the App does when the windows show or hide.
    void showOutput(bool on = true) { c->setViewShown(View::Output, on); }
    void showPreview(bool on = true) { c->setViewShown(View::Preview, on); }
    // The desktop source with the output up and running.
    void runDesktop() {
        showOutput();
        c->startDesktop();
        c->toggleRun();
        ASSERT_TRUE(c->outputRunning());
    }
    // Part of the desktop: the controller continues from the event loop once
    // the windows are out of the picture.
    void startAreaCapture(const Rect4& area) {
        c->startArea();
        ASSERT_TRUE(pumpUntil([&] { return !c->area().snapshotPending(); }));
        c->area().finish(area);  // as the overlay does at the release
        ASSERT_EQ(c->desktopScope(), DesktopScope::Area);
    }

    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<Controller> c;
    Views views;
};

// --- The desktop tick ---------------------------------------------------------

TEST_F(ControllerTest, DesktopModeHandsOffThePreviousTicksFrame) {
    runDesktop();
    showPreview();

    setScreen(Red);
    const int before = views.outputPictures;
    tick();  // nothing finished yet: the output keeps its blank; red is captured
    EXPECT_EQ(views.outputPictures, before);
    EXPECT_EQ(views.output.pixel(0, 0), Black);
    EXPECT_EQ(c->frames().desktopFrame().size(), QSize(1920, 1080));
    EXPECT_EQ(views.previewPictures, 0);  // nothing finished yet to preview

    setScreen(Blue);
    tick();
    ASSERT_FALSE(views.output.isNull());
    EXPECT_EQ(views.output.pixel(5, 5), Red);
    EXPECT_EQ(views.preview.pixel(5, 5), Red);
    EXPECT_EQ(c->outputFrame().pixel(5, 5), Red);
    EXPECT_EQ(c->frames().desktopFrame().pixel(5, 5), Blue);
    EXPECT_EQ(desktop.captureRects.last(), QRect(0, 0, 1920, 1080));

    // A frame the output and the preview already show is not handed to them
    // again; after a blank it is.
    desktop.screenChangesAvailable = true;
    tick();  // shows blue; nothing changed since, so no capture
    const int shown = views.outputPictures, previewed = views.previewPictures;
    tick();
    tick();
    EXPECT_EQ(views.outputPictures, shown);
    EXPECT_EQ(views.previewPictures, previewed);
    c->clearOutputLight();
    tick();
    EXPECT_EQ(views.outputPictures, shown + 1);
    EXPECT_EQ(views.output.pixel(5, 5), Blue);
}

TEST_F(ControllerTest, KnownOutputViewGetsTheFrameAlreadyScaled) {
    c->setOutputViewSize(QSize(640, 360));
    runDesktop();
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(views.scaledPictures, 1);  // the first hand-off had nothing scaled yet
    ASSERT_TRUE(views.lastScaled.scaled);
    EXPECT_EQ(views.lastScaled.layout, c->outputLayout());
    EXPECT_EQ(views.lastScaled.picture.pixel(0, 0), Green);
    ASSERT_FALSE(views.lastScaled.render.scaled.isNull());
    EXPECT_EQ(views.lastScaled.render.scaled.pixel(0, 0), Green);

    // A changed view mode: the frame scaled for the old layout is not used.
    c->viewOptions().setViewMode(c->viewOptions().viewMode() == ViewFit::Normal ? ViewFit::Stretch : ViewFit::Normal);
    tick();
    EXPECT_EQ(views.scaledPictures, 1);
    EXPECT_EQ(views.output.pixel(0, 0), Green);
}

TEST_F(ControllerTest, PreviewFollowsWhileOutputIsStopped) {
    showOutput();
    c->startDesktop();
    showPreview();
    const QImage before = views.output;
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(views.preview.pixel(0, 0), Green);
    EXPECT_EQ(views.outputPictures, 0);  // the output keeps its last picture
    EXPECT_EQ(views.output, before);
    EXPECT_EQ(c->outputFrame().pixel(0, 0), Green);
}

TEST_F(ControllerTest, HiddenOutputLeavesOutputFrameAlone) {
    c->startDesktop();
    showPreview();
    const QImage before = c->outputFrame();
    setScreen(Green);
    tick();
    tick();
    EXPECT_EQ(views.preview.pixel(0, 0), Green);
    EXPECT_EQ(c->outputFrame().constBits(), before.constBits());
    EXPECT_NE(c->outputFrame().pixel(0, 0), Green);
}

TEST_F(ControllerTest, NothingIsCapturedUntilTheAreaSelectionContinues) {
    c->startArea();  // the windows are moving aside: no source yet
    EXPECT_EQ(c->source(), Source::Stopped);
    EXPECT_EQ(c->desktopScope(), DesktopScope::NotChosen);
    tick();
    EXPECT_EQ(desktop.screenCaptures, 0);
    // Then the snapshot, and the overlay, still with no source.
    ASSERT_TRUE(pumpUntil([&] { return !c->area().snapshotPending(); }));
    EXPECT_EQ(desktop.screenCaptures, 1);
    EXPECT_EQ(c->source(), Source::Stopped);
    c->area().finish(Rect4{10, 20, 30, 40});
    EXPECT_EQ(c->source(), Source::Desktop);
    EXPECT_EQ(c->desktopScope(), DesktopScope::Area);
    EXPECT_EQ(c->sourceChoice(), SourceChoice::Area);
    EXPECT_TRUE(c->frames().ticking());
}

TEST_F(ControllerTest, AreaScopeCapturesTheAreaOnly) {
    QImage screen = solid(QSize(3200, 1080), Black);
    for (int y = 100; y < 200; ++y)
        for (int x = 300; x < 340; ++x) screen.setPixel(x, y, Red);
    desktop.screen = screen;
    startAreaCapture(Rect4{300, 100, 340, 200});
    tick();
    ASSERT_EQ(c->frames().desktopFrame().size(), QSize(40, 100));
    EXPECT_EQ(c->frames().desktopFrame().pixel(0, 0), Red);
    EXPECT_EQ(c->frames().desktopFrame().pixel(39, 99), Red);
    EXPECT_EQ(desktop.captureRects.last(), QRect(300, 100, 40, 100));

    c->setCaptureArea(Rect4{300, 100, 300, 100});  // a click without a drag
    const int captures = desktop.screenCaptures;
    tick();
    EXPECT_TRUE(c->frames().desktopFrame().isNull());
    EXPECT_EQ(desktop.screenCaptures, captures);
}

TEST_F(ControllerTest, PointerOverlayOfAnAreaCaptureIsPlacedInTheAreasCoordinates) {
    setScreen(Black);
    // A 3x3 cursor whose hot spot is its middle pixel, marked white.
    desktop.cursor = solid(QSize(3, 3), Blue);
    desktop.cursor.setPixel(1, 1, White);
    desktop.cursorHotSpot = QPoint(1, 1);
    desktop.pointer = QPoint(320, 150);
    startAreaCapture(Rect4{300, 100, 340, 200});

    c->viewOptions().setShowCursor(true);
    tick();
    const QImage& frame = c->frames().desktopFrame();
    ASSERT_EQ(frame.size(), QSize(40, 100));
    EXPECT_EQ(frame.pixel(20, 50), White);  // the hot spot lies on the pointer
    EXPECT_EQ(frame.pixel(19, 49), Blue);
    EXPECT_EQ(frame.pixel(21, 51), Blue);
    EXPECT_EQ(frame.pixel(18, 48), Black);
    EXPECT_EQ(frame.pixel(22, 52), Black);

    // The red point is centred on the pointer too; the cursor lies over it.
    c->viewOptions().setShowRedPoint(true);
    tick();
    EXPECT_EQ(c->frames().desktopFrame().pixel(20, 50), White);
    EXPECT_EQ(c->frames().desktopFrame().pixel(20, 46), Red);
    EXPECT_EQ(c->frames().desktopFrame().pixel(16, 50), Red);
    EXPECT_EQ(c->frames().desktopFrame().pixel(30, 50), Black);

    // A pointer outside the area leaves the frame clean.
    c->viewOptions().setShowRedPoint(false);
    desktop.pointer = QPoint(100, 100);
    tick();
    EXPECT_EQ(c->frames().desktopFrame().pixel(20, 50), Black);
    EXPECT_EQ(c->frames().desktopFrame().pixel(0, 0), Black);
}

TEST_F(ControllerTest, OutputSharesTheDesktopFrameWithoutACopy) {
    runDesktop();
    setScreen(Red);
    tick();
    const uchar* captured = c->frames().desktopFrame().constBits();
    tick();
    EXPECT_EQ(c->outputFrame().constBits(), captured);
    EXPECT_EQ(views.output.constBits(), captured);
}

TEST_F(ControllerTest, AFailedCaptureKeepsTheFrameAndIsReportedOnce) {
    c->startDesktop();
    setScreen(Red);
    tick();
    const QImage good = c->frames().desktopFrame();
    ASSERT_EQ(good.pixel(0, 0), Red);

    desktop.captureFails = true;
    setScreen(Blue);
    testing::internal::CaptureStderr();
    tick();
    tick();
    tick();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(c->frames().desktopFrame().constBits(), good.constBits());
    EXPECT_EQ(c->frames().desktopFrame().pixel(0, 0), Red);
    const std::string message = "the screen could not be captured";
    const auto first = err.find(message);
    EXPECT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find(message, first + 1), std::string::npos) << err;

    desktop.captureFails = false;  // the capture recovers
    tick();
    EXPECT_EQ(c->frames().desktopFrame().pixel(0, 0), Blue);
    EXPECT_EQ(c->frames().pipeline().counters().failures, 3u);
}

// --- The change tracker ---------------------------------------------------------

class TrackedControllerTest : public ControllerTest {
protected:
    void SetUp() override {
        desktop.screenChangesAvailable = true;
        ControllerTest::SetUp();
        setScreen(Black);
        c->startDesktop();
        tick();  // the first frame is always a full copy
        ASSERT_EQ(desktop.captureRects, QVector<QRect>{QRect(0, 0, 1920, 1080)});
    }
};

TEST_F(TrackedControllerTest, UnchangedDesktopMakesNoNewFrame) {
    const uchar* bits = c->frames().desktopFrame().constBits();
    const auto frames = c->frames().pipeline().counters().frames;
    tick();
    desktop.screenChanges = QRegion(2000, 10, 50, 50);  // on the other monitor only
    tick();
    EXPECT_EQ(desktop.screenCaptures, 1);
    EXPECT_EQ(c->frames().pipeline().counters().frames, frames);
    EXPECT_EQ(c->frames().pipeline().counters().unchanged, 2u);
    EXPECT_EQ(c->frames().desktopFrame().constBits(), bits);
}

TEST_F(TrackedControllerTest, SmallChangeCopiesOnlyItsBoundingRectangle) {
    for (int y = 60; y < 70; ++y)
        for (int x = 50; x < 60; ++x) desktop.screen.setPixel(x, y, Red);
    desktop.screen.setPixel(104, 104, Green);
    desktop.screen.setPixel(700, 700, Blue);  // drawn, but not reported as changed
    desktop.screenChanges = QRegion(50, 60, 10, 10) | QRegion(100, 100, 5, 5);
    tick();
    ASSERT_EQ(desktop.captureRects.size(), 2);
    EXPECT_EQ(desktop.captureRects.last(), QRect(QPoint(50, 60), QPoint(104, 104)));
    const QImage& frame = c->frames().desktopFrame();
    EXPECT_EQ(frame.size(), QSize(1920, 1080));
    EXPECT_EQ(frame.pixel(50, 60), Red);
    EXPECT_EQ(frame.pixel(59, 69), Red);
    EXPECT_EQ(frame.pixel(104, 104), Green);
    EXPECT_EQ(frame.pixel(49, 60), Black);
    EXPECT_EQ(frame.pixel(700, 700), Black);
    EXPECT_EQ(c->frames().pipeline().counters().partial, 1u);
}

TEST_F(TrackedControllerTest, LargeChangeCopiesTheWholeSource) {
    setScreen(Green);
    desktop.screenChanges = QRegion(0, 0, 1920, 600);
    tick();
    EXPECT_EQ(desktop.captureRects.last(), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(c->frames().desktopFrame().pixel(1900, 1070), Green);
}

TEST_F(TrackedControllerTest, MovedPointerRedrawsTheOverlayWithoutACapture) {
    c->viewOptions().setShowRedPoint(true);
    tick();  // a changed request: a full copy with the point drawn
    const int captures = desktop.screenCaptures;
    EXPECT_EQ(c->frames().desktopFrame().pixel(100, 100), Red);

    desktop.pointer = QPoint(400, 300);
    tick();
    EXPECT_EQ(desktop.screenCaptures, captures);
    EXPECT_EQ(c->frames().desktopFrame().pixel(400, 300), Red);
    EXPECT_EQ(c->frames().desktopFrame().pixel(100, 100), Black);  // the old point is gone
}

// --- The window tick ------------------------------------------------------------

TEST_F(ControllerTest, WindowModeShowsTheSameTicksFrame) {
    desktop.windows[7] = {QRect(10, 10, 200, 100), solid(QSize(200, 100), Green)};
    showOutput();
    showPreview();
    c->startWindowSource();
    c->setSelectedWindow(7);
    c->toggleRun();
    ASSERT_TRUE(c->outputRunning());
    tick();
    ASSERT_EQ(views.output.size(), QSize(200, 100));
    EXPECT_EQ(views.output.pixel(0, 0), Green);
    EXPECT_EQ(views.preview.pixel(0, 0), Green);

    // The window closes: frame and output stay as they were.
    desktop.windows.remove(7);
    const int pictures = views.outputPictures;
    tick();
    EXPECT_EQ(views.outputPictures, pictures);
    EXPECT_EQ(views.output.pixel(0, 0), Green);
    EXPECT_EQ(c->outputFrame().size(), QSize(200, 100));
}

TEST_F(ControllerTest, WindowModeWithoutWindowBlanksAndClearsMarks) {
    showOutput();
    c->startWindowSource();
    c->setSelectedWindow(0);
    views.output = solid(QSize(4, 4), Red);
    const int blanks = views.fullBlanks;
    tick();
    EXPECT_EQ(views.windowSourceLost, 1);
    EXPECT_EQ(views.fullBlanks, blanks + 1);
    EXPECT_EQ(views.output.pixel(0, 0), Black);
}

// The server keeps off-screen copies of windows only while a window is
// mirrored: every way out of the window source closes the service.
TEST_F(ControllerTest, WindowServiceClosesWhenNoWindowIsMirrored) {
    desktop.windows[7] = {QRect(10, 10, 200, 100), solid(QSize(200, 100), Green)};
    showOutput();
    const struct {
        const char* name;
        std::function<void()> leave;
    } ways[] = {
        {"StopAll", [&] { c->stopAll(); }},
        {"Clipboard", [&] { c->startClipboard(); }},
        {"Desktop", [&] { c->startDesktop(); }},
        {"MakeSlideshow", [&] { c->makeSlideshow(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        c->startWindowSource();
        c->chooseWindow(7);
        tick();
        EXPECT_EQ(desktop.openWindowServices, 1);
        way.leave();
        EXPECT_EQ(desktop.openWindowServices, 0);
    }
}

// A frame still on its way when the source changes answers the old source:
// it never reaches the views as the new source's first frame.
TEST(ControllerWorkerTest, FrameMadeForThePreviousSourceIsDropped) {
    FakeDesktop desktop;
    desktop.screen = solid(QSize(3200, 1080), Red);
    desktop.windows[7] = {QRect(10, 10, 200, 100), solid(QSize(200, 100), Green)};
    Platform platform = makeFakePlatform(desktop);
    Controller c(platform, FramePipeline::Mode::Worker);
    c.refreshMonitors();
    Views views;
    views.follow(c);
    c.setViewShown(View::Output, true);
    c.setViewShown(View::Preview, true);
    c.startDesktop();
    c.frames().setTimer(handTimers());
    c.frames().tick();
    // The desktop frame is made; it waits to be taken from the event loop.
    QElapsedTimer waited;
    waited.start();
    while (c.frames().pipeline().counters().frames < 1 && waited.elapsed() < 10000) std::this_thread::yield();
    ASSERT_EQ(c.frames().pipeline().counters().frames, 1u);
    c.startWindowSource();
    c.setSelectedWindow(7);
    pumpUntil([] { return false; }, 50);
    EXPECT_EQ(views.previewPictures, 0);
    EXPECT_NE(c.outputFrame().pixel(0, 0), Red);
}

TEST_F(ControllerTest, OtherSourcesCaptureNothing) {
    QTemporaryDir dir;
    const QString show = dir.path() + QStringLiteral("/show.vsl");
    {
        QFile f(show);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("5\r\nOn\r\n/pics/a.jpg\r\n");
    }
    showOutput();
    showPreview();
    c->startDesktop();  // a chosen desktop scope must not leak into the others
    const struct {
        const char* name;
        std::function<void()> choose;
        Source source;
    } cases[] = {
        {"StopAll", [&] { c->stopAll(); }, Source::Stopped},
        {"Clipboard", [&] { c->startClipboard(); }, Source::Clipboard},
        {"OpenSlideshow", [&] { ASSERT_TRUE(c->openSlideshow(show)); }, Source::Slideshow},
        {"MakeSlideshow", [&] { c->makeSlideshow(); }, Source::Slideshow},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        k.choose();
        ASSERT_EQ(c->source(), k.source);
        const int pictures = views.outputPictures, previews = views.previewPictures;
        tick();
        tick();
        EXPECT_EQ(desktop.screenCaptures, 0);
        EXPECT_EQ(views.outputPictures, pictures);
        EXPECT_EQ(views.previewPictures, previews);
    }
}

// --- Blanking and sending -------------------------------------------------------

TEST_F(ControllerTest, ClearOutputBlanksOutputAndPreview) {
    c->setPreviewViewSize(QSize(320, 240));
    views.output = solid(QSize(8, 8), Red);
    views.preview = solid(QSize(8, 8), Red);
    c->clearOutput();
    EXPECT_EQ(views.fullBlanks, 1);
    EXPECT_EQ(views.output.pixel(0, 0), Black);
    EXPECT_TRUE(views.preview.isNull());
    EXPECT_EQ(c->outputFrame().size(), QSize(321, 241));
    EXPECT_EQ(c->outputFrame().pixel(0, 0), Black);
    EXPECT_EQ(c->outputFrame().pixel(320, 240), Black);
    EXPECT_EQ(c->outputSurface(), OutputSurface::Picture);
    EXPECT_TRUE(views.surfaces.isEmpty());
}

TEST_F(ControllerTest, ClearOutputStopsARunningOutputAndTheLightOneDoesNot) {
    runDesktop();
    views.running.clear();
    c->clearOutput();
    EXPECT_FALSE(c->outputRunning());
    EXPECT_EQ(views.running, QVector<bool>{false});  // the Run/Stop button shows "Run" again

    c->toggleRun();
    ASSERT_TRUE(c->outputRunning());
    views.running.clear();
    c->clearOutputLight();
    EXPECT_TRUE(c->outputRunning());
    EXPECT_TRUE(views.running.isEmpty());
    EXPECT_EQ(views.lightBlanks, 1);
}

TEST_F(ControllerTest, SendFrameToOutput) {
    showOutput();
    c->startDesktop();
    setScreen(Blue);
    tick();
    tick();  // the output frame is now blue
    ASSERT_EQ(c->outputFrame().pixel(0, 0), Blue);

    c->sendFrameToOutput();
    EXPECT_EQ(views.output.pixel(0, 0), Blue);
    EXPECT_EQ(c->outputSurface(), OutputSurface::Picture);

    c->stopAll();  // stopped: the output is blanked instead
    views.output = solid(QSize(4, 4), Blue);
    c->sendFrameToOutput();
    EXPECT_EQ(views.output.pixel(0, 0), Black);

    showOutput(false);  // hidden: nothing happens
    c->startDesktop();
    views.output = solid(QSize(4, 4), Red);
    const int pictures = views.outputPictures, blanks = views.fullBlanks;
    c->sendFrameToOutput();
    EXPECT_EQ(views.outputPictures, pictures);
    EXPECT_EQ(views.fullBlanks, blanks);
    EXPECT_EQ(views.output.pixel(0, 0), Red);
}

TEST_F(ControllerTest, StopAllStopsTheSourceAndTheRunningOutput) {
    runDesktop();
    views.running.clear();
    c->stopAll();
    EXPECT_EQ(c->source(), Source::Stopped);
    EXPECT_EQ(c->sourceChoice(), SourceChoice::None);
    EXPECT_FALSE(c->outputRunning());
    ASSERT_FALSE(views.running.isEmpty());
    EXPECT_FALSE(views.running.last());
}

TEST_F(ControllerTest, RunStopWithoutSourceOrHiddenOutputDoesNotRun) {
    showOutput();
    c->toggleRun();  // no source
    EXPECT_FALSE(c->outputRunning());

    c->startDesktop();
    showOutput(false);
    c->toggleRun();  // no output window
    EXPECT_FALSE(c->outputRunning());

    showOutput();
    c->toggleRun();
    EXPECT_TRUE(c->outputRunning());
    c->toggleRun();
    EXPECT_FALSE(c->outputRunning());
}

// --- Update rate ----------------------------------------------------------------

TEST_F(ControllerTest, UpdateRateSetsIntervalAndRaisesMaximum) {
    struct Case {
        int rate;
        int interval;
        int max;
    };
    ASSERT_EQ(c->viewOptions().maxUpdateRate(), 5);
    const Case cases[] = {{10, 100, 10}, {3, 333, 10},    {4, 250, 10},    {7, 142, 10},
                          {1, 1000, 10}, {1000, 1, 1000}, {0, 1000, 1000}, {5000, 1, 1000}};
    for (const Case& k : cases) {
        c->viewOptions().setUpdateRate(k.rate);
        EXPECT_EQ(c->frames().interval(), k.interval) << k.rate;
        EXPECT_EQ(c->viewOptions().maxUpdateRate(), k.max) << k.rate;
    }
}

// --- Clipboard source -------------------------------------------------------------

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

std::unique_ptr<QMimeData> clipboardWith(const QString& type, const QByteArray& bytes) {
    auto data = std::make_unique<QMimeData>();
    data->setData(type, bytes);
    return data;
}

// A PNG that declares `size` and carries almost nothing: what a decompression
// bomb looks like before it is unpacked.
QByteArray pngDeclaring(QSize size) {
    QByteArray png = encoded(solid(QSize(1, 1), Red), "PNG");
    // IHDR's width and height follow the 8-byte signature, length and type.
    auto put = [&png](int at, quint32 v) {
        for (int i = 0; i < 4; ++i) png[at + i] = char(v >> (24 - 8 * i));
    };
    put(16, quint32(size.width()));
    put(20, quint32(size.height()));
    // The chunk's checksum over type and data.
    quint32 crc = 0xffffffffu;
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(png[i]);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    put(29, ~crc);
    return png;
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(ControllerTest, ClipboardPictureGoesToTheOutputOnlyWhileTheSourceIsClipboard) {
    const QImage picture = solid(QSize(64, 48), Green);
    const struct {
        const char* what;
        bool clipboardSource, running, previewShown;
        QString type;
        QByteArray bytes;
        bool taken;          // the picture became the frame
        int outputPictures;  // handed to the output
        int previewPictures;
    } cases[] = {
        {"picture while running", true, true, true, "image/png", encoded(picture, "PNG"), true, 1, 1},
        {"picture while stopped", true, false, true, "image/png", encoded(picture, "PNG"), true, 0, 1},
        {"picture, preview hidden", true, true, false, "image/bmp", encoded(picture, "BMP"), true, 1, 0},
        {"text", true, true, true, "text/plain", QByteArray("hello"), false, 0, 0},
        {"picture while another source", false, true, true, "image/png", encoded(picture, "PNG"), false, 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        views = Views();  // its connections stay
        showOutput();
        showPreview(k.previewShown);
        if (k.clipboardSource)
            c->startClipboard();
        else
            c->startDesktop();
        if (k.running) c->toggleRun();
        ASSERT_EQ(c->outputRunning(), k.running);
        const int lightBefore = views.lightBlanks;
        const QImage frameBefore = c->outputFrame();
        const auto data = clipboardWith(k.type, k.bytes);
        c->clipboardChanged(data.get());
        if (k.taken) {
            EXPECT_EQ(views.lightBlanks, lightBefore + 1);
            EXPECT_EQ(c->outputFrame().size(), picture.size());
            EXPECT_EQ(c->outputFrame().pixel(3, 3), Green);
        } else {
            EXPECT_EQ(views.lightBlanks, lightBefore);
            EXPECT_EQ(c->outputFrame(), frameBefore);
        }
        EXPECT_EQ(views.outputPictures, k.outputPictures);
        EXPECT_EQ(views.previewPictures, k.previewPictures);
        if (k.outputPictures) {
            EXPECT_EQ(views.output.pixel(3, 3), Green);
        }
        if (k.previewPictures) {
            EXPECT_EQ(views.preview.pixel(3, 3), Green);
        }
        EXPECT_TRUE(desktop.asked.isEmpty());
        c->stopAll();
    }
}

TEST_F(ControllerTest, ClipboardChangesReachTheControllerFromTheSystemClipboard) {
    showOutput();
    c->startClipboard();
    c->toggleRun();
    QGuiApplication::clipboard()->setImage(solid(QSize(30, 20), Blue));
    ASSERT_TRUE(pumpUntil([&] { return views.outputPictures > 0; }, 2000));
    EXPECT_EQ(views.output.pixel(1, 1), Blue);
    QGuiApplication::clipboard()->setText(QStringLiteral("not a picture"));
    pumpUntil([] { return false; }, 50);
    EXPECT_EQ(views.outputPictures, 1);
}

TEST_F(ControllerTest, TooLargeOrBrokenClipboardPictureIsRefusedWithOneMessage) {
    showOutput();
    c->startClipboard();
    c->toggleRun();
    auto good = clipboardWith("image/png", encoded(solid(QSize(16, 16), Red), "PNG"));
    c->clipboardChanged(good.get());
    ASSERT_EQ(views.output.pixel(1, 1), Red);
    const long peakBefore = peakResidentKiB();
    const struct {
        const char* what;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"40000 x 40000", pngDeclaring(QSize(40000, 40000)), "too large"},
        {"one pixel over", pngDeclaring(QSize(8193, 4096)), "too large"},
        {"a side over", pngDeclaring(QSize(32768, 1)), "too large"},
        {"garbage", QByteArray("\x89PNG\r\n\x1a\n garbage", 16), "cannot be read"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        desktop.asked.clear();
        const int blanks = views.lightBlanks, pictures = views.outputPictures;
        auto data = clipboardWith("image/png", k.bytes);
        c->clipboardChanged(data.get());
        ASSERT_EQ(desktop.asked.size(), 1);
        EXPECT_TRUE(desktop.asked.first().contains(QLatin1String(k.says))) << qPrintable(desktop.asked.first());
        // The output keeps its picture.
        EXPECT_EQ(views.lightBlanks, blanks);
        EXPECT_EQ(views.outputPictures, pictures);
        EXPECT_EQ(views.output.pixel(1, 1), Red);
        EXPECT_EQ(c->outputFrame().pixel(1, 1), Red);
    }
    // Nothing near the declared sizes was ever allocated (6.4 GB for the first).
    EXPECT_LT(peakResidentKiB() - peakBefore, 64 * 1024);
    EXPECT_TRUE(clipboardPictureSizeAllowed(QSize(7680, 4320)));
    EXPECT_TRUE(clipboardPictureSizeAllowed(QSize(8192, 4096)));
    EXPECT_FALSE(clipboardPictureSizeAllowed(QSize(8192, 4097)));
    EXPECT_FALSE(clipboardPictureSizeAllowed(QSize(0, 10)));
}

}  // namespace
}  // namespace vz::test
