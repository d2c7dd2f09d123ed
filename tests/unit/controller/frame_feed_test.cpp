// The mirror's frames without a controller: a FrameFeed on the fake
// platform's screen (frames made inline), told what to capture by a plain
// order the test changes, its ticks by hand.

#include "core/controller/frame_feed.h"
#include "hand_timer.h"
#include "platform/fake/fake_platform.h"
#include "test_pictures.h"

#include <QVector>
#include <gtest/gtest.h>

#include <memory>

namespace vz::test {
namespace {

// The first pixel of a picture handed on.
QRgb first(const QImage& p) { return p.isNull() ? 0 : p.pixel(0, 0); }

const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Green = qRgb(0, 255, 0);

class FrameFeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.screen = solidPicture(QSize(3200, 1080), Red);
        desktop.screenChangesAvailable = true;
        desktop.windows[7] = {QRect(10, 10, 200, 100), solidPicture(QSize(200, 100), Green)};
        platform = makeFakePlatform(desktop);
        FrameSources sources;
        sources.screen = platform.screen.get();
        sources.pointer = platform.pointer.get();
        sources.windows = platform.windows.get();
        sources.changes = platform.screenChanges.get();
        feed = std::make_unique<FrameFeed>(sources, FramePipeline::Mode::Inline, [this] { return order; });
        feed->setTimer(handTimers(&timer));
        QObject::connect(feed.get(), &FrameFeed::previewFrame, [this](const QImage& p) { preview << first(p); });
        QObject::connect(feed.get(), &FrameFeed::outputCurrent, [this](const QImage& p) { current = p; });
        QObject::connect(feed.get(), &FrameFeed::outputPicture, [this](const QImage& p) { output << first(p); });
        QObject::connect(feed.get(), &FrameFeed::outputScaled,
                         [this](const CapturedFrame& f) { scaled << f.layout.view; });
        QObject::connect(feed.get(), &FrameFeed::windowFrame, [this](const QImage& p) { windows << first(p); });
        QObject::connect(feed.get(), &FrameFeed::windowLost, [this] { ++lost; });
    }

    // The screen turns `colour`, and says what changed.
    void paint(QRgb colour) {
        desktop.screen = solidPicture(QSize(3200, 1080), colour);
        desktop.screenChanges = QRegion(0, 0, 3200, 1080);
    }
    // The whole primary monitor, to a shown and running output and preview.
    void mirrorDesktop() {
        order.kind = FeedOrder::Kind::Desktop;
        order.desktop = QRect(0, 0, 1920, 1080);
        order.outputShown = order.previewShown = order.running = true;
    }

    FakeDesktop desktop;
    Platform platform;
    FeedOrder order;
    std::unique_ptr<FrameFeed> feed;
    HandTimer* timer = nullptr;
    QVector<QRgb> preview, output, windows;  // first() of each picture handed on
    QVector<QSize> scaled;                   // the view each scaled frame was made for
    QImage current;
    int lost = 0;
};

TEST_F(FrameFeedTest, TicksRunAtTheRatesIntervalAndANewTimerTakesOver) {
    EXPECT_FALSE(feed->ticking());
    EXPECT_EQ(feed->interval(), 200);
    feed->setRate(8);  // not ticking: remembered only
    EXPECT_FALSE(timer->active);
    feed->restart();
    EXPECT_TRUE(timer->active);
    EXPECT_EQ(timer->interval, 125);
    feed->setRate(1000);  // ticking: started again at once
    EXPECT_EQ(timer->interval, 1);
    HandTimer* first = timer;
    feed->setTimer(handTimers(&timer));
    EXPECT_NE(timer, first);
    EXPECT_TRUE(timer->active);
    EXPECT_EQ(timer->interval, 1);
    timer->onTick();                       // the timer's tick is the feed's
    EXPECT_EQ(desktop.screenCaptures, 0);  // nothing ordered
    feed->stop();
    EXPECT_FALSE(timer->active);
    EXPECT_FALSE(feed->ticking());

    struct Case {
        int rate, interval;
    };
    for (const Case k : {Case{1, 1000}, Case{0, 1000}, Case{-5, 1000}, Case{3, 333}, Case{30, 33}, Case{1000, 1}})
        EXPECT_EQ(captureIntervalForRate(k.rate), k.interval) << k.rate;
}

