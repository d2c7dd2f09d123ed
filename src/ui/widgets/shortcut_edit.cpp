#include "ui/widgets/shortcut_edit.h"

#include "core/shortcuts/shortcut_keys.h"
#include "platform/platform.h"

#include <QKeyEvent>

namespace vz {

namespace {

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta ||
           key == Qt::Key_AltGr || key == Qt::Key_Super_L || key == Qt::Key_Super_R;
}

QString modifierText(Qt::KeyboardModifiers m) {
    QString text;
    if (m & Qt::ShiftModifier) text += QStringLiteral("Shift+");
    if (m & Qt::ControlModifier) text += QStringLiteral("Ctrl+");
    if (m & Qt::AltModifier) text += QStringLiteral("Alt+");
    return text;
}

}  // namespace

ShortcutEdit::ShortcutEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true);  // typed text never lands in it: every key is recorded
    setContextMenuPolicy(Qt::NoContextMenu);
}

void ShortcutEdit::setShortcut(quint16 shortcut) {
    shortcut_ = shortcut;
    setText(shortcutToText(shortcut));
}

void ShortcutEdit::setNotTaken(const QString& reason) {
    notTaken_ = !reason.isEmpty();
    setStyleSheet(notTaken_ ? QStringLiteral("QLineEdit { background: rgb(255, 200, 200); }") : QString());
    setToolTip(notTaken_ ? QStringLiteral("Pressing this combination does nothing: %1.").arg(reason) : QString());
}

bool ShortcutEdit::event(QEvent* e) {
    // Tab and Backtab are keys to record here, not focus moves.
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();  // no window shortcut takes a key meant for this box
        return true;
    }
    return QLineEdit::event(e);
}

void ShortcutEdit::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    Qt::KeyboardModifiers mods = e->modifiers();
    if (isModifierKey(key)) {
        showModifiers(mods);
        return;
    }
    const Qt::KeyboardModifiers plain = mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (plain == Qt::NoModifier && key == Qt::Key_Escape) {
        e->ignore();  // Esc alone goes to the dialog (its Cancel)
        return;
    }
    if (plain == Qt::NoModifier && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
        setShortcut(0);
        emit shortcutEdited(0);
        return;
    }
    // Shift+Tab arrives as Backtab.
    const int recorded = key == Qt::Key_Backtab ? int(Qt::Key_Tab) : key;
    std::vector<std::uint32_t> keysyms;
    if (keyboard_ && e->nativeScanCode() != 0) keysyms = keyboard_->keysymsOfKey(e->nativeScanCode());
    const quint16 value = shortcutOfKeyPress(keysyms, recorded, mods);
    if (value == 0) {
        setText(shortcutToText(shortcut_));  // a key without a name: the box keeps its value
        return;
    }
    setShortcut(value);
    emit shortcutEdited(value);
}

void ShortcutEdit::keyReleaseEvent(QKeyEvent* e) {
    // A modifier let go without a key: the box shows its value again, or
    // the modifiers still held.
    if (isModifierKey(e->key())) showModifiers(e->modifiers());
}

void ShortcutEdit::focusOutEvent(QFocusEvent* e) {
    setText(shortcutToText(shortcut_));
    QLineEdit::focusOutEvent(e);
}

void ShortcutEdit::showModifiers(Qt::KeyboardModifiers mods) {
    const QString prefix = modifierText(mods);
    setText(prefix.isEmpty() ? shortcutToText(shortcut_) : prefix);
}

}  // namespace vz
