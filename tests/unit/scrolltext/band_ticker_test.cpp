#include "core/scrolltext/band_ticker.h"

#include "fake_picture.h"
#include "pump_events.h"

#include <QObject>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vz {
namespace {

using namespace std::chrono_literals;
using test::fakePictures;

// A paint sink that holds the band's lock until released.
class BlockingSink : public ImageBandSink {
public:
    using ImageBandSink::ImageBandSink;
    void fill(const QRect& r, const QColor& c) override {
        std::unique_lock lock(mutex_);
        entered_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return released_; });
        ImageBandSink::fill(r, c);
    }
    void waitEntered() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return entered_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false, released_ = false;
};

class BandTickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ticker.reportTo(&owner, [&](const TickNews& news) { wraps += news.wraps; });
        ticker.setSize({601, 20});
        ticker.setLoopSpacing(1);
        ticker.setText("100x10");
    }
    void step(int times = 1, std::chrono::milliseconds by = 10ms) {
        for (int i = 0; i < times; ++i) {
            if (ticker.isRunning()) clock.waitForSleepers(1);
            clock.advance(by);
            clock.settle();
        }
    }

    ManualClock clock;
    QObject owner;  // wraps reach it through this thread's event loop
    int wraps = 0;
    std::atomic<int> repaints{0};
    BandTicker ticker{clock, {[&] { ++repaints; }, {}}, fakePictures(), TimerRange{5, 1000}};
    ImageBandSink sink{{601, 20}};
};

TEST_F(BandTickerTest, RunsOnlyWhileActiveWithAWindowAndAnItem) {
    EXPECT_FALSE(ticker.isRunning());
    ticker.setActive(true);
    EXPECT_FALSE(ticker.isRunning());  // no window yet
    ticker.setTickSink(&sink);
    EXPECT_TRUE(ticker.isRunning());
    ticker.removeItem(0);
    EXPECT_FALSE(ticker.isRunning());
    ticker.setText("100x10");
    EXPECT_TRUE(ticker.isRunning());
    ticker.setActive(false);
    EXPECT_FALSE(ticker.isRunning());
    ticker.setActive(true);
    ticker.setTickSink(nullptr);
    EXPECT_FALSE(ticker.isRunning());
}

TEST_F(BandTickerTest, TicksAtEachIntervalAndResumesWhereItStopped) {
    ticker.setTickSink(&sink);
    ticker.setActive(true);
    step(106);
    EXPECT_EQ(ticker.ticksRun(), 106u);
    EXPECT_EQ(ticker.positions().visibleCount, 2);

    ticker.setActive(false);
    const auto stopped = ticker.positions();
    step(5);
    EXPECT_EQ(ticker.positions(), stopped);

    ticker.setText("40x10");  // shown at the old positions
    ticker.setActive(true);
    EXPECT_EQ(ticker.positions(), stopped);
    step(1);
    EXPECT_EQ(ticker.positions().headOffset, 1);
    EXPECT_EQ(ticker.positions().tailOffset, 107);
    step(595);  // 702 - (40 + 6 + 40 + 6 + 40 ...) : the first copy (now 40 wide) left at 641
    EXPECT_TRUE(test::pumpUntil([&] { return wraps > 0; }));
}

TEST_F(BandTickerTest, MissedDeadlinesAreNotMadeUp) {
    ticker.setTickSink(&sink);
    ticker.setActive(true);
    step(1, 35ms);
    EXPECT_EQ(ticker.ticksRun(), 1u);
    step(1, 5ms);  // back on the 10 ms grid: 40 ms
    EXPECT_EQ(ticker.ticksRun(), 2u);
}

TEST_F(BandTickerTest, IntervalIsClampedAndTheSameValueKeepsThePhase) {
    ticker.setInterval(1);
    EXPECT_EQ(ticker.interval(), 5u);
    ticker.setInterval(100000);
    EXPECT_EQ(ticker.interval(), 1000u);
    EXPECT_EQ(ticker.resolution(), 100u);
    ticker.setInterval(10);
    EXPECT_EQ(ticker.resolution(), 5u);  // a tenth, but not below the minimum

    ticker.setTickSink(&sink);
    ticker.setActive(true);
    step(1, 6ms);
    ticker.setInterval(10);  // unchanged: no restart
    step(1, 4ms);
    EXPECT_EQ(ticker.ticksRun(), 1u);

    step(1, 6ms);
    ticker.setInterval(20);  // restarts: the next tick is 20 ms from now
    step(1, 10ms);
    EXPECT_EQ(ticker.ticksRun(), 1u);
    step(1, 10ms);
    EXPECT_EQ(ticker.ticksRun(), 2u);
}

TEST_F(BandTickerTest, ATickThatFindsThePaintRunningIsSkipped) {
    ticker.setTickSink(&sink);
    ticker.setActive(true);
    step(3);
    const auto before = ticker.positions();

    BlockingSink painter({601, 20});
    std::thread paint([&] { ticker.paint(painter, QRect(0, 0, 601, 20)); });
    painter.waitEntered();
    step(2);
    EXPECT_EQ(ticker.ticksSkipped(), 2u);
    painter.release();
    paint.join();
    EXPECT_EQ(ticker.positions(), before);
    step(1);
    EXPECT_EQ(ticker.positions().headOffset, before.headOffset + 1);
}

TEST_F(BandTickerTest, ChangesWithCopiesOnScreenAskForARepaint) {
    ticker.setTickSink(&sink);
    ticker.setActive(true);
    const int initial = repaints.load();
    step(1);
    ticker.setText("30x10");
    ticker.setSize({400, 20});
    ticker.setStep(3);  // takes effect at the next tick, no repaint
    EXPECT_EQ(repaints.load(), initial + 2);
    step(1);
    EXPECT_EQ(ticker.positions().headOffset, 4);
}

TEST(BandTickerRealTime, TicksOnTheSteadyClockAndStopsPromptly) {
    SteadyClock clock;
    std::atomic<int> ticks{0};
    ImageBandSink sink({300, 10});
    {
        BandTicker ticker(clock, {{}, [&](Clock::TimePoint) { ++ticks; }}, fakePictures());
        ticker.setSize({300, 10});
        ticker.setText("50x10");
        ticker.setInterval(1);
        ticker.setTickSink(&sink);
        ticker.setActive(true);
        const auto until = std::chrono::steady_clock::now() + 5s;
        while (ticks.load() < 20 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
        ticker.setInterval(1000);  // a long wait that stopping must cut short
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_GE(ticks.load(), 20);
}

}  // namespace
}  // namespace vz
