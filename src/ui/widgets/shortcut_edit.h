#pragma once
// A box that records a key combination as it is pressed: modifiers held
// alone show as "Ctrl+" until a key completes them; Backspace or Delete
// without a modifier empties the box, Esc alone is left to the dialog. The
// value is the stored 16-bit form.

#include <QLineEdit>

namespace vz {

class GlobalKeys;

class ShortcutEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ShortcutEdit(QWidget* parent = nullptr);

    quint16 shortcut() const { return shortcut_; }
    void setShortcut(quint16 shortcut);
    // Where the box learns which key of the keyboard was pressed, so that it
    // records the key (Shift+1) and not the symbol Shift gives it ("!").
    // Without it, or for a key it does not know, the box takes Qt's key.
    void setKeyboard(const GlobalKeys* keyboard) { keyboard_ = keyboard; }
    // Marks the box as holding a combination that does nothing, `reason`
    // saying why (it goes into the box's hint); empty clears the mark.
    void setNotTaken(const QString& reason);
    bool notTaken() const { return notTaken_; }

signals:
    void shortcutEdited(quint16 shortcut);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showModifiers(Qt::KeyboardModifiers modifiers);
    quint16 shortcut_ = 0;
    bool notTaken_ = false;
    const GlobalKeys* keyboard_ = nullptr;
};

}  // namespace vz
