#include "core/threading/clock.h"

namespace vz {

void ClockWaiter::interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    wake_.notify_all();
}

void ClockWaiter::reset() {
    std::lock_guard lock(mutex_);
    interrupted_ = false;
}

std::uint32_t Clock::milliseconds() const {
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(now().time_since_epoch());
    return std::uint32_t(since.count());
}

Clock::TimePoint SteadyClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

bool SteadyClock::waitUntil(TimePoint deadline, ClockWaiter& waiter) {
    std::unique_lock lock(waiter.mutex_);
    return !waiter.wake_.wait_until(lock, deadline, [&] { return waiter.interrupted_; });
}

// Lock order: the clock's mutex before a waiter's. The waiter reads the time
// from the atomic, never under the clock's mutex.
bool ManualClock::waitUntil(TimePoint deadline, ClockWaiter& waiter) {
    {
        std::lock_guard lock(mutex_);
        awake_.erase(&waiter);
        sleeping_[&waiter] = deadline;
    }
    changed_.notify_all();
    bool interrupted;
    {
        std::unique_lock lock(waiter.mutex_);
        waiter.wake_.wait(lock, [&] { return waiter.interrupted_ || now() >= deadline; });
        interrupted = waiter.interrupted_;
    }
    {
        std::lock_guard lock(mutex_);
        sleeping_.erase(&waiter);
        if (!interrupted) awake_.insert(&waiter);
    }
    changed_.notify_all();
    return !interrupted;
}

void ManualClock::leave(ClockWaiter& waiter) {
    {
        std::lock_guard lock(mutex_);
        awake_.erase(&waiter);
    }
    changed_.notify_all();
}

void ManualClock::advance(Duration by) {
    std::lock_guard lock(mutex_);
    now_ += by.count();
    for (auto& [waiter, deadline] : sleeping_) {
        { std::lock_guard waiterLock(waiter->mutex_); }
        waiter->wake_.notify_all();
    }
}

void ManualClock::settle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        if (!awake_.empty()) return false;
        for (const auto& [waiter, deadline] : sleeping_)
            if (deadline <= now()) return false;
        return true;
    });
}

void ManualClock::waitForSleepers(std::size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return sleeping_.size() >= count; });
}

}  // namespace vz
