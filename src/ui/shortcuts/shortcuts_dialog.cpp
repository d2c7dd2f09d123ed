#include "ui/shortcuts/shortcuts_dialog.h"

#include "ui/widgets/background.h"
#include "ui/widgets/look.h"
#include "ui/widgets/shortcut_edit.h"
#include "ui/widgets/ui_font.h"

#include <QDateTime>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace vz {

namespace {

constexpr int kClientWidth = 829;
constexpr int kClientHeight = 436;
const QColor kBackground = look::kPanel;

}  // namespace

bool printTextLines(QPrinter& printer, const QStringList& lines) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    QFont font = painter.font();
    font.setPointSize(12);
    font.setBold(false);
    font.setItalic(false);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const int pageHeight = painter.device()->height();
    int y = 0;
    for (const QString& line : lines) {
        if (y > 0 && y + metrics.lineSpacing() > pageHeight) {
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            y = 0;
        }
        painter.drawText(0, y + metrics.ascent(), line);
        y += metrics.lineSpacing();
    }
    return painter.end();
}

ShortcutsDialog::ShortcutsDialog(Controller& controller, Platform& platform, QWidget* parent)
    : QDialog(parent), controller_(controller), platform_(platform) {
    setWindowTitle(QStringLiteral("Vivivoz - Create Shortcuts"));
    setFixedSize(kClientWidth, kClientHeight);
    fillBackground(this, kBackground);

    panelLabel(QStringLiteral("Shortcuts"), this, QRect(24, 16, 300, 28), 14, true);
    auto place = [this](ShortcutAction action, int column, int row) {
        const int x = column == 0 ? 40 : 440;
        const int y = 70 + row * 56;
        const auto i = std::size_t(action);
        labels[i] =
            panelLabel(QString::fromUtf8(shortcutActionInfo(action).label), this, QRect(x, y, 360, 20), 9, false);
        boxes[i] = new ShortcutEdit(this);
        boxes[i]->setKeyboard(platform_.globalKeys.get());
        boxes[i]->setGeometry(x, y + 22, 330, 24);
        boxes[i]->setAccessibleName(labels[i]->text());
    };
    for (int row = 0; row < 5; ++row) {
        place(kShortcutLeftColumn[row], 0, row);
        place(kShortcutRightColumn[row], 1, row);
    }

    printButton = panelButton(QStringLiteral("Print Shortcuts"), this, QRect(40, kClientHeight - 56, 140, 32));
    okButton = panelButton(QStringLiteral("OK"), this, QRect(kClientWidth - 260, kClientHeight - 56, 100, 32));
    cancelButton = panelButton(QStringLiteral("Cancel"), this, QRect(kClientWidth - 140, kClientHeight - 56, 100, 32));

    connect(okButton, &QPushButton::clicked, this, &ShortcutsDialog::onOk);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(printButton, &QPushButton::clicked, this, &ShortcutsDialog::onPrint);
    connect(&controller_.keys(), &KeyBindings::shortcutKeysChanged, this, &ShortcutsDialog::showKeys);

    choosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    showKeys();
}

ShortcutKeys ShortcutsDialog::enteredKeys() const {
    ShortcutKeys keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = boxes[i]->shortcut();
    return keys;
}

void ShortcutsDialog::showKeys() {
    const ShortcutKeys& keys = controller_.keys().shortcutKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        boxes[i]->setShortcut(keys[i]);
        boxes[i]->setNotTaken(controller_.keys().notTakenReason(ShortcutAction(i)));
    }
}

void ShortcutsDialog::reload() {
    controller_.reloadShortcutKeys();
    showKeys();
    const QRect first = controller_.screens().desk().logicalPrimary();
    move(first.left() + first.width() / 2 - frameGeometry().width() / 2, y());
}

void ShortcutsDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) reload();
    QDialog::changeEvent(event);
}

void ShortcutsDialog::onOk() {
    QString error;
    if (!controller_.saveShortcutKeys(enteredKeys(), &error)) {
        platform_.prompter->error(error);
    }
    accept();
}

void ShortcutsDialog::onPrint() {
    QPrinter printer;
    if (!choosePrinter || !choosePrinter(printer)) return;
    const QStringList lines = shortcutPrintout(controller_.keys().shortcutKeys(),
                                               shortcutPrintoutStamp(QDateTime::currentDateTime(), QLocale::system()));
    if (printTextLines(printer, lines)) return;
    platform_.prompter->error(shortcutPrintErrorText());
}

}  // namespace vz
