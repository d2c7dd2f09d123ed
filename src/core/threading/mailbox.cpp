#include "core/threading/mailbox.h"

#include "platform/threads.h"

#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>

namespace vz {

OwnerWake::OwnerWake(QObject* owner, std::function<void()> handler)
    : handler_(std::move(handler)), owner_(owner), ownerThread_(std::this_thread::get_id()),
      counter_(std::make_unique<posix::WakeCounter>()) {
    if (!counter_->valid()) return;  // then a queued call carries the wake
    notifier_ = std::make_unique<QSocketNotifier>(qintptr(counter_->descriptor()), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, owner_, [this] {
        counter_->drain();
        handler_();
    });
}

OwnerWake::OwnerWake(Executor& owner, std::function<void()> handler)
    : handler_(std::move(handler)), executor_(&owner) {}

OwnerWake::~OwnerWake() = default;

void OwnerWake::operator()() {
    if (executor_) {
        executor_->post(handler_);
        return;
    }
    if (std::this_thread::get_id() == ownerThread_) {
        handler_();
        return;
    }
    if (counter_->bump()) return;
    QMetaObject::invokeMethod(owner_, handler_, Qt::QueuedConnection);
}

}  // namespace vz
