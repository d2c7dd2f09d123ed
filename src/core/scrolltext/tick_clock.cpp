#include "core/scrolltext/tick_clock.h"

namespace vz {

void TickWaiter::requestStop()
{
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

void TickWaiter::reset()
{
    std::lock_guard lock(mutex_);
    stopRequested_ = false;
}

TickClock::TimePoint SteadyTickClock::now() const
{
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

bool SteadyTickClock::waitUntil(TimePoint deadline, TickWaiter& waiter)
{
    std::unique_lock lock(waiter.mutex_);
    return !waiter.wake_.wait_until(lock, deadline, [&] { return waiter.stopRequested_; });
}

// Lock order: the clock's mutex before a waiter's. The waiter reads the time
// from the atomic, never under the clock's mutex.
bool ManualTickClock::waitUntil(TimePoint deadline, TickWaiter& waiter)
{
    {
        std::lock_guard lock(mutex_);
        awake_.erase(&waiter);
        sleeping_[&waiter] = deadline;
    }
    changed_.notify_all();
    bool stopped;
    {
        std::unique_lock lock(waiter.mutex_);
        waiter.wake_.wait(lock, [&] { return waiter.stopRequested_ || now() >= deadline; });
        stopped = waiter.stopRequested_;
    }
    {
        std::lock_guard lock(mutex_);
        sleeping_.erase(&waiter);
        if (!stopped) awake_.insert(&waiter);
    }
    changed_.notify_all();
    return !stopped;
}

void ManualTickClock::advance(Duration by)
{
    std::lock_guard lock(mutex_);
    now_ += by.count();
    for (auto& [waiter, deadline] : sleeping_) {
        { std::lock_guard waiterLock(waiter->mutex_); }
        waiter->wake_.notify_all();
    }
}

void ManualTickClock::settle()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        if (!awake_.empty()) return false;
        for (const auto& [waiter, deadline] : sleeping_)
            if (deadline <= now()) return false;
        return true;
    });
}

}  // namespace vz

namespace vz {

void ManualTickClock::waitForSleepers(std::size_t count)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return sleeping_.size() >= count; });
}

}  // namespace vz
