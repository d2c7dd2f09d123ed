// The tray form's "Auto Hide Toolbar" command and the auto-hide tick.
#include "app/app.h"
#include "shell/autohide_fade.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"

#include <QAction>

namespace vz {

void TStartForm::AutoHide1Click() {
    AppState& s = app_.state;
    if (AutoHide1->isChecked()) {
        AutoHide1->setChecked(false);
        Timer2.stop();
        s.ToolbarAlpha = autohide::Opaque;
        if (app_.mainForm) app_.mainForm->setOpacity(autohide::Opaque);
    } else {
        AutoHide1->setChecked(true);
    }

    if (!AutoHide1->isChecked()) {
        Timer2.stop();
        return;
    }
    Timer2.start();
    if (s.AutoHideHintOff) return;
    bool dontShowAgain = false;
    const bool closedWithButton = app_.platform.prompter->informWithCheckBox(
        QStringLiteral("Vivivoz"),
        QStringLiteral(" \n   Move cursor to upper left corner to show hidden Toolbar.          "),
        QStringLiteral("Don't show me again."), dontShowAgain);
    if (closedWithButton) s.AutoHideHintOff = dontShowAgain;
}

void TStartForm::Timer2Timer() {
    try {
        TMainForm* bar = app_.mainForm.get();
        if (!bar || !AutoHide1->isChecked()) return;
        const QPoint screen = app_.platform.pointer->position();
        // geometry() of a top-level window is its client area on the screen.
        const QPoint client = screen - bar->geometry().topLeft();
        const auto r = autohide::autoHideTick(app_.state.ToolbarAlpha, client, screen, bar->size());
        app_.state.ToolbarAlpha = r.alpha;
        if (r.opacityChanged) bar->setOpacity(r.opacity);
    } catch (...) {
        // A failed tick changes nothing; the next one runs normally.
    }
}

}  // namespace vz
