#include "ui/widgets/qt_prompter.h"

#include "ui/widgets/stacking.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace vz {

namespace {

QMessageBox::Icon toQt(Prompter::Icon icon) {
    switch (icon) {
        case Prompter::Icon::Information: return QMessageBox::Information;
        case Prompter::Icon::Question: return QMessageBox::Question;
        case Prompter::Icon::Warning: return QMessageBox::Warning;
        case Prompter::Icon::Error: return QMessageBox::Critical;
        case Prompter::Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtPrompter::beep(Icon) { QApplication::beep(); }

Prompter::Answer QtPrompter::ask(const QString& caption, const QString& text, Buttons buttons, Icon icon,
                                 Answer defaultAnswer) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::NoButton, stacking::dialogOwner());
    if (buttons == Buttons::YesNo) {
        QPushButton* yes = box.addButton(QMessageBox::Yes);
        QPushButton* no = box.addButton(QMessageBox::No);
        box.setDefaultButton(defaultAnswer == Answer::No ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Answer::Yes : Answer::No;
    }
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.exec();
    return Answer::Ok;
}

bool QtPrompter::informWithCheckBox(const QString& caption, const QString& text, const QString& checkBoxText,
                                    bool& checked) {
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::NoButton, stacking::dialogOwner());
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    auto* check = new QCheckBox(checkBoxText);
    check->setChecked(checked);
    box.setCheckBox(check);  // the box takes ownership
    box.exec();
    if (box.clickedButton() != ok) return false;
    checked = check->isChecked();
    return true;
}

QString QtPrompter::chooseOpenFile(const QString& filter, const QString& defaultSuffix) {
    QFileDialog dialog(stacking::dialogOwner(), QStringLiteral("Open"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QStringList QtPrompter::chooseOpenFiles(const QString& filter) {
    QFileDialog dialog(stacking::dialogOwner(), QStringLiteral("Open"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

QString QtPrompter::chooseSaveFile(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite) {
    QFileDialog dialog(stacking::dialogOwner(), QStringLiteral("Save As"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

}  // namespace vz
