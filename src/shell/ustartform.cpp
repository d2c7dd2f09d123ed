#include "shell/ustartform.h"

#include "app/app.h"
#include "app/features.h"
#include "capture/capture_cycle.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/autostart.h"
#include "shell/mainunit.h"
#include "shell/uabout.h"
#include "version.h"
#include "widgets/glyphs.h"
#include "widgets/onoff_checkbox.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QUrl>

namespace vz {

namespace {
QAction* addItem(QMenu* menu, const char* caption, bool enabled = true, bool checkable = false) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setEnabled(enabled);
    a->setCheckable(checkable);
    return a;
}
}  // namespace

TStartForm::TStartForm(App& app) : app_(app) {
    // The main window is never shown: it only owns the tray icon, the menu and two timers.
    setWindowTitle(QStringLiteral("Vivivoz"));
    hide();

    PopupA = new QMenu(this);
    QMenu* quick = PopupA->addMenu(QStringLiteral("Quick start mirroring"));
    S1 = addItem(quick, "Desktop", true, true);
    S2 = addItem(quick, "Part of Desktop", features::AreaSelection, true);
    S3 = addItem(quick, "Single Application", features::WindowPicker, true);
    S4 = addItem(quick, "Clipboard", features::ClipboardSource, true);
    QMenu* slides = quick->addMenu(QStringLiteral("Slideshow"));
    S5 = slides->menuAction();
    S5->setCheckable(true);
    S5->setEnabled(features::Slideshow);
    S6 = addItem(slides, "Open Slideshow", features::Slideshow, true);
    S7 = addItem(slides, "Make Slideshow", features::Slideshow, true);
    ScrollText1 = addItem(quick, "Scroll Text", features::ScrollText);

    QMenu* view = PopupA->addMenu(QStringLiteral("View Mode"));
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);  // only the program sets the marks
    const char* modes[] = {"", "Normal", "Stretch", "Optimal", "Resize", "Scale"};
    for (int n = 1; n <= 5; ++n) {
        vm[n] = addItem(view, modes[n], true, true);
        group->addAction(vm[n]);
    }
    PopupA->addSeparator();
    ShowSecondMonitor1 = addItem(PopupA, "Enable Secondary Monitor", true, true);
    CaptureImage1 = addItem(PopupA, "Show Preview", true, true);
    Showtoolbar1 = addItem(PopupA, "Show Toolbar", true, true);
    AutoHide1 = addItem(PopupA, "Auto Hide Toolbar", true, true);
    PopupA->addSeparator();
    CaptureanImage1 = addItem(PopupA, "Capture an Image", features::ImageCapture);
    LockKurzor = addItem(PopupA, "Lock / Unlock cursor onto screen", features::CursorLock, true);
    QMenu* mouseArea = PopupA->addMenu(QStringLiteral("Set Mouse Area"));
    mouseArea->menuAction()->setEnabled(features::CursorLock);
    Selectscreenarea1 = addItem(mouseArea, "Select Screen Area", features::CursorLock && features::AreaSelection);
    Primarymonitor1 = addItem(mouseArea, "Primary Monitor", features::CursorLock);
    PopupA->addSeparator();
    StopAll1 = addItem(PopupA, "Stop All");
    ResetAllOptions1 = addItem(PopupA, "Reset All Settings");
    LoadatStartup = addItem(PopupA, "Load at Startup", true, true);
    PopupA->addSeparator();
    Options1 = addItem(PopupA, "Settings");
    CreateKeyboardShortcuts1 = addItem(PopupA, "Shortcuts", features::Shortcuts);
    MonitorDetails1 = addItem(PopupA, "Monitor Details", features::MonitorDetails);
    PopupA->addSeparator();
    VisitWebsite1 = addItem(PopupA, "Visit the Vivivoz website");
    About1 = addItem(PopupA, "About");
    PopupA->addSeparator();
    Close1 = addItem(PopupA, "Exit");

    // The marks of checkable items change only through the handlers below.
    auto on = [this](QAction* a, void (TStartForm::*handler)()) {
        connect(a, &QAction::triggered, this, [this, a, handler] {
            a->setChecked(!a->isChecked());  // undo Qt's own toggle; the handler decides
            (this->*handler)();
        });
    };
    on(S1, &TStartForm::S1Click);
    on(ShowSecondMonitor1, &TStartForm::ShowSecondMonitor1Click);
    on(CaptureImage1, &TStartForm::CaptureImage1Click);
    on(Showtoolbar1, &TStartForm::Showtoolbar1Click);
    on(AutoHide1, &TStartForm::AutoHide1Click);
    on(LoadatStartup, &TStartForm::LoadatStartupClick);
    for (int n = 1; n <= 5; ++n)
        connect(vm[n], &QAction::triggered, this, [this, n] {
            vm[n]->setChecked(!vm[n]->isChecked());
            vmClick(n);
        });
    connect(StopAll1, &QAction::triggered, this, &TStartForm::StopAll1Click);
    connect(ResetAllOptions1, &QAction::triggered, this, &TStartForm::ResetAllOptions1Click);
    connect(Options1, &QAction::triggered, this, &TStartForm::Options1Click);
    connect(VisitWebsite1, &QAction::triggered, this, &TStartForm::VisitWebsite1Click);
    connect(About1, &QAction::triggered, this, &TStartForm::About1Click);
    connect(Close1, &QAction::triggered, this, &TStartForm::Close1Click);

    // MenuOpen covers the time from the menu's opening to its closing.
    connect(PopupA, &QMenu::aboutToShow, this, &TStartForm::PopupAPopup);
    connect(PopupA, &QMenu::aboutToHide, this, [this] { app_.state.MenuOpen = false; });

    Timer2.setInterval(200);
    connect(&Timer2, &QTimer::timeout, this, &TStartForm::Timer2Timer);
    Timer1.setInterval(250);
}

