// The toolbar's settings load and save: moves the values of Vivivoz.cfg to
// and from the menu marks, the held values and the windows' controls.

#include "shell/mainunit.h"

#include "app/app.h"
#include "display/uoptions.h"
#include "shell/settings_file.h"
#include "shell/ustartform.h"
#include "widgets/onoff_checkbox.h"
#include "widgets/spin_edit.h"

#include <QAction>

namespace vz {

namespace {
SettingsEnvironment environmentOf(const App& app) {
    return SettingsEnvironment{app.primaryWidth(), app.primaryHeight(), app.platform.paths->documentsDir(),
                               app.state.zacetnamapa};
}
}  // namespace

void TMainForm::LoadSettings() {
    AppState& s = app_.state;
    TStartForm& tray = *app_.startForm;
    IniDocument doc;
    doc.load(app_.settingsPath());
    const Settings v = readSettings(doc, environmentOf(app_));

    s.MouseArea = Rect4{v.Cursorx0, v.Cursory0, v.Cursorx9, v.Cursory9};
    if (v.load) tray.LoadatStartup->setChecked(*v.load);
    move(v.Levo, v.Gor);
    s.CaptureCounter = v.ImgCounter;
    s.optLeft = v.optLeft;
    s.optTop = v.optTop;
    s.AutoHideHintOff = v.optAutohideagain;
    // The load only ever switches these two marks on.
    if (v.optAutohide) tray.AutoHide1->setChecked(true);
    if (v.OptCursorLimit) tray.LockKurzor->setChecked(true);
    tray.Timer1.start();
    s.optShowcursor = v.optShowcursor;
    s.optShowRedPoint = v.optShowRedPoint;
    s.opScaleValue = v.opScaleValue;
    s.refreshRate = v.refreshRate;
    s.MaxUpdateRate = v.MAXrefreshRate;
    s.SavedViewMode = v.Daf;
    s.CaptureFolder = v.ImageSavePath;
    s.CaptureHotKeyText = v.HotKey;
    s.CaptureBeep = v.CbBeep;
}

bool TMainForm::SaveSettings(QString* error) {
    const AppState& s = app_.state;
    const TStartForm& tray = *app_.startForm;
    const TFoptions& dialog = *app_.foptions;
    // The current content is read again so that keys written by others stay.
    IniDocument doc;
    doc.load(app_.settingsPath());

    Settings v;
    v.Levo = x();
    v.Gor = y();
    v.optAutohide = tray.AutoHide1->isChecked();
    v.Cursorx0 = s.MouseArea.Left;
    v.Cursorx9 = s.MouseArea.Right;
    v.Cursory0 = s.MouseArea.Top;
    v.Cursory9 = s.MouseArea.Bottom;
    v.OptCursorLimit = tray.LockKurzor->isChecked();
    v.ImgCounter = s.CaptureCounter;
    v.optAutohideagain = s.AutoHideHintOff;
    v.load = tray.LoadatStartup->isChecked();
    v.opScaleValue = dialog.SpinScaleVrednost->value();
    v.optShowcursor = dialog.Showcursor1->isChecked();
    v.optShowRedPoint = dialog.RedPOINT->isChecked();
    // With no view-mode box ticked the loaded value is kept.
    v.Daf = dialog.tickedViewMode() != 0 ? dialog.tickedViewMode() : s.SavedViewMode;
    v.optLeft = dialog.x();
    v.optTop = dialog.y();
    v.refreshRate = dialog.spinrefresh->value();
    v.MAXrefreshRate = s.MaxUpdateRate;
    v.ImageSavePath = s.CaptureFolder;
    v.HotKey = s.CaptureHotKeyText;
    v.CbBeep = s.CaptureBeep;
    writeSettings(doc, v);
    return doc.save(app_.settingsPath(), error);
}

}  // namespace vz
