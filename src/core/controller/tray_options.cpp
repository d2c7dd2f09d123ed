#include "core/controller/tray_options.h"

#include "core/settings/autostart.h"

#include <QFileInfo>

namespace vz {

void TrayOptions::setAutoHide(bool on) {
    autoHide_ = on;
    emit autoHideChanged(on);
}

void TrayOptions::toggleAutoHide() {
    setAutoHide(!autoHide_);
    if (!autoHide_ || autoHideHintOff_) return;
    bool dontShowAgain = false;
    const bool closedWithButton = platform_.prompter->informWithCheckBox(
        Prompter::kCaption, QStringLiteral(" \n   Move cursor to upper left corner to show hidden Toolbar.          "),
        QStringLiteral("Don't show me again."), dontShowAgain);
    if (closedWithButton) autoHideHintOff_ = dontShowAgain;
}

bool TrayOptions::loadAtStartup() const { return QFileInfo::exists(autostartFilePath(platform_.paths->configHome())); }

void TrayOptions::toggleLoadAtStartup() {
    const QString configHome = platform_.paths->configHome();
    QString error;
    const bool ok = loadAtStartup() ? disableAutostart(configHome, &error)
                                    : enableAutostart(configHome, platform_.paths->executablePath(), &error);
    if (!ok) platform_.prompter->warn(error);
    emit loadAtStartupChanged(loadAtStartup());
}

bool TrayOptions::askSimulationQuestion() {
    if (simulationPromptOpen_) return false;
    simulationPromptOpen_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{simulationPromptOpen_};
    Prompter& prompter = *platform_.prompter;
    prompter.beep(Prompter::Icon::Question);
    return prompter.ask(
               Prompter::kCaption, QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?"),
               Prompter::Buttons::YesNo, Prompter::Icon::Question, Prompter::Answer::Yes) == Prompter::Answer::Yes;
}

}  // namespace vz
