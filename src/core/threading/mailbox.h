#pragma once
// The one way a value crosses from one thread to another here: a mailbox
// that holds the latest value posted and wakes its owner once.
//
// A value posted while another still waits replaces it (or, with update(),
// is merged into it). The owner is woken on its own thread once, and not
// again until it has taken what waits: a Qt owner through its thread's event
// loop, an executor owner by a job on the executor. Posting from the owner's
// own thread wakes it at once, before post() returns. An owner that looks on
// a schedule of its own (a player that ticks) is not woken: it takes when it
// looks.

#include "core/threading/executor.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

class QObject;
class QSocketNotifier;

namespace vz {

namespace posix {
class WakeCounter;
}

// Calls the owner's handler on the owner's thread. The Qt variant is made on
// the owner's thread; the posting thread touches no Qt object (it bumps a
// wake-up counter that the owner's event loop watches).
class OwnerWake {
public:
    OwnerWake();  // nobody to wake: the owner takes when it looks
    OwnerWake(QObject* owner, std::function<void()> handler);
    OwnerWake(Executor& owner, std::function<void()> handler);
    ~OwnerWake();
    OwnerWake(const OwnerWake&) = delete;
    OwnerWake& operator=(const OwnerWake&) = delete;

    // From any thread.
    void operator()();

private:
    std::function<void()> handler_;
    Executor* executor_ = nullptr;
    QObject* owner_ = nullptr;
    std::thread::id ownerThread_;
    std::unique_ptr<posix::WakeCounter> counter_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

template <class T>
class Mailbox {
public:
    // `handler` runs on the owner's thread when mail waits; it takes it.
    template <class Owner>
    Mailbox(Owner&& owner, std::function<void()> handler) : wake_(std::forward<Owner>(owner), std::move(handler)) {}
    // For an owner that takes when it looks, on its own schedule.
    Mailbox() = default;

    // Leaves `value` for the owner; true when it replaced one not taken yet.
    bool post(T value) {
        bool replaced;
        bool wake;
        {
            std::lock_guard lock(mutex_);
            replaced = slot_.has_value();
            slot_ = std::move(value);
            wake = !woken_;
            woken_ = true;
        }
        if (wake) wake_();
        return replaced;
    }
    // Changes the value waiting (a default one when none waits) in place:
    // `change(T&)` runs under the mailbox's lock.
    template <class Change>
    void update(Change&& change) {
        bool wake;
        {
            std::lock_guard lock(mutex_);
            // Made as T{} and moved in: clang does not count a struct nested in
            // the class that holds this mailbox as default-constructible yet.
            if (!slot_) slot_.emplace(T{});
            change(*slot_);
            wake = !woken_;
            woken_ = true;
        }
        if (wake) wake_();
    }
    // What waits, if anything; the next post wakes the owner again.
    std::optional<T> take() {
        std::lock_guard lock(mutex_);
        woken_ = false;
        return std::exchange(slot_, std::nullopt);
    }
    // Drops what waits. A wake already on its way still comes.
    void clear() {
        std::lock_guard lock(mutex_);
        slot_.reset();
    }

private:
    std::mutex mutex_;
    std::optional<T> slot_;
    bool woken_ = false;  // the owner was woken and has not taken yet
    OwnerWake wake_;
};

}  // namespace vz
