// Global keys: the lock-key variants a grab is made with, and the fake
// service that the controller's tests drive.

#include "platform/fake/fake_platform.h"
#include "platform/x11/x11_global_keys.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(LockVariants, EveryCombinationOfTheDistinctLockMasks) {
    constexpr unsigned kLock = 0x02, kMod2 = 0x10, kMod3 = 0x20, kMod5 = 0x80;
    struct Case {
        const char* what;
        std::vector<unsigned> masks;
        std::vector<unsigned> expected;
    };
    const Case cases[] = {
        {"no lock keys", {}, {0}},
        {"Num Lock and Caps Lock, no Scroll Lock", {kMod2, kLock, 0}, {0, kMod2, kLock, kMod2 | kLock}},
        {"all three",
         {kMod2, kLock, kMod5},
         {0, kMod2, kLock, kMod2 | kLock, kMod5, kMod2 | kMod5, kLock | kMod5, kMod2 | kLock | kMod5}},
        {"Num Lock and Scroll Lock on one modifier", {kMod3, kLock, kMod3}, {0, kMod3, kLock, kMod3 | kLock}},
        {"only zeros", {0, 0, 0}, {0}},
    };
    for (const Case& c : cases) EXPECT_EQ(vz::x11::lockVariants(c.masks), c.expected) << c.what;
}

constexpr std::uint32_t kF7 = 0xffc4, kA = 0x61;
using enum vz::KeyRegistration;

TEST(FakeGlobalKeys, RegistersPressesAndRefusesHeldCombinations) {
    vz::FakeDesktop desktop;
    const vz::KeyCombination ctrlF7{kF7, vz::KeyModifier::Ctrl};
    const vz::KeyCombination ctrlAltA{kA, vz::KeyModifier::Ctrl | vz::KeyModifier::Alt};
    desktop.keysHeldElsewhere = {ctrlAltA};
    {
        vz::Platform platform = vz::makeFakePlatform(desktop);
        vz::GlobalKeys& keys = *platform.globalKeys;
        std::vector<int> pressed;
        keys.setPressHandler([&](int id) { pressed.push_back(id); });

        EXPECT_EQ(keys.registerKey(1, ctrlF7), Registered);
        EXPECT_EQ(keys.registerKey(2, ctrlF7), HeldElsewhere) << "a combination one id holds";
        EXPECT_EQ(keys.registerKey(3, ctrlAltA), HeldElsewhere) << "a combination another program holds";
        EXPECT_EQ(keys.registerKey(4, {}), NoSuchKey) << "no key";
        EXPECT_EQ(keys.registerKey(5, {kF7, vz::KeyModifier::Shift}), Registered);
        EXPECT_FALSE(keys.isRegistered(2));

        EXPECT_TRUE(vz::pressGlobalKey(desktop, 1));
        EXPECT_TRUE(vz::pressGlobalKey(desktop, 5));
        EXPECT_FALSE(vz::pressGlobalKey(desktop, 3));
        EXPECT_EQ(pressed, (std::vector<int>{1, 5}));

        // Moving id 1 to another combination frees Ctrl+F7 for id 2.
        EXPECT_EQ(keys.registerKey(1, {kA, vz::KeyModifier::Ctrl}), Registered);
        EXPECT_EQ(keys.registerKey(2, ctrlF7), Registered);
        // A failed registration leaves the id without a combination.
        EXPECT_EQ(keys.registerKey(1, ctrlAltA), HeldElsewhere);
        EXPECT_FALSE(keys.isRegistered(1));

        keys.unregisterKey(2);
        EXPECT_FALSE(vz::pressGlobalKey(desktop, 2));
        keys.unregisterAll();
        EXPECT_TRUE(desktop.registeredKeys.isEmpty());
        EXPECT_EQ(keys.registerKey(7, ctrlF7), Registered);
    }
    EXPECT_TRUE(desktop.registeredKeys.isEmpty()) << "keys are given back with the service";
}

}  // namespace
