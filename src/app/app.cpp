#include "app/app.h"

#include "capture/capture_cycle.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/mainunit.h"
#include "shell/settings_file.h"
#include "shell/uabout.h"
#include "shell/ustartform.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace vz {

App::App(Platform& p, AppOptions o) : platform(p), options(std::move(o)) {}

App::~App() {
    // Windows go in the reverse order of their creation; the tray icon goes
    // with the main window.
    fabout.reset();
    foptions.reset();
    fmonitor.reset();
    fslika.reset();
    capture.reset();
    mainForm.reset();
    startForm.reset();
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
    state.MouseArea = Rect4{0, 0, primaryWidth(), primaryHeight()};
    state.ToolbarShown = false;
    state.zacetnamapa = resolveStartFolder();
    startForm = std::make_unique<TStartForm>(*this);
    watchScreens();

    // 2. The toolbar: settings load, capture timer (disabled, 200 ms).
    capture = std::make_unique<CaptureCycle>(*this);
    mainForm = std::make_unique<TMainForm>(*this);
    mainForm->LoadSettings();

    // 3.-5. Preview, output window, settings dialog (which takes the held values).
    fslika = std::make_unique<TFslika>(*this);
    fmonitor = std::make_unique<TFmonitor>(*this);
    foptions = std::make_unique<TFoptions>(*this);
    fabout = std::make_unique<Tfabout>();

    trayAvailable_ = startForm->addTrayIcon();
    return true;
}

void App::closeSlideshowEditor() {
    capture->Timer3zaslon.stop();
    capture->ClearImage();
    state.SourceMode = source::Stopped;
    state.ustavi = true;
}

void App::Exit() {
    state.ustavi = true;
    state.SourceMode = source::Stopped;
    if (fmonitor) fmonitor->hide();
    if (fslika) fslika->hide();
    QCoreApplication::processEvents();
    closeQuery();
    // exit(), not quit(): quit() first asks the windows to close, and the output
    // window refuses (it only hides).
    QCoreApplication::exit(0);
}

void App::closeQuery() {
    if (closed_ || !mainForm) return;
    closed_ = true;
    QString error;
    if (!mainForm->SaveSettings(&error)) {
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
        QObject::connect(screen, &QScreen::geometryChanged, startForm.get(), [this] { refreshMonitors(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    QObject::connect(gui, &QGuiApplication::screenAdded, startForm.get(), [this, watch](QScreen* screen) {
        watch(screen);
        refreshMonitors();
    });
    QObject::connect(gui, &QGuiApplication::screenRemoved, startForm.get(), [this] { refreshMonitors(); });
    QObject::connect(gui, &QGuiApplication::primaryScreenChanged, startForm.get(), [this] { refreshMonitors(); });
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

QString App::settingsPath() const { return settingsFilePath(state.zacetnamapa); }

}  // namespace vz
