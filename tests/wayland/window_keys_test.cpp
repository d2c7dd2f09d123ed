// The shortcut keys of a Wayland session: presses sent to one of the
// program's windows, as the compositor delivers them, reach the handler once.

#include "platform/wayland/window_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QWindow>

#include <gtest/gtest.h>

namespace vz::wayland {
namespace {

constexpr std::uint32_t kF5 = 0xffc2;

KeyCombination combination(std::uint32_t keysym, KeyModifiers modifiers) {
    KeyCombination k;
    k.keysym = keysym;
    k.modifiers = modifiers;
    return k;
}

TEST(WindowKeys, PressesInOurWindowsReachTheHandlerOnce) {
    WindowKeys keys;
    std::vector<int> pressed;
    keys.setPressHandler([&](int id) { pressed.push_back(id); });
    ASSERT_EQ(keys.registerKey(1, combination(kF5, KeyModifier::Ctrl | KeyModifier::Shift)),
              KeyRegistration::Registered);
    ASSERT_EQ(keys.registerKey(2, combination('a', KeyModifier::Alt)), KeyRegistration::Registered);
    ASSERT_EQ(keys.registerKey(3, combination('1', KeyModifier::Ctrl | KeyModifier::Shift)),
              KeyRegistration::Registered);
    // The same combination twice is refused, as another holder's would be.
    EXPECT_EQ(keys.registerKey(4, combination('A', KeyModifier::Alt)), KeyRegistration::HeldElsewhere);
    EXPECT_FALSE(keys.isRegistered(4));

    QWindow window;
    const struct {
        const char* what;
        std::uint32_t keysym;  // as the compositor's keymap gives it
        Qt::KeyboardModifiers modifiers;
        int expected;  // 0: none
    } cases[] = {
        {"Ctrl+Shift+F5", kF5, Qt::ControlModifier | Qt::ShiftModifier, 1},
        {"Ctrl+F5: one modifier short", kF5, Qt::ControlModifier, 0},
        {"Alt+a", 'a', Qt::AltModifier, 2},
        {"Alt+Shift+A: Shift was not asked for", 'A', Qt::AltModifier | Qt::ShiftModifier, 0},
        {"Ctrl+Shift+1 arrives as Ctrl+Shift+!", '!', Qt::ControlModifier | Qt::ShiftModifier, 3},
        {"a alone", 'a', Qt::NoModifier, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pressed.clear();
        QKeyEvent press(QEvent::KeyPress, 0, c.modifiers, 0, c.keysym, 0);
        QCoreApplication::sendEvent(&window, &press);
        EXPECT_EQ(pressed, c.expected ? std::vector<int>{c.expected} : std::vector<int>{});
    }

    // Given back, the key does nothing.
    keys.unregisterKey(2);
    pressed.clear();
    QKeyEvent press(QEvent::KeyPress, 0, Qt::AltModifier, 0, 'a', 0);
    QCoreApplication::sendEvent(&window, &press);
    EXPECT_TRUE(pressed.empty());
    // Only windows are watched: a press passed on to an object inside one is
    // the same press, not a second one.
    keys.registerKey(2, combination('a', KeyModifier::Alt));
    QObject inside;
    QCoreApplication::sendEvent(&inside, &press);
    EXPECT_TRUE(pressed.empty());
    EXPECT_FALSE(keys.limitation().isEmpty());
}

}  // namespace
}  // namespace vz::wayland

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
