#include "core/threading/repeating_timer.h"

#include <QTimer>

namespace vz {

QtRepeatingTimer::QtRepeatingTimer(std::function<void()> onTick) : timer_(std::make_unique<QTimer>()) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), std::move(onTick));
}

QtRepeatingTimer::~QtRepeatingTimer() = default;

void QtRepeatingTimer::start(int intervalMs) { timer_->start(intervalMs); }

void QtRepeatingTimer::stop() { timer_->stop(); }

std::unique_ptr<RepeatingTimer> makeQtRepeatingTimer(std::function<void()> onTick) {
    return std::make_unique<QtRepeatingTimer>(std::move(onTick));
}

}  // namespace vz
