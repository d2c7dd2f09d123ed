#include "ui/tray/tray_icon.h"

#include "core/settings/help_address.h"
#include "ui/widgets/glyphs.h"
#include "version.h"

#include <QAction>
#include <QActionGroup>
#include <QDesktopServices>
#include <QMenu>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QUrl>

#include <cstdio>

namespace vz {

namespace {

// How long a message of the tray stays up.
constexpr int kTrayMessageMs = 10000;
QAction* addItem(QMenu* menu, const char* caption, bool enabled = true, bool checkable = false) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setEnabled(enabled);
    a->setCheckable(checkable);
    return a;
}
}  // namespace

TrayIcon::TrayIcon(Controller& controller, Platform& platform) : controller_(controller), platform_(platform) {
    // This widget is never shown: it only owns the tray icon and its menu.
    setWindowTitle(QStringLiteral("Vivivoz"));
    hide();

    menu = new QMenu(this);
    QMenu* quick = menu->addMenu(QStringLiteral("Quick start mirroring"));
    desktopAction = addItem(quick, "Desktop", true, true);
    areaAction = addItem(quick, "Part of Desktop", true, true);
    windowAction = addItem(quick, "Single Application", true, true);
    clipboardAction = addItem(quick, "Clipboard", true, true);
    QMenu* slides = quick->addMenu(QStringLiteral("Slideshow"));
    slideshowMenuAction = slides->menuAction();
    slideshowMenuAction->setCheckable(true);
    openSlideshowAction = addItem(slides, "Open Slideshow", true, true);
    makeSlideshowAction = addItem(slides, "Make Slideshow", true, true);
    scrollTextAction = addItem(quick, "Scroll Text");

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
    captureAction = addItem(menu, "Capture an Image");
    cursorLockAction = addItem(menu, "Lock / Unlock cursor onto screen", true, true);
    QMenu* mouseArea = menu->addMenu(QStringLiteral("Set Mouse Area"));
    mouseAreaSelectAction = addItem(mouseArea, "Select Screen Area");
    mouseAreaPrimaryAction = addItem(mouseArea, "Primary Monitor");
    menu->addSeparator();
    stopAllAction = addItem(menu, "Stop All");
    resetAction = addItem(menu, "Reset All Settings");
    loadAtStartupAction = addItem(menu, "Load at Startup", true, true);
    menu->addSeparator();
    settingsAction = addItem(menu, "Settings");
    shortcutsAction = addItem(menu, "Shortcuts");
    monitorDetailsAction = addItem(menu, "Monitor Details");
    menu->addSeparator();
    websiteAction = addItem(menu, "Visit the Vivivoz website");
    aboutAction = addItem(menu, "About");
    menu->addSeparator();
    exitAction = addItem(menu, "Exit");

    // The marks of checkable items follow the controller, never Qt's own toggle.
    Controller& c = controller_;
    auto on = [this](QAction* a, auto handler) {
        connect(a, &QAction::triggered, this, [this, a, handler] {
            a->setChecked(!a->isChecked());
            handler();
        });
    };
    on(desktopAction, [this] { quickStartDesktop(); });
    on(areaAction, [this, &c] {
        clearSourceMarks();
        areaAction->setChecked(true);
        if (!c.isShown(View::Output)) c.requestView(View::Output, true);
        c.startAreaAndRun();
    });
    on(cursorLockAction, [&c] { c.cursorLock().toggle(); });
    connect(mouseAreaSelectAction, &QAction::triggered, &c, &Controller::selectMouseArea);
    connect(mouseAreaPrimaryAction, &QAction::triggered, &c.cursorLock(), &CursorLock::setMouseAreaToPrimary);
    on(openSlideshowAction, [this] { quickStartSlideshow(); });
    on(makeSlideshowAction, [this, &c] {
        clearSourceMarks();
        makeSlideshowAction->setChecked(true);
        c.makeSlideshow();
    });
    on(windowAction, [this] { quickStartWindow(); });
    on(clipboardAction, [this] { quickStartClipboard(); });
    on(outputAction, [this] { onOutputAction(); });
    on(previewAction, [&c] { c.requestView(View::Preview, !c.isShown(View::Preview)); });
    on(toolbarAction, [&c] { c.requestView(View::Toolbar, !c.isShown(View::Toolbar)); });
    on(autoHideAction, [&c] { c.tray().toggleAutoHide(); });
    on(loadAtStartupAction, [&c] { c.tray().toggleLoadAtStartup(); });
    for (int n = 1; n <= 5; ++n)
        on(viewModeActions[n], [&c, n] { c.viewOptions().setViewMode(*viewFitFromNumber(n)); });
    connect(stopAllAction, &QAction::triggered, &c, &Controller::stopAll);
    connect(scrollTextAction, &QAction::triggered, &c, &Controller::openScrollText);
    connect(resetAction, &QAction::triggered, this, &TrayIcon::onResetAll);
    connect(settingsAction, &QAction::triggered, this, [&c] { c.requestView(View::SettingsDialog, true); });
    connect(websiteAction, &QAction::triggered, this, [this] {
        const QUrl address = helpAddress(platform_.paths->executableDir());
        if (!address.isEmpty()) QDesktopServices::openUrl(address);
    });
    connect(aboutAction, &QAction::triggered, this, [&c] { c.requestView(View::AboutBox, true); });
    connect(exitAction, &QAction::triggered, &c, &Controller::requestExit);
    connect(captureAction, &QAction::triggered, &c, &Controller::openImageCapture);
    connect(shortcutsAction, &QAction::triggered, this, [&c] { c.requestView(View::Shortcuts, true); });
    connect(monitorDetailsAction, &QAction::triggered, this, [&c] { c.requestView(View::MonitorDetails, true); });
    connect(&c, &Controller::trayMessageRequested, this, &TrayIcon::showTrayMessage);

    // menuOpen covers the time from the menu's opening to its closing.
    connect(menu, &QMenu::aboutToShow, this, &TrayIcon::onMenuAboutToShow);
    connect(menu, &QMenu::aboutToHide, this, [this] { controller_.tray().setMenuOpen(false); });

    connect(&c.viewOptions(), &ViewOptions::viewModeChanged, this, &TrayIcon::showViewMode);
    connect(&c.tray(), &TrayOptions::autoHideChanged, autoHideAction, &QAction::setChecked);
    connect(&c.cursorLock(), &CursorLock::lockedChanged, cursorLockAction, &QAction::setChecked);
    connect(&c.tray(), &TrayOptions::loadAtStartupChanged, loadAtStartupAction, &QAction::setChecked);
    connect(&c, &Controller::windowSourceLost, this, &TrayIcon::clearSourceMarks);
    connect(&c, &Controller::viewShownChanged, this, [this](View view, bool shown) {
        if (view == View::Output) outputAction->setChecked(shown);
        if (view == View::Preview) previewAction->setChecked(shown);
        if (view == View::Toolbar) toolbarAction->setChecked(shown);
    });
    connect(&c, &Controller::settingsApplied, this, [this] {
        showViewMode(controller_.viewOptions().viewMode());
        autoHideAction->setChecked(controller_.tray().autoHide());
        cursorLockAction->setChecked(controller_.cursorLock().locked());
        loadAtStartupAction->setChecked(controller_.tray().loadAtStartup());
    });
    loadAtStartupAction->setChecked(controller_.tray().loadAtStartup());
}

