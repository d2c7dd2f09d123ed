#pragma once
// Message boxes and beeps on the real desktop.

#include "platform/platform.h"

namespace vz {

class QtPrompter : public Prompter {
public:
    void beep(Icon icon) override;
    Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon, Answer defaultAnswer) override;
    bool informWithCheckBox(const QString& caption, const QString& text, const QString& checkBoxText,
                            bool& checked) override;
    QString chooseOpenFile(const QString& filter, const QString& defaultSuffix) override;
    QStringList chooseOpenFiles(const QString& filter) override;
    QString chooseSaveFile(const QString& filter, const QString& defaultSuffix, bool confirmOverwrite) override;
};

}  // namespace vz
