#include "app/app.h"

#include "core/settings/settings_file.h"
#include "ui/about/about_box.h"
#include "ui/output/output_window.h"
#include "ui/preview/preview_window.h"
#include "ui/scrolltext/scroll_text_dialog.h"
#include "ui/settings/settings_dialog.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace vz {

namespace {
// Off the screen while the area snapshot is taken.
constexpr int kAsideTop = -1500;
}  // namespace

App::App(Platform& p, AppOptions o) : platform(p), options(std::move(o)) {}

App::~App() {
    // Windows go in the reverse order of their creation; the tray icon last.
    scrollTextDialog.reset();
    aboutBox.reset();
    settingsDialog.reset();
    output.reset();
    preview.reset();
    toolbar.reset();
    tray.reset();
    controller_.reset();
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

    controller_ = std::make_unique<Controller>(platform, options.pipelineMode);
    Controller& c = *controller_;
    c.refreshMonitors();
    c.setMouseArea(Rect4{0, 0, c.primaryWidth(), c.primaryHeight()});
    c.setConfigFolder(settingsFolder(options.configDir, platform.paths->executableDir(), platform.paths->configHome()));

    // The tray icon and its menu, the toolbar, the preview, the output
    // window, the settings dialog: each follows the settings from the load on.
    tray = std::make_unique<TrayIcon>(c);
    toolbar = std::make_unique<Toolbar>(c);
    preview = std::make_unique<PreviewWindow>(c);
    output = std::make_unique<OutputWindow>(c);
    settingsDialog = std::make_unique<SettingsDialog>(c);
    aboutBox = std::make_unique<AboutBox>();
    scrollTextDialog = std::make_unique<ScrollTextDialog>(c);
    for (View v : {View::Output, View::Preview, View::Toolbar, View::SettingsDialog, View::AboutBox, View::ScrollText})
        widgetOf(v)->installEventFilter(this);
    watchScreens();
    c.loadSettings();

    connect(&c, &Controller::viewRequested, this, &App::showView);
    connect(&c, &Controller::windowsAsideRequested, this, &App::moveWindowsAside);
    connect(&c, &Controller::exitRequested, this, &App::exit);
    connect(&toolbar->keepOnTopTimer, &QTimer::timeout, this, &App::keepOnTop);

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
    case View::ScrollText: return scrollTextDialog.get();
    default: return nullptr;  // windows not built yet
    }
}

bool App::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
        for (View v : {View::Output, View::Preview, View::Toolbar, View::SettingsDialog, View::AboutBox, View::ScrollText})
            if (watched == widgetOf(v)) controller_->setViewShown(v, event->type() == QEvent::Show);
    }
    return QObject::eventFilter(watched, event);
}

void App::showView(View view, bool show) {
    switch (view) {
    case View::Output:
        if (show)
            output->bringUp();
        else
            output->hide();
        return;
    case View::SettingsDialog:
        if (show)
            settingsDialog->bringUp();
        else
            settingsDialog->close();
        return;
    case View::AboutBox:
        if (show && !aboutBox->isVisible()) aboutBox->exec();
        return;
    case View::ScrollText:
        if (show)
            scrollTextDialog->bringUp();
        else
            scrollTextDialog->close();
        return;
    default:
        if (QWidget* w = widgetOf(view)) w->setVisible(show);
        return;
    }
}

void App::moveWindowsAside(bool aside) {
    if (aside) {
        dialogTopBeforeAside_ = settingsDialog->y();
        toolbarTopBeforeAside_ = toolbar->y();
        settingsDialog->move(settingsDialog->x(), kAsideTop);
        toolbar->move(toolbar->x(), kAsideTop);
    } else {
        toolbar->move(toolbar->x(), toolbarTopBeforeAside_);
        settingsDialog->move(settingsDialog->x(), dialogTopBeforeAside_);
    }
}

void App::keepOnTop() {
    const Controller& c = *controller_;
    if (c.menuOpen() || c.isShown(View::WindowPicker) || c.isShown(View::Shortcuts)) return;
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
    controller_->setToolbarPosition(toolbar->pos());
    controller_->setSettingsDialogPosition(settingsDialog->pos());
    QString error;
    if (!controller_->saveSettings(&error)) {
        // The program ends anyway: nothing is gained by keeping it alive.
        platform.prompter->beep(Prompter::Icon::Error);
        platform.prompter->ask(QStringLiteral("Vivivoz"), error, Prompter::Buttons::Ok, Prompter::Icon::Error,
                               Prompter::Answer::Ok);
    }
}

void App::watchScreens() {
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
