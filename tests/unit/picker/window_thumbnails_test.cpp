// The picker's entries made on a worker thread: handed over in list order
// as they are ready, a new rebuild replaces the one running, and nothing of
// a stopped or replaced list arrives afterwards.

#include "core/picker/window_thumbnails.h"
#include "platform/fake/fake_platform.h"

#include <QCoreApplication>
#include <QThread>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace vz::picker {
namespace {

QImage pattern(QSize size, int seed) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) img.setPixel(x, y, qRgb((x + seed) & 255, y & 255, seed & 255));
    return img;
}

// A Windows service that can be held at a window, to reorder what the worker
// does against what the test does.
class GatedWindows final : public Windows {
public:
    GatedWindows(std::unique_ptr<Windows> inner, std::atomic<int>& gate) : inner_(std::move(inner)), gate_(gate) {}
    QVector<WindowInfo> listWindows() override { return inner_->listWindows(); }
    QRect outerGeometry(WindowId w) override { return inner_->outerGeometry(w); }
    bool captureWindow(WindowId w, QImage& into) override {
        // Windows with ids at or above the gate wait until it is raised.
        while (int(w) >= gate_.load()) QThread::msleep(1);
        return inner_->captureWindow(w, into);
    }

private:
    std::unique_ptr<Windows> inner_;
    std::atomic<int>& gate_;
};

// A service just opened: until `redrawnBy` the applications have not yet
// redrawn what was covered, and pictures show something else.
class RedrawingWindows final : public Windows {
public:
    RedrawingWindows(std::unique_ptr<Windows> inner, std::chrono::milliseconds redraw)
        : inner_(std::move(inner)), redrawnBy_(std::chrono::steady_clock::now() + redraw) {}
    QVector<WindowInfo> listWindows() override { return inner_->listWindows(); }
    QRect outerGeometry(WindowId w) override { return inner_->outerGeometry(w); }
    bool captureWindow(WindowId w, QImage& into) override {
        std::this_thread::sleep_until(redrawnBy_);
        return captureWindowNow(w, into);
    }
    bool captureWindowNow(WindowId w, QImage& into) override {
        if (!inner_->captureWindow(w, into)) return false;
        if (std::chrono::steady_clock::now() < redrawnBy_) into = pattern(into.size(), 200);  // what covered it
        return true;
    }
    std::chrono::steady_clock::time_point redrawnBy() const override { return redrawnBy_; }

private:
    std::unique_ptr<Windows> inner_;
    std::chrono::steady_clock::time_point redrawnBy_;
};

class ThumbnailsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 1; i <= 20; ++i)
            desktop.windows[WindowId(i)] = {QRect(0, 0, 200 + i, 150), pattern({200 + i, 150}, i),
                                            QStringLiteral("Window %1").arg(i), "App", "/bin/app"};
        platform = makeFakePlatform(desktop);
    }
    std::unique_ptr<WindowThumbnails> make(std::atomic<int>* gate = nullptr, int redrawMs = 0) {
        auto open = [this, gate, redrawMs]() -> std::unique_ptr<Windows> {
            auto inner = platform.openWindows();
            if (redrawMs)
                return std::make_unique<RedrawingWindows>(std::move(inner), std::chrono::milliseconds(redrawMs));
            if (!gate) return inner;
            return std::make_unique<GatedWindows>(std::move(inner), *gate);
        };
        auto t = std::make_unique<WindowThumbnails>(WindowThumbnails::Mode::Worker, open, nullptr, 1);
        QObject::connect(t.get(), &WindowThumbnails::entriesReady, t.get(), [this, p = t.get()] {
            bool finished = false;
            p->take(received, finished);
            ++signals_;
            complete = finished;
        });
        return t;
    }
    bool pumpUntil(const std::function<bool()>& done, int ms = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms) {
            QEventLoop loop;
            QTimer::singleShot(2, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return done();
    }
    QStringList titles() const {
        QStringList t;
        for (const Entry& e : received) t << e.title;
        return t;
    }

    FakeDesktop desktop;
    Platform platform;
    std::vector<Entry> received;
    int signals_ = 0;
    bool complete = false;
};

