#include "core/scrolltext/band_ticker.h"

#include "platform/threads.h"

#include <algorithm>

namespace vz {

BandTicker::BandTicker(Clock& clock, Callbacks callbacks, PictureFactory factory, TimerRange range)
    : clock_(clock), callbacks_(std::move(callbacks)), range_(range), state_(std::move(factory)) {
    interval_ = std::clamp(10u, range_.minimum, range_.maximum);
    resolution_ = std::max(interval_ / 10, range_.minimum);
}

BandTicker::~BandTicker() { stop(); }

template <typename Change>
void BandTicker::change(Change&& change) {
    bool repaint;
    {
        std::lock_guard lock(lock_);
        repaint = change(state_);
    }
    if (repaint && callbacks_.repaintRequested) callbacks_.repaintRequested();
}

void BandTicker::setTickSink(BandSink* sink) {
    stop();
    {
        std::lock_guard lock(lock_);
        sink_ = sink;
    }
    updateTimer();
}

void BandTicker::reportTo(QObject* owner, std::function<void(const TickNews&)> onNews) {
    stop();
    news_.reset();
    if (owner && onNews) {
        news_ = std::make_unique<Mailbox<TickNews>>(owner, [this, onNews = std::move(onNews)] {
            if (std::optional<TickNews> news = news_->take()) onNews(*news);
        });
    }
    updateTimer();
}

void BandTicker::setActive(bool active) {
    {
        std::lock_guard lock(lock_);
        state_.setActive(active);
    }
    updateTimer();
}

bool BandTicker::active() const {
    std::lock_guard lock(lock_);
    return state_.active();
}

void BandTicker::setInterval(unsigned milliseconds) {
    const unsigned value = std::clamp(milliseconds, range_.minimum, range_.maximum);
    if (value == interval_) return;
    stop();
    interval_ = value;
    resolution_ = std::max(value / 10, range_.minimum);
    updateTimer();
}

void BandTicker::setStep(unsigned value) {
    std::lock_guard lock(lock_);
    state_.setStep(value);
}

int BandTicker::step() const {
    std::lock_guard lock(lock_);
    return state_.step();
}

void BandTicker::setSpacing(int percent) {
    change([&](BandState& s) { return s.setSpacing(percent); });
}

void BandTicker::setLoopSpacing(int percent) {
    change([&](BandState& s) { return s.setLoopSpacing(percent); });
}

void BandTicker::setSize(QSize size) {
    change([&](BandState& s) { return s.setSize(size); });
}

void BandTicker::setLook(const BandLook& look) {
    change([&](BandState& s) { return s.setLook(look); });
}

void BandTicker::setText(const QString& text) {
    bool added = false;
    change([&](BandState& s) {
        if (s.itemCount() > 0) return s.setItemText(0, text);
        added = true;
        return s.addItem(text);
    });
    if (added) updateTimer();
}

void BandTicker::setItemText(int index, const QString& text) {
    change([&](BandState& s) { return s.setItemText(index, text); });
}

void BandTicker::addItem(const QString& text) {
    change([&](BandState& s) { return s.addItem(text); });
    updateTimer();
}

void BandTicker::removeItem(int index) {
    change([&](BandState& s) { return s.removeItem(index); });
    updateTimer();
}

void BandTicker::paint(BandSink& sink, const QRect& rect) {
    std::lock_guard lock(lock_);
    state_.paint(sink, rect);
    sink.flush();
}

BandState::Positions BandTicker::positions() const {
    std::lock_guard lock(lock_);
    return state_.positions();
}

void BandTicker::updateTimer() {
    bool shouldRun;
    {
        std::lock_guard lock(lock_);
        shouldRun = state_.active() && sink_ && state_.itemCount() > 0;
    }
    if (shouldRun)
        start();
    else
        stop();
}

void BandTicker::start() {
    if (thread_.joinable()) return;
    waiter_.reset();
    const Clock::Duration period = std::chrono::milliseconds(interval_);
    thread_ = std::thread(&BandTicker::run, this, clock_.now() + period, period);
}

// Waits for a tick in progress: the tick never waits for the lock, so this
// cannot deadlock.
void BandTicker::stop() {
    if (!thread_.joinable()) return;
    waiter_.interrupt();
    thread_.join();
}

void BandTicker::run(Clock::TimePoint deadline, Clock::Duration period) {
    // Wake at the deadline itself, not up to the default 50 µs of slack later.
    posix::setCurrentThreadTimerSlack(1);
    posix::setCurrentThreadName("scroll band");
    // The lowest real-time priority where the system grants it (most desktops
    // do not; then the thread stays an ordinary one): a tick is a few
    // microseconds of work, and it should not wait behind a busy core.
    posix::setCurrentThreadRealtime();
    while (clock_.waitUntil(deadline, waiter_)) {
        tickOnce(deadline);
        deadline += period;
        const Clock::TimePoint now = clock_.now();
        if (deadline <= now) deadline += period * ((now - deadline) / period + 1);
    }
}

void BandTicker::tickOnce(Clock::TimePoint deadline) {
    std::unique_lock lock(lock_, std::try_to_lock);
    if (!lock.owns_lock()) {
        ++ticksSkipped_;
        return;
    }
    if (!sink_ || state_.itemCount() == 0) return;
    const int wraps = state_.tick(*sink_);
    sink_->flush();
    lock.unlock();
    ++ticksRun_;
    const bool everyTick = everyTickReported_;
    if (news_ && (wraps > 0 || everyTick))
        news_->update([&](TickNews& news) {
            news.wraps += wraps;
            if (everyTick) ++news.ticks;
        });
    if (callbacks_.ticked) callbacks_.ticked(deadline);
}

}  // namespace vz