TStartForm::~TStartForm() {
    if (tray) tray->hide();
}

bool TStartForm::addTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    tray = new QSystemTrayIcon(glyphs::trayIcon(), this);
    tray->setContextMenu(PopupA);
    connect(tray, &QSystemTrayIcon::activated, this, &TStartForm::MYNOTIFY);
    tray->show();
    return true;
}

void TStartForm::MYNOTIFY(QSystemTrayIcon::ActivationReason reason) {
    // The right button opens the context menu (Qt does that itself).
    if (reason == QSystemTrayIcon::Trigger) trayLeftClick();
}

void TStartForm::trayLeftClick() {
    AppState& s = app_.state;
    TFmonitor& out = *app_.fmonitor;
    if (!out.isVisible()) {
        if (app_.monitorCount() > 1) out.ShowOnSecondary();
        if (s.SimulationPromptOpen) return;
        if (app_.monitorCount() == 1) {
            if (!out.askSimulationQuestion()) return;
            out.ShowSimulated();
        }
    }
    ShowSecondMonitor1->setChecked(true);
    if (!s.ToolbarShown) app_.mainForm->show();
    s.ToolbarShown = true;
    app_.foptions->bringUp();
}

void TStartForm::PopupAPopup() {
    app_.state.MenuOpen = true;
    ShowSecondMonitor1->setChecked(app_.fmonitor->isVisible());
    CaptureImage1->setChecked(app_.fslika->isVisible());
    Showtoolbar1->setChecked(app_.mainForm->isVisible());
    BrisiChekS();
    QAction* marks[] = {nullptr, S1, S2, S3, S4, S6, S7};
    const int m = app_.state.MenuSource;
    if (m >= 1 && m <= 6) marks[m]->setChecked(true);
}

void TStartForm::BrisiChekS() {
    for (QAction* a : {S1, S2, S3, S4, S5, S6, S7}) a->setChecked(false);
}

void TStartForm::resetVM() {
    for (int n = 1; n <= 5; ++n) vm[n]->setChecked(false);
}

