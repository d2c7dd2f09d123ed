#include "app/app.h"

#include "app/command_line.h"
#include "app/instance_channel.h"
#include "app/probe.h"
#include "core/settings/settings_file.h"
#include "ui/about/about_box.h"
#include "ui/area/area_overlay.h"
#include "ui/capture/capture_dialog.h"
#include "ui/details/monitor_details_window.h"
#include "ui/output/output_window.h"
#include "ui/picker/window_picker.h"
#include "ui/preview/preview_window.h"
#include "ui/scrolltext/scroll_text_dialog.h"
#include "ui/settings/settings_dialog.h"
#include "ui/shortcuts/shortcuts_dialog.h"
#include "ui/slideshow/slideshow_editor.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/look.h"
#include "ui/widgets/stacking.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <cstdio>

namespace vz {

namespace {
// The windows whose showing and hiding the controller is told of.
constexpr View kWatchedViews[] = {View::Output,    View::Preview,      View::Toolbar,         View::SettingsDialog,
                                  View::AboutBox,  View::AreaOverlay,  View::SlideshowEditor, View::WindowPicker,
                                  View::Shortcuts, View::ImageCapture, View::MonitorDetails,  View::ScrollText};

enum class Going { Hide, Close };

// A window that comes up its own way (bringUp: placed, raised, given the
// focus) and goes by hiding or by closing (which runs its close handling).
template <class Window>
void comeOrGo(Window& window, bool show, Going going) {
    if (show)
        window.bringUp();
    else if (going == Going::Close)
        window.close();
    else
        window.hide();
}

}  // namespace

App::App(Platform& p, AppOptions o) : platform(p), options(std::move(o)) {}

App::~App() {
    // Windows go in the reverse order of their creation; the tray icon last.
    areaOverlay.reset();
    slideshowEditor.reset();
    windowPicker.reset();
    monitorDetails.reset();
    captureDialog.reset();
    shortcutsDialog.reset();
    scrollTextDialog.reset();
    aboutBox.reset();
    settingsDialog.reset();
    output.reset();
    preview.reset();
    toolbar.reset();
    tray.reset();
    controller_.reset();
}

namespace {

// A monitor's device pixel ratio: that of Qt's screen at its corner (a
// screen keeps its device corner in Qt's logical coordinates), else the
// primary screen's.
double screenRatio(const QRect& device) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().topLeft() == device.topLeft()) return screen->devicePixelRatio();
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->devicePixelRatio() : 1.0;
}

}  // namespace

