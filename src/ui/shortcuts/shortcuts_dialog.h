#pragma once
// ShortcutsDialog: assigns a global key combination to each of the ten
// actions, stores them and prints a list of them. A view of the
// controller, which holds the keys in force.

#include "core/controller/controller.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QPrinter;
class QPushButton;

namespace vz {

class ShortcutEdit;

// Prints `lines` as plain 12-point text, one line a text line, new pages as
// needed. False when the printer could not be started or failed.
bool printTextLines(QPrinter& printer, const QStringList& lines);

class ShortcutsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ShortcutsDialog(Controller& controller, Platform& platform, QWidget* parent = nullptr);

    // The entry boxes, indexed by ShortcutAction.
    std::array<ShortcutEdit*, kShortcutActionCount> boxes{};
    std::array<QLabel*, kShortcutActionCount> labels{};
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* printButton = nullptr;

    // The boxes' values.
    ShortcutKeys enteredKeys() const;
    // Reads the stored keys again (they are taken) and shows them; the
    // dialog moves to the middle of the first monitor. Runs at each activation.
    void reload();
    // OK: takes and stores the boxes' keys, then closes.
    void onOk();
    // Print Shortcuts: the printer dialog, then the list of the keys in force.
    void onPrint();
    // Sets up the printer; false when the user cancels. The printer dialog
    // unless a test puts its own here.
    std::function<bool(QPrinter&)> choosePrinter;

protected:
    void changeEvent(QEvent* event) override;

private:
    void showKeys();
    Controller& controller_;
    Platform& platform_;
};

}  // namespace vz