TrayIcon::~TrayIcon() {
    if (systemTrayIcon) systemTrayIcon->hide();
}

bool TrayIcon::addTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    if (systemTrayIcon) return true;
    // No context menu is handed to Qt: it would open the menu at the press
    // of the right button, and the menu opens at the whole click.
    systemTrayIcon = new QSystemTrayIcon(glyphs::trayIcon(), this);
    connect(systemTrayIcon, &QSystemTrayIcon::activated, this, &TrayIcon::onActivatedByUser);
    systemTrayIcon->show();
    // The icon embedded in an X11 tray is a widget of Qt's: the release of
    // the right button is seen there. Qt makes a new one when the tray
    // comes anew (a panel restarted), so the filter sits on the application
    // and follows whichever icon widget there is.
    qApp->installEventFilter(this);
    // An icon shown by a StatusNotifierItem host (the tray of a Wayland
    // session, and of KDE, Xfce or LXQt panels on X11) is no widget of ours:
    // the host shows the menu itself, from the one Qt hands it over D-Bus,
    // and keeps its own menu for a right click on an item without one.
    if (!hasEmbeddedIcon()) systemTrayIcon->setContextMenu(menu);
    return true;
}

bool TrayIcon::hasEmbeddedIcon() const {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (isEmbeddedIcon(w)) return true;
    return false;
}

bool TrayIcon::isEmbeddedIcon(const QObject* object) {
    return object->isWidgetType() && object->inherits("QSystemTrayIconSys");
}

