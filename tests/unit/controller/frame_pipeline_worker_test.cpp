// The frame pipeline on its worker thread: finished frames reach the
// user-interface thread through its event loop, and a frame nobody took is
// replaced by the next one, never queued.
//
// The fake platform is not thread-safe: the test writes the FakeDesktop only
// while the worker is idle, that is after the pipeline has counted the frame
// (its mutex orders the worker's reads before the test's next write).

#include "core/capture/frame_pipeline.h"
#include "platform/fake/fake_platform.h"
#include "pump_events.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

namespace vz::test {
namespace {

class WorkerPipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.screen = QImage(QSize(3200, 1080), QImage::Format_RGB32);
        desktop.screen.fill(qRgb(255, 0, 0));
        platform = makeFakePlatform(desktop);
        FrameSources sources;
        sources.screen = platform.screen.get();
        sources.pointer = platform.capturePointer.get();
        sources.windows = platform.windows.get();
        sources.changes = platform.screenChanges.get();
        pipeline = std::make_unique<FramePipeline>(sources, FramePipeline::Mode::Worker);
        QObject::connect(pipeline.get(), &FramePipeline::frameReady, &receiver, [this] {
            ++readySignals;
            readyOnMainThread = readyOnMainThread && QThread::currentThread() == receiver.thread();
        });
    }
    void TearDown() override { pipeline.reset(); }

    void request(QRect source) {
        CaptureRequest r;
        r.source = source;
        pipeline->request(r);
    }
    // Waits, without running the event loop, until `n` frames were made.
    bool waitForFrames(std::uint64_t n) {
        QElapsedTimer clock;
        clock.start();
        while (pipeline->counters().frames < n) {
            if (clock.elapsed() > 10000) return false;
            std::this_thread::yield();
        }
        return true;
    }

    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<FramePipeline> pipeline;
    QObject receiver;  // lives on the test's (user-interface) thread
    int readySignals = 0;
    bool readyOnMainThread = true;
};

TEST_F(WorkerPipelineTest, FrameArrivesThroughTheEventLoop) {
    request(QRect(0, 0, 1920, 1080));
    ASSERT_TRUE(pumpUntil([&] { return readySignals > 0; }));
    EXPECT_TRUE(readyOnMainThread);
    CapturedFrame frame;
    ASSERT_TRUE(pipeline->take(frame));
    EXPECT_EQ(frame.serial, 1u);
    ASSERT_EQ(frame.picture.size(), QSize(1920, 1080));
    EXPECT_EQ(frame.picture.pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_FALSE(pipeline->take(frame));  // taken once only
    EXPECT_EQ(desktop.captureRects, QVector<QRect>{QRect(0, 0, 1920, 1080)});
}

TEST_F(WorkerPipelineTest, FrameNotTakenIsReplacedAndCountedAsDropped) {
    request(QRect(0, 0, 1920, 1080));
    ASSERT_TRUE(waitForFrames(1));
    desktop.screen.fill(qRgb(0, 0, 255));  // the worker is idle until the next request
    request(QRect(0, 0, 1920, 1080));
    ASSERT_TRUE(waitForFrames(2));

    const FramePipeline::Counters counts = pipeline->counters();
    EXPECT_EQ(counts.frames, 2u);
    EXPECT_EQ(counts.dropped, 1u);

    // One signal for the waiting frame, however often it was replaced.
    QCoreApplication::processEvents();
    EXPECT_EQ(readySignals, 1);
    CapturedFrame frame;
    ASSERT_TRUE(pipeline->take(frame));
    EXPECT_EQ(frame.serial, 2u);
    EXPECT_EQ(frame.picture.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_FALSE(pipeline->take(frame));

    // Once taken, the next frame is announced again.
    request(QRect(0, 0, 100, 100));
    ASSERT_TRUE(pumpUntil([&] { return readySignals == 2; }));
    ASSERT_TRUE(pipeline->take(frame));
    EXPECT_EQ(frame.serial, 3u);
    EXPECT_EQ(frame.picture.size(), QSize(100, 100));
    EXPECT_EQ(pipeline->counters().dropped, 1u);
}

}  // namespace
}  // namespace vz::test
