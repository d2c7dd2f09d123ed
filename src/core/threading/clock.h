#pragma once
// The clock that paces the program's threads and timed state machines,
// injectable so that tests step time instead of sleeping: the steady clock
// in the program, a manual one in tests.
//
// A thread waits for absolute deadlines on it, so lateness does not add up;
// a waiter object lets another thread wake it early (to stop it, or because
// there is new work).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>

namespace vz {

// One waiting thread's wake-up line.
class ClockWaiter {
public:
    // Ends the wait under way, or the next one, at once (until reset()).
    void interrupt();
    void reset();

private:
    friend class SteadyClock;
    friend class ManualClock;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Blocks until `deadline` has come (true) or `waiter` is interrupted
    // (false).
    virtual bool waitUntil(TimePoint deadline, ClockWaiter& waiter) = 0;
    // The thread that waits with `waiter` ends without waiting again.
    virtual void leave(ClockWaiter&) {}

    // Milliseconds that wrap at 2^32, like a system tick count: waits
    // measured as the unsigned difference of two readings stay right across
    // the wrap.
    std::uint32_t milliseconds() const;
};

// The monotonic clock. The wait is an absolute-deadline wait on
// CLOCK_MONOTONIC (pthread_cond_clockwait).
class SteadyClock final : public Clock {
public:
    TimePoint now() const override;
    bool waitUntil(TimePoint deadline, ClockWaiter& waiter) override;
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
public:
    // Time starts at `start` after the clock's epoch.
    explicit ManualClock(Duration start = Duration::zero()) : now_(start.count()) {}

    TimePoint now() const override { return TimePoint(Duration(now_.load())); }
    bool waitUntil(TimePoint deadline, ClockWaiter& waiter) override;
    void leave(ClockWaiter& waiter) override;

    // Moves time forward and wakes every thread whose deadline has come.
    void advance(Duration by);
    // Waits until every thread woken by advance() has done its work and is
    // waiting again for a deadline still to come (or has left).
    void settle();
    // Waits until at least `count` threads wait on this clock.
    void waitForSleepers(std::size_t count);

private:
    std::atomic<Duration::rep> now_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<ClockWaiter*, TimePoint> sleeping_;
    std::set<ClockWaiter*> awake_;  // woken by a deadline, not waiting yet
};

}  // namespace vz
