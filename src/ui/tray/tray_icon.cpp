#include "ui/tray/tray_icon.h"

#include "app/app.h"
#include "app/features.h"
#include "app/capture_cycle.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "core/settings/autostart.h"
#include "ui/toolbar/toolbar.h"
#include "ui/about/about_box.h"
#include "version.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/onoff_checkbox.h"

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

TrayIcon::TrayIcon(App& app) : app_(app) {
    // The main window is never shown: it only owns the tray icon, the menu and two timers.
    setWindowTitle(QStringLiteral("Vivivoz"));
    hide();

    menu = new QMenu(this);
    QMenu* quick = menu->addMenu(QStringLiteral("Quick start mirroring"));
    desktopAction = addItem(quick, "Desktop", true, true);
    areaAction = addItem(quick, "Part of Desktop", features::AreaSelection, true);
    windowAction = addItem(quick, "Single Application", features::WindowPicker, true);
    clipboardAction = addItem(quick, "Clipboard", features::ClipboardSource, true);
    QMenu* slides = quick->addMenu(QStringLiteral("Slideshow"));
    slideshowMenuAction = slides->menuAction();
    slideshowMenuAction->setCheckable(true);
    slideshowMenuAction->setEnabled(features::Slideshow);
    openSlideshowAction = addItem(slides, "Open Slideshow", features::Slideshow, true);
    makeSlideshowAction = addItem(slides, "Make Slideshow", features::Slideshow, true);
    scrollTextAction = addItem(quick, "Scroll Text", features::ScrollText);

    QMenu* view = menu->addMenu(QStringLiteral("View Mode"));
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);  // only the program sets the marks
    const char* modes[] = {"", "Normal", "Stretch", "Optimal", "Resize", "Scale"};
    for (int n = 1; n <= 5; ++n) {
        viewModeActions[n] = addItem(view, modes[n], true, true);
        group->addAction(viewModeActions[n]);
    }
    menu->addSeparator();
    outputAction = addItem(menu, "Enable Secondary Monitor", true, true);
    previewAction = addItem(menu, "Show Preview", true, true);
    toolbarAction = addItem(menu, "Show Toolbar", true, true);
    autoHideAction = addItem(menu, "Auto Hide Toolbar", true, true);
    menu->addSeparator();
    captureAction = addItem(menu, "Capture an Image", features::ImageCapture);
    cursorLockAction = addItem(menu, "Lock / Unlock cursor onto screen", features::CursorLock, true);
    QMenu* mouseArea = menu->addMenu(QStringLiteral("Set Mouse Area"));
    mouseArea->menuAction()->setEnabled(features::CursorLock);
    mouseAreaSelectAction = addItem(mouseArea, "Select Screen Area", features::CursorLock && features::AreaSelection);
    mouseAreaPrimaryAction = addItem(mouseArea, "Primary Monitor", features::CursorLock);
    menu->addSeparator();
    stopAllAction = addItem(menu, "Stop All");
    resetAction = addItem(menu, "Reset All Settings");
    loadAtStartupAction = addItem(menu, "Load at Startup", true, true);
    menu->addSeparator();
    settingsAction = addItem(menu, "Settings");
    shortcutsAction = addItem(menu, "Shortcuts", features::Shortcuts);
    monitorDetailsAction = addItem(menu, "Monitor Details", features::MonitorDetails);
    menu->addSeparator();
    websiteAction = addItem(menu, "Visit the Vivivoz website");
    aboutAction = addItem(menu, "About");
    menu->addSeparator();
    exitAction = addItem(menu, "Exit");

    // The marks of checkable items change only through the handlers below.
    auto on = [this](QAction* a, void (TrayIcon::*handler)()) {
        connect(a, &QAction::triggered, this, [this, a, handler] {
            a->setChecked(!a->isChecked());  // undo Qt's own toggle; the handler decides
            (this->*handler)();
        });
    };
    on(desktopAction, &TrayIcon::quickStartDesktop);
    on(outputAction, &TrayIcon::onOutputAction);
    on(previewAction, &TrayIcon::onPreviewAction);
    on(toolbarAction, &TrayIcon::onToolbarAction);
    on(autoHideAction, &TrayIcon::onAutoHideAction);
    on(loadAtStartupAction, &TrayIcon::onLoadAtStartup);
    for (int n = 1; n <= 5; ++n)
        connect(viewModeActions[n], &QAction::triggered, this, [this, n] {
            viewModeActions[n]->setChecked(!viewModeActions[n]->isChecked());
            onViewModeAction(n);
        });
    connect(stopAllAction, &QAction::triggered, this, &TrayIcon::onStopAll);
    connect(resetAction, &QAction::triggered, this, &TrayIcon::onResetAll);
    connect(settingsAction, &QAction::triggered, this, &TrayIcon::onSettings);
    connect(websiteAction, &QAction::triggered, this, &TrayIcon::onVisitWebsite);
    connect(aboutAction, &QAction::triggered, this, &TrayIcon::onAbout);
    connect(exitAction, &QAction::triggered, this, &TrayIcon::onExit);

    // menuOpen covers the time from the menu's opening to its closing.
    connect(menu, &QMenu::aboutToShow, this, &TrayIcon::onMenuAboutToShow);
    connect(menu, &QMenu::aboutToHide, this, [this] { app_.state.menuOpen = false; });

    autoHideTimer.setInterval(200);
    connect(&autoHideTimer, &QTimer::timeout, this, &TrayIcon::autoHideTick);
    cursorLockTimer.setInterval(250);
}