bool App::start(QString* error) {
    QString lockError;
    if (!platform.instanceLock->acquire(platform.paths->executablePath(), &lockError)) {
        if (!lockError.isEmpty()) {
            if (error) *error = lockError;
            return false;
        }
        secondInstance_ = true;
        return false;
    }

    // One look for every window; dialogs come up above the windows that
    // stay on top.
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        look::install(application);
        stacking::install(application);
    }
    controller_ = std::make_unique<Controller>(platform, options.pipelineMode);
    Controller& c = *controller_;
    c.setMonitorRatioSource(screenRatio);
    c.refreshMonitors();
    c.cursorLock().setMouseArea(Rect4{0, 0, c.screens().primaryWidth(), c.screens().primaryHeight()});
    c.settingsStore().setFolder(
        settingsFolder(options.configDir, platform.paths->executableDir(), platform.paths->configHome()));

    // The tray icon and its menu, the toolbar, the preview, the output
    // window, the settings dialog: each follows the settings from the load on.
    tray = std::make_unique<TrayIcon>(c, platform);
    toolbar = std::make_unique<Toolbar>(c, platform);
    preview = std::make_unique<PreviewWindow>(c);
    output = std::make_unique<OutputWindow>(c, platform);
    settingsDialog = std::make_unique<SettingsDialog>(c);
    aboutBox = std::make_unique<AboutBox>();
    areaOverlay = std::make_unique<AreaOverlay>(c);
    slideshowEditor = std::make_unique<SlideshowEditor>(c, platform);
    // Thumbnails on a thread of their own, except with the inline pipeline
    // of the tests (the fake platform is used from one thread only).
    windowPicker = std::make_unique<WindowPicker>(c, platform,
                                                  options.pipelineMode == FramePipeline::Mode::Inline
                                                      ? picker::WindowThumbnails::Mode::Inline
                                                      : picker::WindowThumbnails::Mode::Worker);
    shortcutsDialog = std::make_unique<ShortcutsDialog>(c, platform);
    captureDialog = std::make_unique<CaptureDialog>(c, platform);
    monitorDetails = std::make_unique<MonitorDetailsWindow>(c);
    scrollTextDialog = std::make_unique<ScrollTextDialog>(c, platform);
    for (View v : kWatchedViews) widgetOf(v)->installEventFilter(this);
    watchScreens();
    c.loadSettings();
    if (platform.keepCaptureGrant) {
        // A new grant is written at once: a run that ends abruptly keeps it too.
        platform.keepCaptureGrant(c.settings().screenCastToken, [&c](const QString& token) {
            c.settings().screenCastToken = token;
            QString error;
            if (!c.saveSettings(&error)) std::fprintf(stderr, "vivivoz: %s\n", qPrintable(error));
        });
    }

    connect(&c, &Controller::viewRequested, this, &App::showView);
    connect(&c, &Controller::windowsAsideRequested, this, &App::moveWindowsAside);
    connect(&c, &Controller::exitRequested, this, &App::exit);
    connect(&toolbar->keepOnTopTimer, &QTimer::timeout, this, &App::keepOnTop);
    if (Probe* probe = Probe::createIfAsked(this)) {
        connect(&c, &Controller::outputPicture, probe, &Probe::countFrame);
        connect(&c, &Controller::outputScaledPicture, probe, &Probe::countFrame);
    }

    listenForLaterStarts();
    trayAvailable_ = tray->addTrayIcon();
    if (!trayAvailable_) {
        // A tray that starts later (a panel restarted, a session still
        // starting) gets the icon as soon as it is there.
        trayRetry_.setInterval(1000);
        connect(&trayRetry_, &QTimer::timeout, this, [this] {
            if (!tray->addTrayIcon()) return;
            trayAvailable_ = true;
            trayRetry_.stop();
        });
        trayRetry_.start();
    }
    return true;
}

QWidget* App::widgetOf(View view) const {
    switch (view) {
        case View::Output: return output.get();
        case View::Preview: return preview.get();
        case View::Toolbar: return toolbar.get();
        case View::SettingsDialog: return settingsDialog.get();
        case View::AboutBox: return aboutBox.get();
        case View::AreaOverlay: return areaOverlay.get();
        case View::SlideshowEditor: return slideshowEditor.get();
        case View::WindowPicker: return windowPicker.get();
        case View::Shortcuts: return shortcutsDialog.get();
        case View::ImageCapture: return captureDialog.get();
        case View::MonitorDetails: return monitorDetails.get();
        case View::ScrollText: return scrollTextDialog.get();
        default: return nullptr;  // windows not built yet
    }
}

bool App::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && !steppingAside_) {
        for (View v : kWatchedViews)
            if (watched == widgetOf(v)) controller_->setViewShown(v, event->type() == QEvent::Show);
    }
    return QObject::eventFilter(watched, event);
}

void App::showView(View view, bool show) {
    // A window hidden for the area snapshot and asked for meanwhile is the
    // request's: hidden, it stays so (and is counted so); shown, it is back.
    if (windowsAside_ && (view == View::SettingsDialog || view == View::Toolbar)) {
        (view == View::SettingsDialog ? dialogAside_ : toolbarAside_) = false;
        if (!show) controller_->setViewShown(view, false);
    }
    // A dialog opened from one of the program's windows belongs to it; the
    // settings dialog, the program's main window, stands on its own.
    switch (view) {
        case View::AboutBox:
        case View::SlideshowEditor:
        case View::Shortcuts:
        case View::ImageCapture:
        case View::MonitorDetails:
        case View::ScrollText:
            if (show) stacking::belongTo(widgetOf(view), stacking::dialogOwner());
            break;
        default: break;
    }
    switch (view) {
        case View::Output: return comeOrGo(*output, show, Going::Hide);
        case View::SettingsDialog: return comeOrGo(*settingsDialog, show, Going::Close);
        case View::AreaOverlay: return comeOrGo(*areaOverlay, show, Going::Hide);
        case View::SlideshowEditor: return comeOrGo(*slideshowEditor, show, Going::Close);
        case View::ScrollText: return comeOrGo(*scrollTextDialog, show, Going::Close);
        case View::AboutBox:
            if (show && !aboutBox->isVisible()) aboutBox->exec();
            return;
        case View::Shortcuts:
            if (show && !shortcutsDialog->isVisible()) shortcutsDialog->exec();
            return;
        case View::WindowPicker:
            if (!show) {
                windowPicker->reject();
            } else if (controller_->pickWindowModal()) {
                // The tray's Single Application waits for the choice.
                if (windowPicker->isVisible()) windowPicker->hide();
                windowPicker->exec();
            } else if (windowPicker->isVisible()) {
                windowPicker->raise();
                windowPicker->activateWindow();
            } else {
                windowPicker->show();
                windowPicker->activateWindow();
            }
            return;
        case View::ImageCapture:
        case View::MonitorDetails:
            if (QWidget* w = widgetOf(view); show) {
                w->show();
                w->raise();
                w->activateWindow();
            } else {
                w->hide();
            }
            return;
        default:
            if (QWidget* w = widgetOf(view)) w->setVisible(show);
            return;
    }
}

