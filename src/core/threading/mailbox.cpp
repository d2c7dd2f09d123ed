#include "core/threading/mailbox.h"

#include "platform/threads.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>

namespace vz {

OwnerWake::OwnerWake(QObject* owner, std::function<void()> handler)
    : handler_(std::move(handler)), owner_(owner), ownerThread_(std::this_thread::get_id()) {
    // Without an event loop on this thread (a test that posts only from it)
    // nothing watches a counter; without a counter a queued call carries the
    // wake.
    if (!QAbstractEventDispatcher::instance()) return;
    counter_ = std::make_unique<posix::WakeCounter>();
    if (!counter_->valid()) {
        counter_.reset();
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(qintptr(counter_->descriptor()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, owner_, [this] {
        counter_->drain();
        handler_();
    });
}

OwnerWake::OwnerWake(Executor& owner, std::function<void()> handler)
    : handler_(std::move(handler)), executor_(&owner) {}

OwnerWake::OwnerWake() = default;

OwnerWake::~OwnerWake() = default;

void OwnerWake::operator()() {
    if (!handler_) return;
    if (executor_) {
        executor_->post(handler_);
        return;
    }
    if (std::this_thread::get_id() == ownerThread_) {
        handler_();
        return;
    }
    if (counter_ && counter_->bump()) return;
    QMetaObject::invokeMethod(owner_, handler_, Qt::QueuedConnection);
}

}  // namespace vz