void TStartForm::ensureOutputUp() {
    if (!app_.fmonitor->isVisible()) {
        app_.foptions->bcMonitor->setChecked(true);
        app_.foptions->bcMonitorClick();
    }
    if (app_.fmonitor->isVisible()) ShowSecondMonitor1->setChecked(true);
}

void TStartForm::S1Click() {
    BrisiChekS();
    S1->setChecked(true);
    ensureOutputUp();
    app_.foptions->SBMonitorClick();
    app_.mainForm->xiTekanjeClick();
}

void TStartForm::vmClick(int n) {
    app_.state.ViewMode = n;
    StartKlikyoom();
}

void TStartForm::StartKlikyoom() {
    const int n = app_.state.ViewMode;
    app_.foptions->tickViewModeBox(n);
    app_.fmonitor->yoom();
    resetVM();
    if (n >= 1 && n <= 5) vm[n]->setChecked(true);
}

void TStartForm::ShowSecondMonitor1Click() {
    AppState& s = app_.state;
    TFmonitor& out = *app_.fmonitor;
    if (app_.monitorCount() > 1) {
        if (out.isVisible()) {
            out.hide();
            ShowSecondMonitor1->setChecked(false);
        } else {
            // The user asked for the output: tick the dialog's box before its handler runs.
            app_.foptions->bcMonitor->setChecked(true);
            app_.foptions->bcMonitorClick();
            ShowSecondMonitor1->setChecked(out.isVisible());
        }
        return;
    }
    if (s.SimulationPromptOpen) return;
    if (out.isVisible()) {
        out.hide();
        ShowSecondMonitor1->setChecked(false);
    } else if (out.askSimulationQuestion()) {
        out.show();
        ShowSecondMonitor1->setChecked(true);
    }
}

void TStartForm::CaptureImage1Click() {
    QWidget* w = app_.fslika.get();
    w->setVisible(!w->isVisible());
    CaptureImage1->setChecked(w->isVisible());
}

void TStartForm::Showtoolbar1Click() {
    QWidget* w = app_.mainForm.get();
    w->setVisible(!w->isVisible());
    Showtoolbar1->setChecked(w->isVisible());
}

void TStartForm::StopAll1Click() { app_.foptions->sbStopClick(); }

void TStartForm::ResetAllOptions1Click() {
    Prompter& prompter = *app_.platform.prompter;
    prompter.beep(Prompter::Icon::Warning);
    const auto answer = prompter.ask(QStringLiteral("Vivivoz"),
                                     QStringLiteral("All settings will be reset to defaults. Do you want to continue?"),
                                     Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    if (answer != Prompter::Answer::Yes) return;
    QFile::remove(app_.settingsPath());
    // Defaults everywhere: auto-hide and the cursor lock go off too (the load
    // alone only ever switches them on).
    if (AutoHide1->isChecked()) AutoHide1Click();
    LockKurzor->setChecked(false);
    app_.mainForm->LoadSettings();
    app_.foptions->FormCreate();
    app_.state.ToolbarShown = false;
}

void TStartForm::LoadatStartupClick() {
    const QString configHome = app_.platform.paths->configHome();
    QString error;
    bool ok;
    if (LoadatStartup->isChecked()) {
        LoadatStartup->setChecked(false);
        ok = disableAutostart(configHome, &error);
    } else {
        LoadatStartup->setChecked(true);
        ok = enableAutostart(configHome, app_.platform.paths->executablePath(), &error);
    }
    if (!ok) {
        app_.platform.prompter->beep(Prompter::Icon::Warning);
        app_.platform.prompter->ask(QStringLiteral("Vivivoz"), error, Prompter::Buttons::Ok,
                                    Prompter::Icon::Warning, Prompter::Answer::Ok);
    }
}

void TStartForm::Options1Click() { app_.foptions->bringUp(); }

void TStartForm::VisitWebsite1Click() {
    QDesktopServices::openUrl(QUrl(QStringLiteral(VIVIVOZ_WEBSITE)));
}

void TStartForm::About1Click() {
    if (!app_.fabout->isVisible()) app_.fabout->exec();
}

void TStartForm::Close1Click() { app_.Exit(); }

}  // namespace vz
