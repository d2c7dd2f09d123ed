#include "core/controller/key_bindings.h"

#include "core/shortcuts/shortcut_keys.h"

#include <QTimer>

#include <algorithm>

namespace vz {

namespace {

const QString kCaptureAction = QStringLiteral("Capture an Image");

// Takes `shortcut` under `id`; key 0 only gives back what the id held.
// Returns why the combination does nothing: empty when it is held, or for
// no key.
QString takeKey(GlobalKeys* keys, int id, quint16 shortcut) {
    if (!keys) return shortcut == 0 ? QString() : QStringLiteral("this system offers no global keys");
    if (shortcut == 0) {
        keys->unregisterKey(id);
        return {};
    }
    switch (keys->registerKey(id, keyCombinationOf(shortcut))) {
        case KeyRegistration::Registered: return {};
        case KeyRegistration::HeldElsewhere:
            return QStringLiteral("another program or another shortcut of Vivivoz already holds it");
        case KeyRegistration::NoSuchKey:
            return QStringLiteral("this keyboard has no \"%1\" key").arg(shortcutToText(shortcut & shortcut::KeyMask));
        case KeyRegistration::KeptBySystem:
            return QStringLiteral(
                "the system keeps it for itself (Ctrl+Alt+F1 to F12 switch to the text consoles), "
                "so it never reaches Vivivoz");
    }
    return {};
}

QString notTakenLine(quint16 shortcut, const QString& what, const QString& reason) {
    return QStringLiteral("\"%1\" (%2): %3.").arg(shortcutToText(shortcut), what, reason);
}

}  // namespace

KeyCombination keyCombinationOf(quint16 shortcut) {
    KeyCombination keys;
    keys.keysym = shortcutKeysym(shortcut);
    if (shortcut & shortcut::Shift) keys.modifiers |= KeyModifier::Shift;
    if (shortcut & shortcut::Ctrl) keys.modifiers |= KeyModifier::Ctrl;
    if (shortcut & shortcut::Alt) keys.modifiers |= KeyModifier::Alt;
    return keys;
}

KeyBindings::KeyBindings(GlobalKeys* keys, Prompter& prompter, QObject* parent)
    : QObject(parent), keys_(keys), prompter_(prompter) {
    if (!keys_) return;
    keys_->setPressHandler([this](int id) {
        if (id == kCaptureKeyId) {
            emit capturePressed();
        } else if (id >= 1 && id <= kShortcutActionCount) {
            emit actionPressed(ShortcutAction(id - 1));
        }
    });
}

KeyBindings::~KeyBindings() {
    // The combinations go back to the system with the program.
    if (!keys_) return;
    keys_->setPressHandler(nullptr);
    keys_->unregisterAll();
}

void KeyBindings::setShortcutKeys(const ShortcutKeys& wanted) {
    const ShortcutKeys before = shortcutKeys_;
    shortcutKeys_ = wanted;
    // Changed keys go back first: a combination moving from one action to
    // another is free when the other takes it.
    for (int i = 0; i < kShortcutActionCount; ++i)
        if (keys_ && before[i] != wanted[i]) keys_->unregisterKey(i + 1);
    // What held keys cannot do here (empty: they work everywhere).
    const QString limitation = keys_ ? keys_->limitation() : QString();
    QStringList notTaken;
    for (int i = 0; i < kShortcutActionCount; ++i) {
        const int id = i + 1;
        QString& reason = notTakenReasons_[std::size_t(i)];
        reason.clear();
        if (wanted[i] == 0) continue;
        if (!keys_ || !keys_->isRegistered(id)) reason = takeKey(keys_, id, wanted[i]);
        if (!reason.isEmpty())
            notTaken.append(notTakenLine(wanted[i], QString::fromUtf8(shortcutActions()[i].label), reason));
        else if (keys_ && keys_->isRegistered(id))
            reason = limitation;  // held, with what it cannot do here
    }
    emit shortcutKeysChanged();
    const bool news = !notTaken.isEmpty() && notTaken != notTaken_;
    notTaken_ = notTaken;
    if (news) report(notTaken);
    // Said once: the shortcuts work, but not everywhere.
    const bool anyKey = std::any_of(wanted.begin(), wanted.end(), [](quint16 k) { return k != 0; });
    if (anyKey && !limitationTold_ && !limitation.isEmpty()) {
        limitationTold_ = true;
        QTimer::singleShot(0, this, [this, limitation] { prompter_.warn(limitation); });
    }
}

bool KeyBindings::taken(ShortcutAction action) const {
    return keys_ && shortcutKeys_[std::size_t(action)] != 0 && keys_->isRegistered(int(action) + 1);
}

void KeyBindings::setCaptureKey(quint16 key) {
    if (key == captureKey_) return;
    captureKey_ = key;
    emit captureKeyChanged(key);
    if (captureArmed_) takeCaptureKey();
}

void KeyBindings::toggleCaptureArmed(quint16 key) {
    setCaptureKey(key);
    if (key == 0) return;
    if (captureArmed_) {
        disarmCapture();
        return;
    }
    captureArmed_ = true;
    takeCaptureKey();
    emit captureArmedChanged(true);
}

void KeyBindings::disarmCapture() {
    if (!captureArmed_) return;
    captureArmed_ = false;
    if (keys_) keys_->unregisterKey(kCaptureKeyId);
    emit captureArmedChanged(false);
}

void KeyBindings::takeCaptureKey() {
    const QString reason = takeKey(keys_, kCaptureKeyId, captureKey_);
    if (!reason.isEmpty()) report({notTakenLine(captureKey_, kCaptureAction, reason)});
}

void KeyBindings::report(const QStringList& lines) {
    const QString text = QStringLiteral("These shortcuts could not be taken:\n\n%1").arg(lines.join(QLatin1Char('\n')));
    // From the event loop: the keys are also taken while the program starts
    // and from inside dialogs.
    QTimer::singleShot(0, this, [this, text] { prompter_.warn(text); });
}

}  // namespace vz