TrayIcon::~TrayIcon() {
    if (systemTrayIcon) systemTrayIcon->hide();
}

bool TrayIcon::addTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    systemTrayIcon = new QSystemTrayIcon(glyphs::trayIcon(), this);
    systemTrayIcon->setContextMenu(menu);
    connect(systemTrayIcon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivatedByUser);
    systemTrayIcon->show();
    return true;
}

void TrayIcon::onActivatedByUser(QSystemTrayIcon::ActivationReason reason) {
    // The right button opens the context menu (Qt does that itself).
    if (reason == QSystemTrayIcon::Trigger) onLeftClick();
}

void TrayIcon::onLeftClick() {
    ProgramState& s = app_.state;
    OutputWindow& out = *app_.output;
    if (!out.isVisible()) {
        if (app_.monitorCount() > 1) out.showOnSecondary();
        if (s.simulationPromptOpen) return;
        if (app_.monitorCount() == 1) {
            if (!out.askSimulationQuestion()) return;
            out.showSimulated();
        }
    }
    outputAction->setChecked(true);
    if (!s.toolbarShown) app_.toolbar->show();
    s.toolbarShown = true;
    app_.settingsDialog->bringUp();
}

void TrayIcon::onMenuAboutToShow() {
    app_.state.menuOpen = true;
    outputAction->setChecked(app_.output->isVisible());
    previewAction->setChecked(app_.preview->isVisible());
    toolbarAction->setChecked(app_.toolbar->isVisible());
    clearSourceMarks();
    QAction* marks[] = {nullptr, desktopAction, areaAction, windowAction, clipboardAction, openSlideshowAction, makeSlideshowAction};
    const int m = app_.state.menuSource;
    if (m >= 1 && m <= 6) marks[m]->setChecked(true);
}

void TrayIcon::clearSourceMarks() {
    for (QAction* a : {desktopAction, areaAction, windowAction, clipboardAction, slideshowMenuAction, openSlideshowAction, makeSlideshowAction}) a->setChecked(false);
}

void TrayIcon::clearViewModeMarks() {
    for (int n = 1; n <= 5; ++n) viewModeActions[n]->setChecked(false);
}

void TrayIcon::ensureOutputUp() {
    if (!app_.output->isVisible()) {
        app_.settingsDialog->outputBox->setChecked(true);
        app_.settingsDialog->onOutputBoxClicked();
    }
    if (app_.output->isVisible()) outputAction->setChecked(true);
}

