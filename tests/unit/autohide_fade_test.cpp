#include "core/controller/autohide_fade.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vz::autohide;

namespace {

// The opacity the toolbar shows after each tick with the pointer away,
// starting from a fresh activation (alpha 255). Index 0 is tick 1.
std::vector<int> fadeOpacities(int ticks) {
    std::vector<int> out;
    int alpha = 255;
    for (int i = 0; i < ticks; ++i) {
        alpha = nextToolbarAlpha(alpha);
        out.push_back(opacityFor(alpha));
    }
    return out;
}

std::vector<int> expectedOpacities(int ticks) {
    std::vector<int> out(54, 255);                         // ticks 1..54: still opaque
    for (int v = 198; v >= 112; v -= 2) out.push_back(v);  // ticks 55..98
    // Around 110 both steps act on one tick: 112 -> 110 -> 105, 105 -> 103 -> 98;
    // below 100 only the 5-step remains.
    out.push_back(105);
    out.push_back(98);
    for (int v = 93; v >= 3; v -= 5) out.push_back(v);
    while (int(out.size()) < ticks) out.push_back(3);
    out.resize(ticks);
    return out;
}

}  // namespace

TEST(AutoHideFade, SequenceTickByTick) {
    const auto got = fadeOpacities(200);
    const auto want = expectedOpacities(200);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(got[i], want[i]) << "tick " << i + 1;
}

TEST(AutoHideFade, LandmarkTicks) {
    const auto got = fadeOpacities(130);
    struct {
        int tick, opacity;
    } cases[] = {
        {1, 255},  {54, 255}, {55, 198}, {56, 196}, {98, 112}, {99, 105}, {100, 98},
        {101, 93}, {102, 88}, {118, 8},  {119, 3},  {120, 3},  {130, 3},
    };
    for (auto c : cases) EXPECT_EQ(got[c.tick - 1], c.opacity) << "tick " << c.tick;
}

// toolbarAlpha starts at 0; a toolbar that was never activated must not
// fade to fully transparent.
TEST(AutoHideFade, NeverInvisibleFromAnyStart) {
    for (int start = 0; start <= 255; ++start) {
        int a = start;
        for (int i = 0; i < 300; ++i) {
            a = nextToolbarAlpha(a);
            ASSERT_GE(opacityFor(a), 3) << "start " << start << " tick " << i + 1;
        }
        EXPECT_LE(a, 6) << "start " << start;
        EXPECT_EQ(nextToolbarAlpha(a), a) << "start " << start;
    }
}

TEST(AutoHidePointer, Decisions) {
    const QSize size(248, 42);
    const QPoint far(500, 500);  // screen position away from the corner
    struct Case {
        const char* name;
        QPoint client, screen;
        bool reset, fade;
    } cases[] = {
        {"strictly inside", {10, 10}, far, true, false},
        {"just inside bottom-right", {247, 41}, far, true, false},
        {"right edge", {248, 20}, far, false, false},
        {"bottom edge", {100, 42}, far, false, false},
        {"left edge", {0, 20}, far, false, false},
        {"top edge", {100, 0}, far, false, false},
        {"bottom-right corner", {248, 42}, far, false, false},
        {"past the right edge", {249, 20}, far, false, true},
        {"below", {100, 43}, far, false, true},
        {"above", {100, -1}, far, false, true},
        {"left of it", {-1, 20}, far, false, true},
        {"screen corner, away from toolbar", {-600, -300}, {0, 0}, true, true},
        {"screen corner 1,1", {-600, -300}, {1, 1}, true, true},
        {"just out of corner x", {-600, -300}, {2, 0}, false, true},
        {"just out of corner y", {-600, -300}, {0, 2}, false, true},
        {"screen corner under the toolbar", {5, 5}, {0, 0}, true, false},
    };
    for (const auto& c : cases) {
        const auto d = decidePointer(c.client, c.screen, size);
        EXPECT_EQ(d.reset, c.reset) << c.name;
        EXPECT_EQ(d.fade, c.fade) << c.name;
    }
}

TEST(AutoHidePointer, TickApplies) {
    const QSize size(248, 42);
    // Edge: alpha and opacity untouched even when faded.
    auto r = autoHideTick(50, {248, 10}, {900, 10}, size);
    EXPECT_EQ(r.alpha, 50);
    EXPECT_FALSE(r.opacityChanged);
    // Inside: back to opaque.
    r = autoHideTick(50, {10, 10}, {900, 10}, size);
    EXPECT_EQ(r.alpha, 255);
    EXPECT_EQ(r.opacity, 255);
    EXPECT_TRUE(r.opacityChanged);
    // Corner away from the toolbar: reset, then the first fade step.
    r = autoHideTick(3, {-900, -300}, {0, 0}, size);
    EXPECT_EQ(r.alpha, 254);
    EXPECT_EQ(r.opacity, 255);
    // Away: one fade step.
    r = autoHideTick(112, {-900, -300}, {100, 100}, size);
    EXPECT_EQ(r.alpha, 105);
    EXPECT_EQ(r.opacity, 105);
    EXPECT_TRUE(r.opacityChanged);
}