void App::moveWindowsAside(bool aside) {
    // Hidden rather than moved off the screen, which some window managers
    // refuse (they keep a window on a monitor). The controller goes on
    // counting them as shown: they are away for the snapshot only.
    if (aside == windowsAside_) return;
    windowsAside_ = aside;
    steppingAside_ = true;
    if (aside) {
        dialogAside_ = settingsDialog->isVisible();
        toolbarAside_ = toolbar->isVisible();
        if (dialogAside_) settingsDialog->hide();
        if (toolbarAside_) toolbar->hide();
    } else {
        if (toolbarAside_) toolbar->show();
        if (dialogAside_) settingsDialog->show();
    }
    steppingAside_ = false;
}

void App::keepOnTop() {
    const Controller& c = *controller_;
    if (c.tray().menuOpen() || c.isShown(View::WindowPicker) || c.isShown(View::Shortcuts)) return;
    if (c.isShown(View::AreaOverlay)) return;  // nothing covers the area overlay
    if (stacking::dialogOpen()) return;        // nothing covers a dialog
    if (preview->isVisible()) preview->raise();
    if (output->stayOnTopAction->isChecked()) output->raise();
}

void App::exit() {
    controller_->prepareExit();
    closeQuery();
    // exit(), not quit(): quit() first asks the windows to close, and the output
    // window refuses (it only hides).
    QCoreApplication::exit(0);
}

void App::closeQuery() {
    if (closed_ || !controller_) return;
    closed_ = true;
    // A selection still running gives the windows their places back first.
    controller_->area().cancel();
    controller_->setToolbarPosition(toolbar->pos());
    controller_->setSettingsDialogPosition(settingsDialog->pos());
    QString error;
    if (!controller_->saveSettings(&error)) {
        // The program ends anyway: nothing is gained by keeping it alive.
        platform.prompter->error(error);
    }
}

void App::listenForLaterStarts() {
    const QString path = platform.instanceLock->channelPath(platform.paths->executablePath());
    if (path.isEmpty()) return;
    Controller* c = controller_.get();
    auto* server = new InstanceServer(
        [c](const QStringList& arguments) {
            const CommandLine cl = parseCommandLine(arguments);
            return cl.error.isEmpty() ? c->carryOut(cl.request) : cl.error;
        },
        this);
    QString error;
    if (!server->listen(path, &error))
        std::fprintf(stderr, "vivivoz: later starts cannot reach this copy: %s\n", qPrintable(error));
}

void App::watchScreens() {
    // Qt does not report every change (a monitor replaced by one of another
    // size keeps its screen object, silently): the system's own events tell,
    // and Qt's screens are asked only where those cannot be had.
    if (platform.monitorChanges) {
        platform.monitorChanges->watch([c = controller_.get()] { c->refreshMonitors(); });
        return;
    }
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!gui) return;
    Controller* c = controller_.get();
    auto watch = [this, c](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, [c] { c->refreshMonitors(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    connect(gui, &QGuiApplication::screenAdded, this, [c, watch](QScreen* screen) {
        watch(screen);
        c->refreshMonitors();
    });
    connect(gui, &QGuiApplication::screenRemoved, this, [c] { c->refreshMonitors(); });
    connect(gui, &QGuiApplication::primaryScreenChanged, this, [c] { c->refreshMonitors(); });
}

}  // namespace vz
