// The engine's own frame thread: frames arrive, progress and completion
// reach the owning thread through its event loop, stop joins the thread.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "core/threading/clock.h"
#include "core/transitions/transition_engine.h"

using namespace vz::transitions;

namespace {

QImage filled(int w, int h, QRgb color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

template <class Done>
bool spinUntil(Done done, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

TEST(TransitionThread, RunsToTheEndAndReportsOnTheOwningThread) {
    TransitionEngine engine;
    engine.setDelay(2);
    engine.setStep(10);
    engine.setStyle(119);
    std::vector<int> progress;
    std::vector<std::string> events;
    int framesReady = 0;
    const Qt::HANDLE owner = QThread::currentThreadId();
    bool allOnOwner = true;
    QObject receiver;
    QObject::connect(&engine, &TransitionEngine::progressChanged, &receiver, [&](int p) {
        allOnOwner &= QThread::currentThreadId() == owner;
        progress.push_back(p);
    });
    QObject::connect(&engine, &TransitionEngine::frameReady, &receiver, [&] {
        ++framesReady;
        engine.currentFrame();
    });
    QObject::connect(&engine, &TransitionEngine::completed, &receiver, [&] { events.push_back("completed"); });
    QObject::connect(&engine, &TransitionEngine::stopped, &receiver, [&] {
        allOnOwner &= QThread::currentThreadId() == owner;
        events.push_back("stopped");
    });
    const QImage picture = filled(64, 48, 0xff00ff00u);
    engine.setPicture(picture);
    ASSERT_TRUE(engine.execute());
    ASSERT_TRUE(spinUntil([&] { return !engine.busy(); }));
    spinUntil([&] { return progress.size() == 10; }, 1000);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_TRUE(allOnOwner);
    EXPECT_GT(framesReady, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"completed", "stopped"}));
    EXPECT_EQ(engine.currentFrame(), picture);
}

TEST(TransitionThread, StopDuringFramesJoinsAndDoesNotComplete) {
    TransitionEngine engine;
    engine.setDelay(1);
    engine.setStep(1);
    engine.setStyle(169);
    std::atomic<int> composed{0};
    engine.setAfterNewFrame([&](const QImage&, QImage&) { ++composed; });
    int completed = 0, stopped = 0;
    QObject::connect(&engine, &TransitionEngine::completed, [&] { ++completed; });
    QObject::connect(&engine, &TransitionEngine::stopped, [&] { ++stopped; });
    engine.setPicture(filled(320, 240, 0xffffffffu));
    engine.execute();
    ASSERT_TRUE(spinUntil([&] { return composed.load() >= 3; }));
    engine.stop();
    EXPECT_FALSE(engine.busy());
    const int reached = engine.progress();
    EXPECT_GT(reached, 0);
    EXPECT_LT(reached, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(stopped, 1);
    // A new transition runs normally afterwards, from the frame reached.
    engine.setDelay(0);
    engine.setStep(50);
    engine.execute();
    ASSERT_TRUE(spinUntil([&] { return !engine.busy(); }));
    EXPECT_EQ(completed, 1);
}

TEST(TransitionThread, StyleChangesWhileRunningAndDestroyingMidwayIsSafe) {
    auto engine = std::make_unique<TransitionEngine>();
    engine->setDelay(1);
    engine->setStep(1);
    engine->setPicture(filled(200, 100, 0xff0000ffu));
    engine->execute();
    for (int style = 1; style <= 40; ++style) {
        engine->setStyle(style);
        (void)engine->currentFrame();
    }
    engine.reset();  // joins the running thread without announcing anything
    QCoreApplication::processEvents();
}

// The frame thread on a clock the test moves: each frame starts at its own
// deadline, one delay after the last, and the frames stop at 100.
TEST(TransitionThread, PacesFramesOnTheInjectedClock) {
    vz::ManualClock clock;
    TransitionEngine engine(nullptr, &clock);
    engine.setDelay(80);
    engine.setStep(4);
    std::vector<SteadyTime> deadlines, starts;
    engine.setFrameStartObserver([&](SteadyTime deadline, SteadyTime started) {
        deadlines.push_back(deadline);
        starts.push_back(started);
    });
    int completed = 0;
    std::vector<int> progress;
    QObject::connect(&engine, &TransitionEngine::completed, [&] { ++completed; });
    QObject::connect(&engine, &TransitionEngine::progressChanged, [&](int p) { progress.push_back(p); });
    engine.setPicture(filled(64, 48, 0xff00ff00u));
    ASSERT_TRUE(engine.execute());
    clock.waitForSleepers(1);
    clock.settle();
    EXPECT_TRUE(deadlines.empty());  // nothing before the first deadline
    for (int frame = 0; frame < 25; ++frame) {
        clock.advance(std::chrono::milliseconds(79));
        clock.settle();
        EXPECT_EQ(deadlines.size(), size_t(frame));  // not a moment early
        clock.advance(std::chrono::milliseconds(1));
        clock.settle();
    }
    ASSERT_EQ(deadlines.size(), 25u);
    for (size_t i = 0; i < deadlines.size(); ++i) {
        EXPECT_EQ(deadlines[i], SteadyTime(std::chrono::milliseconds(80 * (i + 1))));
        EXPECT_EQ(starts[i], deadlines[i]);
    }
    ASSERT_TRUE(spinUntil([&] { return completed == 1; }));
    EXPECT_FALSE(engine.busy());
    EXPECT_EQ(engine.progress(), 100);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
}

// A late frame thread skips the deadlines it missed instead of running them
// back to back.
TEST(TransitionThread, LateFramesSkipMissedDeadlines) {
    vz::ManualClock clock;
    TransitionEngine engine(nullptr, &clock);
    engine.setDelay(80);
    engine.setStep(10);
    std::vector<SteadyTime> deadlines;
    engine.setFrameStartObserver([&](SteadyTime deadline, SteadyTime) { deadlines.push_back(deadline); });
    engine.setPicture(filled(64, 48, 0xff00ff00u));
    ASSERT_TRUE(engine.execute());
    clock.waitForSleepers(1);
    clock.advance(std::chrono::milliseconds(250));  // three deadlines have passed
    clock.settle();
    ASSERT_EQ(deadlines.size(), 1u);
    clock.advance(std::chrono::milliseconds(69));  // 319: the next one is 320
    clock.settle();
    EXPECT_EQ(deadlines.size(), 1u);
    clock.advance(std::chrono::milliseconds(1));
    clock.settle();
    ASSERT_EQ(deadlines.size(), 2u);
    EXPECT_EQ(deadlines[1], SteadyTime(std::chrono::milliseconds(320)));
    engine.stop();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
