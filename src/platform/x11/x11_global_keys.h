#pragma once
// Global key combinations: XGrabKey on the root window, on a connection of
// their own so that the grabbed presses arrive there and nowhere else; a
// QSocketNotifier hands them to the UI thread. No X11 header is included
// from here.

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <QMap>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace vz::x11 {

// Every combination of the lock-key modifier masks given (zeros and repeats
// are dropped), the empty combination first: the modifier sets a grab has
// to be made with so that it works whatever the lock keys' state is.
std::vector<unsigned> lockVariants(const std::vector<unsigned>& lockMasks);

class X11GlobalKeys final : public GlobalKeys {
public:
    // Takes the connection for itself. Must be created on the UI thread.
    explicit X11GlobalKeys(std::unique_ptr<Connection> connection);
    ~X11GlobalKeys() override;  // gives every combination back

    void setPressHandler(PressHandler handler) override;
    KeyRegistration registerKey(int id, const KeyCombination& keys) override;
    void unregisterKey(int id) override;
    void unregisterAll() override;
    bool isRegistered(int id) const override;
    std::vector<std::uint32_t> keysymsOfKey(std::uint32_t nativeKey) const override;

    // The modifier masks of Num Lock, Caps Lock and Scroll Lock as the
    // server's modifier map has them (0 for a lock key bound to none).
    std::vector<unsigned> lockMasks() const { return lockMasks_; }

private:
    struct Grab {
        unsigned keycode = 0;
        unsigned modifiers = 0;  // X modifier mask without the lock keys
    };
    void readModifierMap();
    unsigned modifierMask(KeyModifiers modifiers) const;
    void ungrab(const Grab& grab);
    void readEvents();
    void watchEvents();
    void readLater();  // events Xlib has already queued wake no notifier

    std::unique_ptr<Connection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    PressHandler handler_;
    QMap<int, Grab> grabs_;
    std::vector<unsigned> lockMasks_;
    std::vector<unsigned> variants_;
    unsigned altMask_ = 0;
};

}  // namespace vz::x11
