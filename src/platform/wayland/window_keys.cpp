#include "platform/wayland/window_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace vz::wayland {

namespace {

// The unshifted keysym of a key whose shifted keysym is `keysym`.
std::uint32_t unshifted(std::uint32_t keysym) {
    if (keysym >= 'A' && keysym <= 'Z') return keysym + ('a' - 'A');
    // The digit row of a US layout: Shift+1 gives "!", and so on.
    static const char kShiftedDigits[] = ")!@#$%^&*(";
    for (int digit = 0; digit < 10; ++digit)
        if (keysym == std::uint32_t(kShiftedDigits[digit])) return std::uint32_t('0' + digit);
    return keysym;
}

}  // namespace

WindowKeys::WindowKeys() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

WindowKeys::~WindowKeys() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
}

KeyRegistration WindowKeys::registerKey(int id, const KeyCombination& keys) {
    held_.erase(id);
    if (keys.keysym == 0) return KeyRegistration::NoSuchKey;
    const KeyCombination wanted{unshifted(keys.keysym), keys.modifiers};
    for (const auto& [other, combination] : held_)
        if (combination == wanted) return KeyRegistration::HeldElsewhere;
    held_[id] = wanted;
    return KeyRegistration::Registered;
}

QString WindowKeys::limitation() const {
    return QStringLiteral(
        "Wayland lets no program see keys pressed in other programs' windows: the shortcuts work only "
        "while a Vivivoz window has the focus.");
}

KeyCombination WindowKeys::combinationOf(std::uint32_t keysym, Qt::KeyboardModifiers modifiers) {
    KeyCombination keys;
    keys.keysym = unshifted(keysym);
    if (modifiers & Qt::ShiftModifier) keys.modifiers |= KeyModifier::Shift;
    if (modifiers & Qt::ControlModifier) keys.modifiers |= KeyModifier::Ctrl;
    if (modifiers & Qt::AltModifier) keys.modifiers |= KeyModifier::Alt;
    return keys;
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
    // A press goes to one window first, then on to its widgets: watching
    // windows alone sees it once.
    if (event->type() != QEvent::KeyPress || !watched->isWindowType() || held_.empty()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->isAutoRepeat()) return false;
    const KeyCombination pressed = combinationOf(key->nativeVirtualKey(), key->modifiers());
    for (const auto& [id, combination] : held_) {
        if (!(combination == pressed)) continue;
        // The handler may give keys back: the loop is left first.
        const int hit = id;
        if (handler_) handler_(hit);
        return true;
    }
    return false;
}

}  // namespace vz::wayland