TEST_F(FrameFeedTest, DesktopFramesGoOutOneTickLateAndOnlyOnce) {
    mirrorDesktop();
    feed->tick();  // the first capture: nothing finished yet
    EXPECT_TRUE(preview.isEmpty());
    EXPECT_TRUE(output.isEmpty());
    EXPECT_EQ(desktop.captureRects.last(), QRect(0, 0, 1920, 1080));
    EXPECT_EQ(feed->desktopFrame().pixel(0, 0), Red);

    paint(Blue);
    feed->tick();
    EXPECT_EQ(preview, QVector<QRgb>{Red});
    EXPECT_EQ(output, QVector<QRgb>{Red});
    EXPECT_EQ(current.pixel(0, 0), Red);
    EXPECT_EQ(feed->desktopFrame().pixel(0, 0), Blue);

    // Each view is handed a frame once (the screen does not change now); told its picture changed elsewhere,
    // it gets the current one again.
    feed->tick();
    feed->tick();
    EXPECT_EQ(output, (QVector<QRgb>{Red, Blue}));
    EXPECT_EQ(preview, (QVector<QRgb>{Red, Blue}));
    feed->forgetOutputShown();
    feed->tick();
    EXPECT_EQ(output, (QVector<QRgb>{Red, Blue, Blue}));
    EXPECT_EQ(preview.size(), 2);
    feed->forgetPreviewShown();
    feed->tick();
    EXPECT_EQ(preview.size(), 3);

    // A stopped output holds the newest frame but is not shown it; a hidden
    // one is not even handed it.
    order.running = false;
    paint(Green);
    feed->tick();
    feed->tick();
    EXPECT_EQ(output.size(), 3);
    EXPECT_EQ(current.pixel(0, 0), Green);
    order.outputShown = false;
    current = QImage();
    feed->tick();
    EXPECT_TRUE(current.isNull());

    // A forgotten frame is not handed on: the tick after has none, the next
    // one the frame captured since.
    order.outputShown = order.running = true;
    feed->forget();
    EXPECT_TRUE(feed->desktopFrame().isNull());
    paint(Red);
    feed->tick();
    EXPECT_TRUE(current.isNull());
    feed->tick();
    EXPECT_EQ(output.last(), Red);
    EXPECT_EQ(preview.last(), Red);
}

TEST_F(FrameFeedTest, TheOutputGetsTheScaledFrameOnlyForItsLayout) {
    mirrorDesktop();
    order.outputLayout.view = QSize(1280, 1024);
    feed->tick();
    feed->tick();
    ASSERT_EQ(scaled.size(), 1);
    EXPECT_EQ(scaled[0], QSize(1280, 1024));
    EXPECT_TRUE(output.isEmpty());

    // The layout changed after the frame was made: the picture goes as it is.
    order.outputLayout.view = QSize(800, 600);
    feed->forgetOutputShown();
    feed->tick();
    EXPECT_EQ(scaled.size(), 1);
    EXPECT_EQ(output.size(), 1);

    // No rectangle yet (the part of the desktop is being chosen): nothing is
    // asked of the screen.
    const int captures = desktop.screenCaptures;
    order.desktop.reset();
    feed->tick();
    EXPECT_EQ(desktop.screenCaptures, captures);
}

TEST_F(FrameFeedTest, AWindowsFrameGoesOutWhenMadeAndNoWindowIsSaid) {
    order.kind = FeedOrder::Kind::Window;
    order.window = 7;
    order.previewShown = true;
    feed->tick();
    EXPECT_EQ(windows, QVector<QRgb>{Green});
    EXPECT_EQ(preview, QVector<QRgb>{Green});
    order.previewShown = false;
    feed->tick();
    EXPECT_EQ(windows.size(), 2);
    EXPECT_EQ(preview.size(), 1);
    EXPECT_EQ(lost, 0);

    order.window = 0;
    feed->tick();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(windows.size(), 2);

    // Other sources capture nothing.
    order.kind = FeedOrder::Kind::Nothing;
    order.window = 7;
    feed->tick();
    EXPECT_EQ(windows.size(), 2);
    EXPECT_EQ(desktop.screenCaptures, 0);
}

}  // namespace
}  // namespace vz::test