TEST_F(ThumbnailsTest, EntriesArriveInListOrderAndTheListCompletes) {
    auto t = make();
    t->rebuild();
    ASSERT_TRUE(pumpUntil([&] { return complete; }));
    ASSERT_EQ(received.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(received[i].title, QStringLiteral("Window %1").arg(i + 1));
        EXPECT_EQ(received[i].thumbnail.size(), QSize(120, 150 * 120 / (201 + i)));
    }
}

TEST_F(ThumbnailsTest, PicturesTakenBeforeTheRedrawComeAgainOnceRedrawn) {
    auto t = make(nullptr, 300);
    t->rebuild();
    // Every entry at once, with what covered the windows...
    ASSERT_TRUE(pumpUntil([&] { return received.size() >= 20; }));
    EXPECT_FALSE(complete);
    // ...then each again with its own picture, and only then is the list complete.
    ASSERT_TRUE(pumpUntil([&] { return complete; }));
    ASSERT_EQ(received.size(), 40u);
    for (int i = 0; i < 20; ++i) {
        const Entry& early = received[i];
        const Entry& redrawn = received[20 + i];
        EXPECT_EQ(redrawn.id, early.id);
        const QImage own = pattern({201 + i, 150}, i + 1)
                               .scaled(redrawn.thumbnail.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(redrawn.thumbnail, own) << i;
        EXPECT_NE(early.thumbnail, own) << i;
    }
}

TEST_F(ThumbnailsTest, StopWhileWaitingForTheRedrawHandsNothingMoreOver) {
    auto t = make(nullptr, 5000);
    t->rebuild();
    ASSERT_TRUE(pumpUntil([&] { return received.size() >= 20; }));
    QElapsedTimer clock;
    clock.start();
    t->stop();
    const size_t before = received.size();
    t.reset();  // joins the worker: it must not sit out the wait
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(received.size(), before);
}

TEST_F(ThumbnailsTest, FirstEntriesAreHandedOverBeforeTheListIsComplete) {
    std::atomic<int> gate{4};  // windows 4 and later wait
    auto t = make(&gate);
    t->rebuild();
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 3; }));
    EXPECT_FALSE(complete);
    gate = 1000;
    ASSERT_TRUE(pumpUntil([&] { return complete; }));
    EXPECT_EQ(received.size(), 20u);
}

TEST_F(ThumbnailsTest, ARebuildReplacesTheRunningOneAndStopDropsTheRest) {
    std::atomic<int> gate{4};
    auto t = make(&gate);
    t->rebuild();
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 3; }));
    received.clear();
    t->rebuild();  // the worker is held at window 4 of the first list
    gate = 1000;
    ASSERT_TRUE(pumpUntil([&] { return complete; }));
    // Only the second list's entries, each once, in order.
    ASSERT_EQ(received.size(), 20u);
    EXPECT_EQ(received.front().title, "Window 1");
    EXPECT_EQ(received.back().title, "Window 20");

    received.clear();
    complete = false;
    gate = 2;
    t->rebuild();
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 1; }));
    t->stop();
    gate = 1000;
    // The worker finishes the window it was on and hands nothing over.
    pumpUntil([] { return false; }, 100);
    EXPECT_EQ(received.size(), 1u);
    EXPECT_FALSE(complete);
}

TEST_F(ThumbnailsTest, WithoutAConnectionTheListIsEmptyAndComplete) {
    WindowThumbnails t(
        WindowThumbnails::Mode::Worker, [] { return std::unique_ptr<Windows>(); }, nullptr, 1);
    bool finished = false;
    QObject::connect(&t, &WindowThumbnails::entriesReady, &t, [&] { t.take(received, finished); });
    t.rebuild();
    ASSERT_TRUE(pumpUntil([&] { return finished; }));
    EXPECT_TRUE(received.empty());
}

TEST_F(ThumbnailsTest, DestroyedWhileWorking) {
    std::atomic<int> gate{3};
    auto t = make(&gate);
    t->rebuild();
    ASSERT_TRUE(pumpUntil([&] { return received.size() == 2; }));
    gate = 1000;
    t.reset();  // joins the worker mid-list
    SUCCEED();
}

}  // namespace
}  // namespace vz::picker
