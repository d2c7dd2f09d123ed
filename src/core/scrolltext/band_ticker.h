#pragma once
// A scroll band that moves in real time: BandState behind one lock, stepped
// by a thread of its own at absolute deadlines `interval` apart.
//
// The owner's thread (the user interface) calls every setter and paint();
// each waits for the lock. The tick thread only tries the lock: when a paint
// or a change holds it, that tick is skipped, nothing moves and nothing is
// made up later. A tick that falls more than one interval behind skips the
// missed deadlines instead of running them back to back.
//
// The thread runs exactly while the band is active, has a tick sink (its
// window exists) and has at least one item.

#include "core/scrolltext/band_state.h"
#include "core/threading/clock.h"
#include "core/threading/mailbox.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QObject;

namespace vz {

// The periods the timer supports, in milliseconds.
struct TimerRange {
    unsigned minimum = 1;
    unsigned maximum = 1000000;
};

// What the ticks did since the owner last heard of them.
struct TickNews {
    int ticks = 0;  // ticks that ran (counted while every tick is reported)
    int wraps = 0;  // copies of the last item that left at the left edge
};

class BandTicker {
public:
    struct Callbacks {
        // The band needs a full repaint (called on the owner's thread, from
        // the setter that caused it, without the lock held).
        std::function<void()> repaintRequested;
        // After each tick that ran, on the tick thread, with the deadline it
        // was due at (measurement).
        std::function<void(Clock::TimePoint deadline)> ticked;
    };

    BandTicker(Clock& clock, Callbacks callbacks = {}, PictureFactory factory = makeTextPicture, TimerRange range = {});
    ~BandTicker();
    BandTicker(const BandTicker&) = delete;
    BandTicker& operator=(const BandTicker&) = delete;

    // Where ticks draw; null while the band's window does not exist. The
    // thread is stopped before the sink is replaced.
    void setTickSink(BandSink* sink);

    // Ticks tell `owner`'s thread what they did through a mailbox: `onNews`
    // runs there (call this on that thread). Wraps are always told; every
    // tick only while setEveryTickReported(true) (an owner that repaints
    // after each tick).
    void reportTo(QObject* owner, std::function<void(const TickNews&)> onNews);
    void setEveryTickReported(bool on) { everyTickReported_ = on; }

    void setActive(bool active);
    bool active() const;
    // Clamped to the timer range; the same value again changes nothing.
    void setInterval(unsigned milliseconds);
    unsigned interval() const { return interval_; }
    // The timer's resolution: a tenth of the interval, not finer than the
    // range's minimum.
    unsigned resolution() const { return resolution_; }
    void setStep(unsigned value);
    int step() const;
    void setSpacing(int percent);
    void setLoopSpacing(int percent);
    void setSize(QSize size);
    void setLook(const BandLook& look);

    // The one-item band of the program: sets the text of item 0, adding it
    // when the list is empty.
    void setText(const QString& text);
    void setItemText(int index, const QString& text);
    void addItem(const QString& text);
    void removeItem(int index);

    void paint(BandSink& sink, const QRect& rect);
    BandState::Positions positions() const;

    bool isRunning() const { return thread_.joinable(); }
    quint64 ticksRun() const { return ticksRun_.load(); }
    quint64 ticksSkipped() const { return ticksSkipped_.load(); }

private:
    // Runs `change` under the lock; repaints when it says so.
    template <typename Change>
    void change(Change&& change);
    void updateTimer();
    void start();
    void stop();
    void run(Clock::TimePoint firstDeadline, Clock::Duration period);
    void tickOnce(Clock::TimePoint deadline);

    Clock& clock_;
    const Callbacks callbacks_;
    const TimerRange range_;
    mutable std::mutex lock_;  // guards state_ and sink_
    BandState state_;
    BandSink* sink_ = nullptr;
    unsigned interval_ = 10;
    unsigned resolution_ = 1;
    std::unique_ptr<Mailbox<TickNews>> news_;  // to the owner's thread; set while stopped
    std::atomic<bool> everyTickReported_{false};
    std::thread thread_;
    ClockWaiter waiter_;
    std::atomic<quint64> ticksRun_{0};
    std::atomic<quint64> ticksSkipped_{0};
};

}  // namespace vz
