#include <gtest/gtest.h>

#include <QPainter>
#include <vector>

#include "core/transitions/transition_engine.h"
#include "transition_test_pictures.h"

using namespace vz::transitions;
using namespace vz::transitions::testing;
using namespace std::chrono_literals;

namespace {

// An engine driven step by step from the test (no thread, no timer).
struct SteppedEngine {
    TransitionEngine engine;
    std::vector<std::string> events;
    SteppedEngine() {
        engine.setThreaded(false);
        engine.setExternalPacing(true);  // the test calls advance() itself
        QObject::connect(&engine, &TransitionEngine::started, [this] { events.push_back("started"); });
        QObject::connect(&engine, &TransitionEngine::completed, [this] { events.push_back("completed"); });
        QObject::connect(&engine, &TransitionEngine::stopped, [this] { events.push_back("stopped"); });
    }
    // Runs a whole transition the way the timer does; returns the frames.
    int run(const QImage& picture) {
        engine.setPicture(picture);
        engine.execute();
        int frames = 0;
        while (engine.busy() && frames < 1000) {
            engine.advance();
            ++frames;
        }
        return frames;
    }
};

QImage filled(int w, int h, QRgb color) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

TEST(TransitionEngine, DefaultsAndRanges) {
    TransitionEngine e;
    EXPECT_EQ(e.style(), 51);
    EXPECT_EQ(e.step(), 4);
    EXPECT_EQ(e.delay(), 40);
    EXPECT_TRUE(e.threaded());
    EXPECT_TRUE(e.overDraw());
    EXPECT_FALSE(e.exactTiming() || e.manual() || e.reverse() || e.center() || e.stretch() || e.proportional());
    EXPECT_EQ(e.backgroundMode(), BackgroundMode::Tiled);
    EXPECT_EQ(e.frameWidth(), 0);
    EXPECT_TRUE(e.currentFrame().isNull());

    e.setStyle(177);
    EXPECT_EQ(e.style(), 51);
    e.setStyle(-1);
    EXPECT_EQ(e.style(), 51);
    e.setStyle(176);
    EXPECT_EQ(e.style(), 176);
    e.setStyleName("Expand from bottom");
    EXPECT_EQ(e.style(), 18);
    e.setStyleName("no such style");
    EXPECT_EQ(e.style(), 18);
    e.setStyleName("CUSTOM");
    EXPECT_EQ(e.style(), 0);
    EXPECT_EQ(e.styleName(), "Custom");
    e.setStep(0);
    EXPECT_EQ(e.step(), 1);
    e.setStep(250);
    EXPECT_EQ(e.step(), 100);
    e.setDelay(70000);
    EXPECT_EQ(e.delay(), 65535);
}

TEST(TransitionEngine, StepRule) {
    // Step 4 from 0 takes 25 frames; the last step is cut at 100 (or 0).
    const struct {
        int progress, step;
        bool reverse;
        int next;
    } cases[] = {{0, 4, false, 4},   {96, 4, false, 100}, {97, 4, false, 100}, {95, 4, false, 99},
                 {100, 4, true, 96}, {4, 4, true, 0},     {5, 4, true, 1},     {3, 4, true, 0}};
    for (const auto& c : cases) EXPECT_EQ(nextProgress(c.progress, c.step, c.reverse), c.next) << c.progress;
}

TEST(TransitionEngine, DeadlinesSkipWhatIsAlreadyLate) {
    const SteadyTime t0{};
    const struct { int nowMs, expectedMs; } cases[] = {{10, 80}, {79, 80}, {80, 160}, {100, 160}, {250, 320}};
    for (const auto& c : cases)
        EXPECT_EQ(nextDeadline(t0, 80ms, t0 + std::chrono::milliseconds(c.nowMs)),
                  t0 + std::chrono::milliseconds(c.expectedMs))
            << c.nowMs;
}

TEST(TransitionEngine, ScreenRectPlacesThePicture) {
    const struct {
        QSize client, picture;
        int frame;
        bool proportional, stretch, center;
        QRect expected;
    } cases[] = {
        // smaller than the window: own size in the middle
        {{800, 600}, {200, 100}, 0, true, false, true, {300, 250, 200, 100}},
        // larger: shrunk to fit, keeping the aspect ratio
        {{800, 600}, {1600, 800}, 0, true, false, true, {0, 100, 800, 400}},
        {{800, 600}, {600, 1200}, 0, true, false, true, {250, 0, 300, 600}},
        // stretched without proportions: the whole client area less the frame
        {{800, 600}, {100, 100}, 5, false, true, false, {5, 5, 790, 590}},
        // neither: own size at the frame's corner
        {{800, 600}, {100, 100}, 3, false, false, false, {3, 3, 100, 100}},
        // proportional stretch of a small picture
        {{800, 600}, {100, 100}, 0, true, true, true, {100, 0, 600, 600}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(screenRectFor(c.client, c.picture, c.frame, c.proportional, c.stretch, c.center), c.expected)
            << c.expected.x() << "," << c.expected.y();
}

TEST(TransitionEngine, RunsStepFramesAndCompletesWithTheNewPicture) {
    SteppedEngine s;
    s.engine.setDelay(80);
    const QImage picture = taggedPicture(40, 30, true);
    EXPECT_EQ(s.run(picture), 25);
    EXPECT_FALSE(s.engine.busy());
    EXPECT_EQ(s.engine.progress(), 100);
    EXPECT_EQ(s.engine.currentFrame(), picture);
    EXPECT_EQ(s.events, (std::vector<std::string>{"started", "completed", "stopped"}));
}

TEST(TransitionEngine, EqualSizesStartFromThePreviousPictureOtherSizesFromTheBackground) {
    SteppedEngine s;
    s.engine.setColor(QColor(0, 0, 255));
    s.run(filled(40, 30, 0xffff0000u));
    s.engine.setPicture(filled(40, 30, 0xff00ff00u));
    s.engine.execute();
    EXPECT_EQ(s.engine.currentFrame().pixel(5, 5), 0xffff0000u);
    s.engine.stop();

    s.engine.setPicture(filled(20, 30, 0xff00ff00u));
    s.engine.execute();
    EXPECT_EQ(s.engine.currentFrame().pixel(5, 5), 0xff0000ffu);
    s.engine.stop();

    s.engine.setOverDraw(false);  // even equal sizes start from the background
    s.engine.setPicture(filled(20, 30, 0xffffffffu));
    s.engine.execute();
    EXPECT_EQ(s.engine.currentFrame().pixel(5, 5), 0xff0000ffu);
}

TEST(TransitionEngine, ExecuteDuringATransitionIsIgnored) {
    SteppedEngine s;
    const QImage first = filled(40, 30, 0xffff0000u), second = filled(40, 30, 0xff00ff00u);
    s.engine.setPicture(first);
    s.engine.execute();
    s.engine.advance();
    s.engine.setPicture(second);
    EXPECT_TRUE(s.engine.execute());
    while (s.engine.busy()) s.engine.advance();
    EXPECT_EQ(s.engine.currentFrame(), first);
    EXPECT_EQ(std::count(s.events.begin(), s.events.end(), "started"), 1);
}

TEST(TransitionEngine, CustomStyleWithoutHandlerKeepsTheOldPictureUntilTheLastFrame) {
    SteppedEngine s;
    s.engine.setStyle(0);
    const QImage oldPicture = filled(40, 30, 0xffff0000u), newPicture = filled(40, 30, 0xff00ff00u);
    s.run(oldPicture);
    s.engine.setPicture(newPicture);
    s.engine.execute();
    for (int p : {1, 50, 99}) {
        s.engine.setProgress(p);
        EXPECT_EQ(s.engine.currentFrame(), oldPicture) << p;
    }
    s.engine.setProgress(100);
    EXPECT_EQ(s.engine.currentFrame(), newPicture);

    // With a handler, it draws each frame.
    s.engine.stop();
    s.engine.setCustomDraw([](const QImage& picture, QImage& frame) {
        QPainter(&frame).drawImage(QRect(0, 0, 10, 10), picture, QRect(0, 0, 10, 10));
    });
    s.engine.setPicture(oldPicture);
    s.engine.execute();
    s.engine.setProgress(30);
    EXPECT_EQ(s.engine.currentFrame().pixel(5, 5), 0xffff0000u);
    EXPECT_EQ(s.engine.currentFrame().pixel(20, 20), 0xff00ff00u);
}

TEST(TransitionEngine, FrameHooksRunInOrderAroundTheEffect) {
    SteppedEngine s;
    std::vector<std::string> order;
    s.engine.setBeforeNewFrame([&](const QImage&, QImage&) { order.push_back("before"); });
    s.engine.setStyle(0);
    s.engine.setCustomDraw([&](const QImage&, QImage&) { order.push_back("custom"); });
    s.engine.setAfterNewFrame([&](const QImage&, QImage&) { order.push_back("after"); });
    s.engine.setPicture(filled(8, 8, 0xff000000u));
    s.engine.execute();
    s.engine.setProgress(50);
    s.engine.setProgress(100);
    EXPECT_EQ(order, (std::vector<std::string>{"before", "custom", "after", "before", "after"}));
}

TEST(TransitionEngine, ReverseRunsFromTheNewPictureBackToTheOld) {
    SteppedEngine s;
    s.engine.setStep(10);
    const QImage oldPicture = filled(40, 30, 0xffff0000u);
    s.run(oldPicture);
    s.engine.setReverse(true);
    s.engine.setPicture(filled(40, 30, 0xff00ff00u));
    s.engine.execute();
    EXPECT_EQ(s.engine.progress(), 100);
    int frames = 0;
    while (s.engine.busy()) {
        s.engine.advance();
        ++frames;
    }
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(s.engine.progress(), 0);
    EXPECT_EQ(s.engine.currentFrame(), oldPicture);
}

TEST(TransitionEngine, ExactTimingScalesTheStepByTheElapsedTime) {
    SteppedEngine s;
    vz::ManualClock clock;
    s.engine.setClock(clock);
    s.engine.setExactTiming(true);
    s.engine.setDelay(80);
    s.engine.setPicture(filled(40, 30, 0xff00ff00u));
    s.engine.execute();    // notes the tick
    clock.advance(160ms);  // two periods: a double step
    s.engine.advance();
    EXPECT_EQ(s.engine.progress(), 8);
    clock.advance(40ms);  // half a period: half a step
    s.engine.advance();
    EXPECT_EQ(s.engine.progress(), 10);
}

TEST(TransitionEngine, StopEndsAtTheFrameReachedWithoutCompleting) {
    SteppedEngine s;
    s.engine.setPicture(filled(40, 30, 0xff00ff00u));
    s.engine.execute();
    s.engine.setProgress(40);
    s.engine.stop();
    EXPECT_FALSE(s.engine.busy());
    EXPECT_EQ(s.events, (std::vector<std::string>{"started", "stopped"}));
    s.engine.clear();
    EXPECT_TRUE(s.engine.currentFrame().isNull());
    EXPECT_TRUE(s.engine.screenRect().isNull());
}

TEST(TransitionEngine, BackgroundFillsTheFirstOldPicture) {
    SteppedEngine s;
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.fill(0xff123456u);
    s.engine.setClientSize({40, 30});
    s.engine.setBackgroundPicture(tile);
    s.engine.setPicture(filled(40, 30, 0xff00ff00u));
    s.engine.execute();
    EXPECT_EQ(s.engine.currentFrame().pixel(13, 17), 0xff123456u);
}

}  // namespace
