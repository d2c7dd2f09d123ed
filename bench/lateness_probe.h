#pragma once
// A 10 ms timer on the UI thread that records how late it fires against
// absolute deadlines: when the event loop is blocked, every deadline missed
// meanwhile counts with its own lateness, so a freeze shows in the figures.

#include "lateness_stats.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace bench {

class LatenessProbe {
public:
    using Clock = std::chrono::steady_clock;
    explicit LatenessProbe(int periodMs = 10) : period_(std::chrono::milliseconds(periodMs)) {
        // Re-armed for each deadline: a repeating timer would take a new phase
        // after a blocked stretch, hiding the lateness that follows.
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { fired(); });
    }
    // `onTick` runs after each firing (after the lateness is recorded).
    void start(std::function<void()> onTick = {}) {
        onTick_ = std::move(onTick);
        samples_.clear();
        next_ = Clock::now() + period_;
        running_ = true;
        arm();
    }
    void stop() {
        running_ = false;
        timer_.stop();
    }
    Stats stats() const { return bench::stats(samples_); }
    // The lateness of each deadline, in order (ms).
    const std::vector<double>& samples() const { return samples_; }

private:
    void fired() {
        const auto now = Clock::now();
        while (next_ <= now) {
            samples_.push_back(std::chrono::duration<double, std::milli>(now - next_).count());
            next_ += period_;
        }
        if (onTick_) onTick_();
        if (running_) arm();
    }
    void arm() {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next_ - Clock::now());
        timer_.start(int(std::max<long long>(0, wait.count())));
    }

    Clock::duration period_;
    QTimer timer_;
    Clock::time_point next_;
    std::vector<double> samples_;
    std::function<void()> onTick_;
    bool running_ = false;
};

}  // namespace bench
