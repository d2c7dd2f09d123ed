#pragma once
// The global keys the program holds: the ten shortcut actions under the ids
// 1..10 and the capture key under kCaptureKeyId. Keys that cannot be taken
// are told to the user once while they fail, with the reason.

#include "core/shortcuts/shortcut_actions.h"
#include "platform/platform.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

namespace vz {

class KeyBindings : public QObject {
    Q_OBJECT
public:
    static constexpr int kCaptureKeyId = 11;

    // `keys` may be null: the system offers no global keys.
    KeyBindings(GlobalKeys* keys, Prompter& prompter, QObject* parent = nullptr);
    ~KeyBindings() override;

    const ShortcutKeys& shortcutKeys() const { return shortcutKeys_; }
    // Takes `keys`: every changed combination is given back before the new
    // ones are taken, so that keys can move between actions. Unchanged keys
    // that are not held are tried again (their holder may have let go).
    void setShortcutKeys(const ShortcutKeys& keys);
    // The action's combination is held (false for no key).
    bool taken(ShortcutAction action) const;
    // Why the action's combination is not held, or what it cannot do where
    // it is held (a session that shows the program keys only in its own
    // windows); empty when it works everywhere, or when the action has no key.
    QString notTakenReason(ShortcutAction action) const { return notTakenReasons_[std::size_t(action)]; }

    quint16 captureKey() const { return captureKey_; }
    bool captureArmed() const { return captureArmed_; }
    // The capture key becomes `key` (taken again at once when armed).
    void setCaptureKey(quint16 key);
    // Start/Stop: takes `key`, then arms or disarms it; nothing more with no
    // key. Armed even when the combination cannot be taken, as the user
    // asked; the user is told that it does nothing.
    void toggleCaptureArmed(quint16 key);
    void disarmCapture();

signals:
    void shortcutKeysChanged();  // keys or what of them is held
    void captureKeyChanged(quint16 key);
    void captureArmedChanged(bool armed);
    void actionPressed(vz::ShortcutAction action);
    void capturePressed();

private:
    void report(const QStringList& lines);
    void takeCaptureKey();

    GlobalKeys* keys_;
    Prompter& prompter_;
    ShortcutKeys shortcutKeys_{};
    QStringList notTaken_;  // as last reported
    std::array<QString, kShortcutActionCount> notTakenReasons_;
    quint16 captureKey_ = 0;
    bool captureArmed_ = false;
    bool limitationTold_ = false;
};

// The combination the global keys take for a stored shortcut value.
KeyCombination keyCombinationOf(quint16 shortcut);

}  // namespace vz