void TrayIcon::onActivatedByUser(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) onLeftClick();
    // A tray that reports only the click (not an embedded icon of ours).
    if (reason == QSystemTrayIcon::Context && !hasEmbeddedIcon() && !systemTrayIcon->contextMenu())
        menu->popup(QCursor::pos());
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    const bool press = event->type() == QEvent::MouseButtonPress;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if ((press || release) && isEmbeddedIcon(watched)) {
        auto* me = static_cast<QMouseEvent*>(event);
        auto* icon = static_cast<QWidget*>(watched);
        if (press && me->button() == Qt::RightButton) {
            rightPressed_ = icon;
        } else if (release && me->button() == Qt::RightButton) {
            // The release must come over the icon that saw the press.
            if (rightPressed_ == icon && icon->rect().contains(me->position().toPoint()))
                menu->popup(me->globalPosition().toPoint());
            rightPressed_ = nullptr;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TrayIcon::showTrayMessage(const QString& title, const QString& text) {
    std::fprintf(stderr, "vivivoz: %s\n", qPrintable(text));
    if (systemTrayIcon) systemTrayIcon->showMessage(title, text, QSystemTrayIcon::Information, kTrayMessageMs);
}

void TrayIcon::onLeftClick() {
    Controller& c = controller_;
    if (!c.isShown(View::Output)) {
        if (c.tray().simulationPromptOpen()) return;
        c.requestView(View::Output, true);
        if (!c.isShown(View::Output)) return;
    }
    if (!c.tray().toolbarShownOnce()) c.requestView(View::Toolbar, true);
    c.tray().setToolbarShownOnce(true);
    c.requestView(View::SettingsDialog, true);
}

void TrayIcon::onMenuAboutToShow() {
    Controller& c = controller_;
    c.tray().setMenuOpen(true);
    outputAction->setChecked(c.isShown(View::Output));
    previewAction->setChecked(c.isShown(View::Preview));
    toolbarAction->setChecked(c.isShown(View::Toolbar));
    loadAtStartupAction->setChecked(c.tray().loadAtStartup());
    clearSourceMarks();
    QAction* marks[] = {nullptr,         desktopAction,       areaAction,         windowAction,
                        clipboardAction, openSlideshowAction, makeSlideshowAction};
    const int m = int(c.sourceChoice());
    if (m >= 1 && m <= 6) marks[m]->setChecked(true);
}

void TrayIcon::clearSourceMarks() {
    for (QAction* a : {desktopAction, areaAction, windowAction, clipboardAction, slideshowMenuAction,
                       openSlideshowAction, makeSlideshowAction})
        a->setChecked(false);
}

void TrayIcon::showViewMode(std::optional<ViewFit> mode) {
    for (int n = 1; n <= 5; ++n) viewModeActions[n]->setChecked(mode && n == viewFitNumber(*mode));
}

template <typename Command>
void TrayIcon::quickStart(QAction* item, Command command) {
    Controller& c = controller_;
    clearSourceMarks();
    item->setChecked(true);
    if (!c.isShown(View::Output)) c.requestView(View::Output, true);
    command(c);
    c.toggleRun();
}

void TrayIcon::quickStartSlideshow() {
    Controller& c = controller_;
    clearSourceMarks();
    openSlideshowAction->setChecked(true);
    if (!c.chooseAndOpenSlideshow()) return;
    if (!c.isShown(View::Output)) onOutputAction();
    c.toggleRun();
}

void TrayIcon::quickStartDesktop() {
    quickStart(desktopAction, [](Controller& c) { c.startDesktop(); });
}

void TrayIcon::quickStartWindow() {
    quickStart(windowAction, [](Controller& c) {
        c.startWindowSource();
        c.setPickWindowModal(true);
        c.requestView(View::WindowPicker, true);
        c.setPickWindowModal(false);
    });
}

void TrayIcon::quickStartClipboard() {
    quickStart(clipboardAction, [](Controller& c) { c.startClipboard(); });
}

void TrayIcon::onOutputAction() {
    Controller& c = controller_;
    if (c.tray().simulationPromptOpen()) return;
    if (c.isShown(View::Output) || c.screens().count() > 1) {
        c.requestView(View::Output, !c.isShown(View::Output));
        return;
    }
    // One monitor: the simulated output comes back where the user left it.
    if (c.tray().askSimulationQuestion()) c.requestOutputInPlace();
    outputAction->setChecked(c.isShown(View::Output));
}

void TrayIcon::onResetAll() {
    Prompter& prompter = *platform_.prompter;
    prompter.beep(Prompter::Icon::Warning);
    const auto answer = prompter.ask(Prompter::kCaption,
                                     QStringLiteral("All settings will be reset to defaults. Do you want to continue?"),
                                     Prompter::Buttons::YesNo, Prompter::Icon::Warning, Prompter::Answer::No);
    if (answer == Prompter::Answer::Yes) controller_.resetSettings();
}

}  // namespace vz
