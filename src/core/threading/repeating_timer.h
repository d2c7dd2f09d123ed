#pragma once
// The repeating timer that drives a state machine on the event loop (a
// slideshow player, the mirror's capture ticks): precise Qt timers in the
// program; tests put in one they step by hand, so no tick comes unasked.

#include <functional>
#include <memory>

class QTimer;

namespace vz {

// Calls its owner's tick every interval once started.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
    // Starts, or starts again with `intervalMs` when running.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
};

// RepeatingTimer on a precise QTimer of the calling thread's event loop.
class QtRepeatingTimer final : public RepeatingTimer {
public:
    explicit QtRepeatingTimer(std::function<void()> onTick);
    ~QtRepeatingTimer() override;
    void start(int intervalMs) override;
    void stop() override;

private:
    std::unique_ptr<QTimer> timer_;
};

// Makes the timer that calls `onTick`.
using MakeRepeatingTimer = std::function<std::unique_ptr<RepeatingTimer>(std::function<void()> onTick)>;

// The program's: a QtRepeatingTimer.
std::unique_ptr<RepeatingTimer> makeQtRepeatingTimer(std::function<void()> onTick);

}  // namespace vz
