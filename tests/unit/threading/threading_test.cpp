// The threading kit: a value posted to a mailbox replaces the one waiting and
// wakes the owner once on its own thread; an executor runs jobs in order,
// inline or on its worker; a manual clock wakes exactly the sleepers whose
// deadline it passes.
#include "core/threading/clock.h"
#include "core/threading/executor.h"
#include "core/threading/mailbox.h"
#include "pump_events.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vz::test {
namespace {

using namespace std::chrono_literals;

// ---------------------------------------------------------------- mailbox

struct Owner {
    QObject object;  // lives on the test thread
    int wakes = 0;
    bool onOwnerThread = true;
    std::vector<int> taken;
    Mailbox<int> mail{&object, [this] {
                          ++wakes;
                          onOwnerThread = onOwnerThread && QThread::currentThread() == object.thread();
                      }};
    void takeNow() {
        if (std::optional<int> value = mail.take()) taken.push_back(*value);
    }
};

TEST(Mailbox, PostsFromAnotherThreadReplaceTheWaitingValueAndWakeTheOwnerOnce) {
    Owner owner;
    std::thread poster([&] {
        EXPECT_FALSE(owner.mail.post(1));
        EXPECT_TRUE(owner.mail.post(2));  // 1 was not taken: replaced
        EXPECT_TRUE(owner.mail.post(3));
    });
    poster.join();
    EXPECT_EQ(owner.wakes, 0);  // not before the owner's event loop runs
    ASSERT_TRUE(pumpUntil([&] { return owner.wakes > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.wakes, 1);
    EXPECT_TRUE(owner.onOwnerThread);
    owner.takeNow();
    EXPECT_EQ(owner.taken, std::vector<int>{3});
    owner.takeNow();
    EXPECT_EQ(owner.taken, std::vector<int>{3});  // taken once only

    // Once taken, the next post wakes the owner again.
    std::thread([&] { owner.mail.post(4); }).join();
    ASSERT_TRUE(pumpUntil([&] { return owner.wakes == 2; }));
    owner.takeNow();
    EXPECT_EQ(owner.taken, (std::vector<int>{3, 4}));
}

TEST(Mailbox, NoSecondWakeUntilTheOwnerTakes) {
    Owner owner;
    std::thread([&] { owner.mail.post(1); }).join();
    ASSERT_TRUE(pumpUntil([&] { return owner.wakes == 1; }));
    // Woken, but the owner leaves the value: later posts replace it silently.
    std::thread([&] { owner.mail.post(2); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.wakes, 1);
    owner.takeNow();
    EXPECT_EQ(owner.taken, std::vector<int>{2});
}

TEST(Mailbox, PostOnTheOwnersThreadWakesBeforeReturning) {
    Owner owner;
    owner.mail.post(7);
    EXPECT_EQ(owner.wakes, 1);
    owner.mail.post(8);
    EXPECT_EQ(owner.wakes, 1);
    owner.takeNow();
    owner.mail.post(9);
    EXPECT_EQ(owner.wakes, 2);
    owner.takeNow();
    EXPECT_EQ(owner.taken, (std::vector<int>{8, 9}));
}

TEST(Mailbox, UpdateMergesIntoTheWaitingValueAndClearDropsIt) {
    QObject object;
    int wakes = 0;
    Mailbox<std::vector<int>> mail(&object, [&] { ++wakes; });
    mail.update([](std::vector<int>& v) { v.push_back(1); });
    mail.update([](std::vector<int>& v) { v.push_back(2); });
    EXPECT_EQ(wakes, 1);
    EXPECT_EQ(mail.take(), (std::vector<int>{1, 2}));
    EXPECT_EQ(mail.take(), std::nullopt);

    mail.update([](std::vector<int>& v) { v.push_back(3); });
    mail.clear();
    EXPECT_EQ(mail.take(), std::nullopt);
    mail.update([](std::vector<int>& v) { v.push_back(4); });
    EXPECT_EQ(mail.take(), std::vector<int>{4});
    EXPECT_EQ(wakes, 3);
}

// An owner that takes on its own schedule: mail from another thread waits,
// nobody is woken, and what was posted since it last looked is there.
TEST(Mailbox, WithoutAnOwnerToWakeTheMailWaitsUntilTaken) {
    Mailbox<std::vector<int>> mail;
    std::thread poster([&] {
        for (int i = 1; i <= 3; ++i) mail.update([&](std::vector<int>& v) { v.push_back(i); });
    });
    poster.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(mail.take(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(mail.take(), std::nullopt);
}

// ---------------------------------------------------------------- executor

TEST(Executor, InlineRunsEachJobAtOnceOnTheCallingThread) {
    Executor executor(Executor::Mode::Inline);
    std::vector<std::string> order;
    const std::thread::id caller = std::this_thread::get_id();
    executor.post([&] {
        order.push_back("outer");
        EXPECT_EQ(std::this_thread::get_id(), caller);
        executor.post([&] { order.push_back("nested"); });
        order.push_back("outer end");
    });
    order.push_back("after");
    EXPECT_EQ(order, (std::vector<std::string>{"outer", "nested", "outer end", "after"}));
}

TEST(Executor, WorkerRunsJobsInOrderOnItsOwnThread) {
    Executor executor(Executor::Mode::Worker, {1, "test worker"});
    std::vector<int> order;  // written by the worker only, read after the last job
    std::promise<std::thread::id> ran;
    for (int i = 0; i < 100; ++i) executor.post([&order, i] { order.push_back(i); });
    executor.post([&] { ran.set_value(std::this_thread::get_id()); });
    EXPECT_NE(ran.get_future().get(), std::this_thread::get_id());
    std::vector<int> expected(100);
    for (int i = 0; i < 100; ++i) expected[size_t(i)] = i;
    EXPECT_EQ(order, expected);
}

TEST(Executor, ShutdownFinishesTheRunningJobAndDropsTheRest) {
    Executor executor(Executor::Mode::Worker);
    std::promise<void> started, release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<int> ran{0};
    executor.post([&] {
        started.set_value();
        released.wait();
        ++ran;
    });
    auto token = std::make_shared<int>(0);
    const std::weak_ptr<int> waiting = token;
    executor.post([&, token = std::move(token)] { ++ran; });
    started.get_future().wait();
    std::thread closer([&] { executor.shutdown(); });
    while (!waiting.expired()) std::this_thread::yield();  // dropped by the shutdown
    release.set_value();
    closer.join();
    EXPECT_EQ(ran.load(), 1);
    executor.post([&] { ++ran; });  // after shutdown: dropped
    EXPECT_EQ(ran.load(), 1);
}

TEST(Executor, AMailboxOwnedByAnExecutorIsTakenByAJobOnIt) {
    for (Executor::Mode mode : {Executor::Mode::Inline, Executor::Mode::Worker}) {
        Executor executor(mode);
        std::atomic<int> wakes{0};
        std::promise<int> last;
        std::unique_ptr<Mailbox<int>> inbox;
        inbox = std::make_unique<Mailbox<int>>(executor, [&] {
            ++wakes;
            if (std::optional<int> v = inbox->take(); v && *v == 3) last.set_value(*v);
        });
        inbox->post(1);
        inbox->post(2);
        inbox->post(3);
        EXPECT_EQ(last.get_future().get(), 3);
        executor.shutdown();
        EXPECT_GE(wakes.load(), 1);
        EXPECT_LE(wakes.load(), 3);
    }
}

// ---------------------------------------------------------------- clock

TEST(ManualClock, AdvanceWakesOnlyTheSleepersWhoseDeadlineCame) {
    ManualClock clock;
    const Clock::TimePoint start = clock.now();
    ClockWaiter early, late;
    std::atomic<int> earlyWoke{0}, lateWoke{0};
    std::thread a([&] {
        if (clock.waitUntil(start + 10ms, early)) ++earlyWoke;
        clock.leave(early);
    });
    std::thread b([&] {
        if (clock.waitUntil(start + 30ms, late)) ++lateWoke;
        clock.leave(late);
    });
    clock.waitForSleepers(2);
    clock.advance(9ms);
    clock.settle();
    EXPECT_EQ(earlyWoke.load() + lateWoke.load(), 0);
    clock.advance(1ms);
    clock.settle();
    EXPECT_EQ(earlyWoke.load(), 1);
    EXPECT_EQ(lateWoke.load(), 0);
    a.join();
    clock.advance(20ms);
    clock.settle();
    EXPECT_EQ(lateWoke.load(), 1);
    b.join();
    EXPECT_EQ(clock.now() - start, 30ms);
}

TEST(ManualClock, SettleWaitsForTheWokenThreadToWaitAgain) {
    ManualClock clock;
    ClockWaiter waiter;
    std::atomic<int> ticks{0};
    std::thread ticker([&] {
        Clock::TimePoint deadline = clock.now() + 5ms;
        while (clock.waitUntil(deadline, waiter)) {
            std::this_thread::sleep_for(1ms);  // work the test must not overtake
            ++ticks;
            deadline += 5ms;
        }
    });
    for (int i = 1; i <= 5; ++i) {
        clock.waitForSleepers(1);
        clock.advance(5ms);
        clock.settle();
        EXPECT_EQ(ticks.load(), i);
    }
    waiter.interrupt();
    ticker.join();
    EXPECT_EQ(ticks.load(), 5);
}

TEST(Clock, AnInterruptedWaitEndsAtOnceWithFalse) {
    ManualClock manual;
    SteadyClock steady;
    for (Clock* clock : std::initializer_list<Clock*>{&manual, &steady}) {
        ClockWaiter waiter;
        std::atomic<bool> result{true};
        std::thread sleeper([&] { result = clock->waitUntil(clock->now() + 1h, waiter); });
        waiter.interrupt();
        sleeper.join();
        EXPECT_FALSE(result.load());
        // Until reset, every wait ends at once.
        EXPECT_FALSE(clock->waitUntil(clock->now() + 1h, waiter));
        waiter.reset();
        EXPECT_TRUE(clock->waitUntil(clock->now(), waiter));
    }
}

TEST(SteadyClock, WaitsUntilTheDeadline) {
    SteadyClock clock;
    ClockWaiter waiter;
    const Clock::TimePoint deadline = clock.now() + 3ms;
    EXPECT_TRUE(clock.waitUntil(deadline, waiter));
    EXPECT_GE(clock.now(), deadline);
}

TEST(Clock, MillisecondsWrapAt32Bits) {
    ManualClock clock(Clock::Duration(std::chrono::milliseconds(0xFFFFFFF0ll)));
    const std::uint32_t before = clock.milliseconds();
    EXPECT_EQ(before, 0xFFFFFFF0u);
    clock.advance(20ms);
    EXPECT_EQ(clock.milliseconds(), 4u);
    EXPECT_EQ(std::uint32_t(clock.milliseconds() - before), 20u);
}

}  // namespace
}  // namespace vz::test
