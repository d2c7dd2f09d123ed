#pragma once
// Shortcut keys for a session where no program may take keys system-wide
// (Wayland): a combination is "held" for the program's own windows, and its
// presses arrive while one of them has the keyboard focus. Key presses are
// watched on the application, at the window they are sent to, so that each
// press is seen once; a press that matches is used up.

#include "platform/platform.h"

#include <QObject>

#include <map>

namespace vz::wayland {

class WindowKeys : public QObject, public GlobalKeys {
public:
    WindowKeys();
    ~WindowKeys() override;

    void setPressHandler(PressHandler handler) override { handler_ = std::move(handler); }
    KeyRegistration registerKey(int id, const KeyCombination& keys) override;
    void unregisterKey(int id) override { held_.erase(id); }
    void unregisterAll() override { held_.clear(); }
    bool isRegistered(int id) const override { return held_.count(id) != 0; }
    std::vector<std::uint32_t> keysymsOfKey(std::uint32_t) const override { return {}; }
    QString limitation() const override;

    // The combination a key press makes: the key's keysym as the unshifted
    // key gives it (letters in lower case, the digit row's shifted marks as
    // their digits on a US layout) and Shift, Ctrl and Alt.
    static KeyCombination combinationOf(std::uint32_t keysym, Qt::KeyboardModifiers modifiers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PressHandler handler_;
    std::map<int, KeyCombination> held_;
};

}  // namespace vz::wayland
