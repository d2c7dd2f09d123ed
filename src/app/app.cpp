#include "app/app.h"

#include "app/capture_cycle.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "ui/toolbar/toolbar.h"
#include "core/settings/settings_file.h"
#include "ui/about/about_box.h"
#include "ui/tray/tray_icon.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace vz {

App::App(Platform& p, AppOptions o) : platform(p), options(std::move(o)) {}

App::~App() {
    // Windows go in the reverse order of their creation; the tray icon goes
    // with the main window.
    aboutBox.reset();
    settingsDialog.reset();
    output.reset();
    preview.reset();
    capture.reset();
    toolbar.reset();
    tray.reset();
}

QString App::resolveStartFolder() const {
    return settingsFolder(options.configDir, platform.paths->executableDir(), platform.paths->configHome());
}

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

    refreshMonitors();

    // 1. The hidden main window: mouse area, start folder, tray menu.
    state.mouseArea = Rect4{0, 0, primaryWidth(), primaryHeight()};
    state.toolbarShown = false;
    state.configFolder = resolveStartFolder();
    tray = std::make_unique<TrayIcon>(*this);
    watchScreens();

    // 2. The toolbar: settings load, capture timer (disabled, 200 ms).
    capture = std::make_unique<CaptureCycle>(*this);
    toolbar = std::make_unique<Toolbar>(*this);
    toolbar->LoadSettings();

    // 3.-5. Preview, output window, settings dialog (which takes the held values).
    preview = std::make_unique<PreviewWindow>(*this);
    output = std::make_unique<OutputWindow>(*this);
    settingsDialog = std::make_unique<SettingsDialog>(*this);
    aboutBox = std::make_unique<AboutBox>();

    trayAvailable_ = tray->addTrayIcon();
    return true;
}

void App::closeSlideshowEditor() {
    capture->captureTimer.stop();
    capture->clearOutput();
    state.source = source::Stopped;
    state.editorStopRequested = true;
}

void App::Exit() {
    state.editorStopRequested = true;
    state.source = source::Stopped;
    if (output) output->hide();
    if (preview) preview->hide();
    QCoreApplication::processEvents();
    closeQuery();
    // exit(), not quit(): quit() first asks the windows to close, and the output
    // window refuses (it only hides).
    QCoreApplication::exit(0);
}

void App::closeQuery() {
    if (closed_ || !toolbar) return;
    closed_ = true;
    QString error;
    if (!toolbar->SaveSettings(&error)) {
        // The program ends anyway: nothing is gained by keeping it alive.
        platform.prompter->beep(Prompter::Icon::Error);
        platform.prompter->ask(QStringLiteral("Vivivoz"), error, Prompter::Buttons::Ok, Prompter::Icon::Error,
                               Prompter::Answer::Ok);
    }
}

void App::refreshMonitors() { monitors_ = platform.monitors->monitors(); }

void App::watchScreens() {
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!gui) return;
    auto watch = [this](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, tray.get(), [this] { refreshMonitors(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    QObject::connect(gui, &QGuiApplication::screenAdded, tray.get(), [this, watch](QScreen* screen) {
        watch(screen);
        refreshMonitors();
    });
    QObject::connect(gui, &QGuiApplication::screenRemoved, tray.get(), [this] { refreshMonitors(); });
    QObject::connect(gui, &QGuiApplication::primaryScreenChanged, tray.get(), [this] { refreshMonitors(); });
}

int App::primaryWidth() const { return monitorRect(0).width(); }
int App::primaryHeight() const { return monitorRect(0).height(); }

int App::monitorCount() const {
    const int n = int(monitors_.size());
    return n < 1 ? 1 : n;
}

QRect App::monitorRect(int index) const {
    return index >= 0 && index < monitors_.size() ? monitors_[index] : QRect();
}

QString App::settingsPath() const { return settingsFilePath(state.configFolder); }

}  // namespace vz
