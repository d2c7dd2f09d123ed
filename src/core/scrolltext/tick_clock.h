#pragma once
// The clock a ticking thread is paced by, injectable so that tests step time
// instead of sleeping. A thread waits for absolute deadlines on it; a waiter
// object lets the owner wake the thread early to stop it.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>

namespace vz {

class TickClock;

// One waiting thread's wake-up line.
class TickWaiter {
public:
    void requestStop();
    void reset();

private:
    friend class SteadyTickClock;
    friend class ManualTickClock;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false;
};

class TickClock {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    virtual ~TickClock() = default;
    virtual TimePoint now() const = 0;
    // Blocks until `deadline` has come (true) or a stop is requested on
    // `waiter` (false).
    virtual bool waitUntil(TimePoint deadline, TickWaiter& waiter) = 0;
};

// The monotonic clock. The wait is an absolute-deadline wait on
// CLOCK_MONOTONIC (pthread_cond_clockwait), so lateness does not add up.
class SteadyTickClock : public TickClock {
public:
    TimePoint now() const override;
    bool waitUntil(TimePoint deadline, TickWaiter& waiter) override;
};

// A clock that moves only when told to.
class ManualTickClock : public TickClock {
public:
    TimePoint now() const override { return TimePoint(Duration(now_.load())); }
    bool waitUntil(TimePoint deadline, TickWaiter& waiter) override;

    // Moves time forward and wakes every thread whose deadline has come.
    void advance(Duration by);
    // Waits until every thread woken by advance() has done its work and is
    // waiting again for a deadline still to come (or has stopped).
    void settle();
    // Waits until at least `count` threads wait on this clock.
    void waitForSleepers(std::size_t count);

private:
    std::atomic<Duration::rep> now_{0};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<TickWaiter*, TimePoint> sleeping_;
    std::set<TickWaiter*> awake_;  // woken by a deadline, not waiting yet
};

}  // namespace vz