void TrayIcon::quickStartDesktop() {
    clearSourceMarks();
    desktopAction->setChecked(true);
    ensureOutputUp();
    app_.settingsDialog->onDesktopClicked();
    app_.toolbar->toggleRun();
}

void TrayIcon::onViewModeAction(int n) {
    app_.state.viewMode = n;
    applyViewModeFromMenu();
}

void TrayIcon::applyViewModeFromMenu() {
    const int n = app_.state.viewMode;
    app_.settingsDialog->tickViewModeBox(n);
    app_.output->applyViewMode();
    clearViewModeMarks();
    if (n >= 1 && n <= 5) viewModeActions[n]->setChecked(true);
}

void TrayIcon::onOutputAction() {
    ProgramState& s = app_.state;
    OutputWindow& out = *app_.output;
    if (app_.monitorCount() > 1) {
        if (out.isVisible()) {
            out.hide();
            outputAction->setChecked(false);
        } else {
            // The user asked for the output: tick the dialog's box before its handler runs.
            app_.settingsDialog->outputBox->setChecked(true);
            app_.settingsDialog->onOutputBoxClicked();
            outputAction->setChecked(out.isVisible());
        }
        return;
    }
    if (s.simulationPromptOpen) return;
    if (out.isVisible()) {
        out.hide();
        outputAction->setChecked(false);
    } else if (out.askSimulationQuestion()) {
        out.show();
        outputAction->setChecked(true);
    }
}

void TrayIcon::onPreviewAction() {
    QWidget* w = app_.preview.get();
    w->setVisible(!w->isVisible());
    previewAction->setChecked(w->isVisible());
}

void TrayIcon::onToolbarAction() {
    QWidget* w = app_.toolbar.get();
    w->setVisible(!w->isVisible());
    toolbarAction->setChecked(w->isVisible());
}

void TrayIcon::onStopAll() { app_.settingsDialog->onStopAllClicked(); }

void TrayIcon::onResetAll() {
    Prompter& prompter = *app_.platform.prompter;
    prompter.beep(Prompter::Icon::Warning);
    const auto answer = prompter.ask(QStringLiteral("Vivivoz"),
                                     QStringLiteral("All settings will be reset to defaults. Do you want to continue?"),
                                     Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    if (answer != Prompter::Answer::Yes) return;
    QFile::remove(app_.settingsPath());
    // Defaults everywhere: auto-hide and the cursor lock go off too (the load
    // alone only ever switches them on).
    if (autoHideAction->isChecked()) onAutoHideAction();
    cursorLockAction->setChecked(false);
    app_.toolbar->LoadSettings();
    app_.settingsDialog->applyLoadedSettings();
    app_.state.toolbarShown = false;
}

void TrayIcon::onLoadAtStartup() {
    const QString configHome = app_.platform.paths->configHome();
    QString error;
    bool ok;
    if (loadAtStartupAction->isChecked()) {
        loadAtStartupAction->setChecked(false);
        ok = disableAutostart(configHome, &error);
    } else {
        loadAtStartupAction->setChecked(true);
        ok = enableAutostart(configHome, app_.platform.paths->executablePath(), &error);
    }
    if (!ok) {
        app_.platform.prompter->beep(Prompter::Icon::Warning);
        app_.platform.prompter->ask(QStringLiteral("Vivivoz"), error, Prompter::Buttons::Ok,
                                    Prompter::Icon::Warning, Prompter::Answer::Ok);
    }
}

void TrayIcon::onSettings() { app_.settingsDialog->bringUp(); }

void TrayIcon::onVisitWebsite() {
    QDesktopServices::openUrl(QUrl(QStringLiteral(VIVIVOZ_WEBSITE)));
}

void TrayIcon::onAbout() {
    if (!app_.aboutBox->isVisible()) app_.aboutBox->exec();
}

void TrayIcon::onExit() { app_.Exit(); }

}  // namespace vz
