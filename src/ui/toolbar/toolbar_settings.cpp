// The toolbar's settings load and save: moves the values of Vivivoz.cfg to
// and from the menu marks, the held values and the windows' controls.

#include "ui/toolbar/toolbar.h"

#include "app/app.h"
#include "ui/settings/settings_dialog.h"
#include "core/settings/settings_file.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"

#include <QAction>

namespace vz {

namespace {
SettingsEnvironment environmentOf(const App& app) {
    return SettingsEnvironment{app.primaryWidth(), app.primaryHeight(), app.platform.paths->documentsDir(),
                               app.state.configFolder};
}
}  // namespace

void Toolbar::LoadSettings() {
    ProgramState& s = app_.state;
    TrayIcon& tray = *app_.tray;
    IniDocument doc;
    doc.load(app_.settingsPath());
    const Settings v = readSettings(doc, environmentOf(app_));

    s.mouseArea = Rect4{v.Cursorx0, v.Cursory0, v.Cursorx9, v.Cursory9};
    if (v.load) tray.loadAtStartupAction->setChecked(*v.load);
    move(v.Levo, v.Gor);
    s.captureCounter = v.ImgCounter;
    s.optLeft = v.optLeft;
    s.optTop = v.optTop;
    s.autoHideHintOff = v.optAutohideagain;
    // The load only ever switches these two marks on.
    if (v.optAutohide) tray.autoHideAction->setChecked(true);
    if (v.OptCursorLimit) tray.cursorLockAction->setChecked(true);
    tray.cursorLockTimer.start();
    s.optShowcursor = v.optShowcursor;
    s.optShowRedPoint = v.optShowRedPoint;
    s.opScaleValue = v.opScaleValue;
    s.refreshRate = v.refreshRate;
    s.maxUpdateRate = v.MAXrefreshRate;
    s.savedViewMode = v.Daf;
    s.captureFolder = v.ImageSavePath;
    s.captureHotKeyText = v.HotKey;
    s.captureBeep = v.CbBeep;
}

bool Toolbar::SaveSettings(QString* error) {
    const ProgramState& s = app_.state;
    const TrayIcon& tray = *app_.tray;
    const SettingsDialog& dialog = *app_.settingsDialog;
    // The current content is read again so that keys written by others stay.
    IniDocument doc;
    doc.load(app_.settingsPath());

    Settings v;
    v.Levo = x();
    v.Gor = y();
    v.optAutohide = tray.autoHideAction->isChecked();
    v.Cursorx0 = s.mouseArea.Left;
    v.Cursorx9 = s.mouseArea.Right;
    v.Cursory0 = s.mouseArea.Top;
    v.Cursory9 = s.mouseArea.Bottom;
    v.OptCursorLimit = tray.cursorLockAction->isChecked();
    v.ImgCounter = s.captureCounter;
    v.optAutohideagain = s.autoHideHintOff;
    v.load = tray.loadAtStartupAction->isChecked();
    v.opScaleValue = dialog.scaleSpin->value();
    v.optShowcursor = dialog.showCursorBox->isChecked();
    v.optShowRedPoint = dialog.redPointBox->isChecked();
    // With no view-mode box ticked the loaded value is kept.
    v.Daf = dialog.tickedViewMode() != 0 ? dialog.tickedViewMode() : s.savedViewMode;
    v.optLeft = dialog.x();
    v.optTop = dialog.y();
    v.refreshRate = dialog.updateRateSpin->value();
    v.MAXrefreshRate = s.maxUpdateRate;
    v.ImageSavePath = s.captureFolder;
    v.HotKey = s.captureHotKeyText;
    v.CbBeep = s.captureBeep;
    writeSettings(doc, v);
    return doc.save(app_.settingsPath(), error);
}

}  // namespace vz
