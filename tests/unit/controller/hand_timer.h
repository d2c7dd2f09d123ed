#pragma once
// A repeating timer that never fires by itself: the test calls its tick, so
// no tick comes while a test waits on the event loop for something else.

#include "core/threading/repeating_timer.h"

#include <functional>
#include <memory>
#include <utility>

namespace vz::test {

class HandTimer final : public RepeatingTimer {
public:
    explicit HandTimer(std::function<void()> onTick) : onTick(std::move(onTick)) {}
    void start(int intervalMs) override {
        active = true;
        interval = intervalMs;
    }
    void stop() override { active = false; }

    std::function<void()> onTick;
    bool active = false;
    int interval = 0;  // of the last start
};

// Makes HandTimers, and remembers the last one made in `*made` if given.
inline MakeRepeatingTimer handTimers(HandTimer** made = nullptr) {
    return [made](std::function<void()> onTick) -> std::unique_ptr<RepeatingTimer> {
        auto timer = std::make_unique<HandTimer>(std::move(onTick));
        if (made) *made = timer.get();
        return timer;
    };
}

}  // namespace vz::test
