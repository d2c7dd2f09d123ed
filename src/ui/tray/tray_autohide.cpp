// The tray form's "Auto Hide Toolbar" command and the auto-hide tick.
#include "app/app.h"
#include "core/controller/autohide_fade.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"

#include <QAction>

namespace vz {

void TrayIcon::onAutoHideAction() {
    ProgramState& s = app_.state;
    if (autoHideAction->isChecked()) {
        autoHideAction->setChecked(false);
        autoHideTimer.stop();
        s.toolbarAlpha = autohide::Opaque;
        if (app_.toolbar) app_.toolbar->setOpacity(autohide::Opaque);
    } else {
        autoHideAction->setChecked(true);
    }

    if (!autoHideAction->isChecked()) {
        autoHideTimer.stop();
        return;
    }
    autoHideTimer.start();
    if (s.autoHideHintOff) return;
    bool dontShowAgain = false;
    const bool closedWithButton = app_.platform.prompter->informWithCheckBox(
        QStringLiteral("Vivivoz"),
        QStringLiteral(" \n   Move cursor to upper left corner to show hidden Toolbar.          "),
        QStringLiteral("Don't show me again."), dontShowAgain);
    if (closedWithButton) s.autoHideHintOff = dontShowAgain;
}

void TrayIcon::autoHideTick() {
    try {
        Toolbar* bar = app_.toolbar.get();
        if (!bar || !autoHideAction->isChecked()) return;
        const QPoint screen = app_.platform.pointer->position();
        // geometry() of a top-level window is its client area on the screen.
        const QPoint client = screen - bar->geometry().topLeft();
        const auto r = autohide::autoHideTick(app_.state.toolbarAlpha, client, screen, bar->size());
        app_.state.toolbarAlpha = r.alpha;
        if (r.opacityChanged) bar->setOpacity(r.opacity);
    } catch (...) {
        // A failed tick changes nothing; the next one runs normally.
    }
}

}  // namespace vz
