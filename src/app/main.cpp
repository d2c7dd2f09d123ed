// Program entry: command line, platform, the App, and the event loop.

#include "app/app.h"
#include "app/command_line.h"
#include "app/instance_channel.h"
#include "platform/wayland/wayland_platform.h"
#include "platform/x11/x11_platform.h"
#include "ui/widgets/qt_prompter.h"
#include "ui/tray/tray_icon.h"
#include "version.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t terminationPending = 0;
// Set once the termination was handled, possibly inside a message box's
// event loop during start-up (where exit() cannot end the main loop yet).
bool terminationHandled = false;

void onTerminationSignal(int) {
    terminationPending = 1;
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the program the way the end of the desktop
// session does: the settings are saved, then it quits. The handler is
// installed first thing, so a signal during start-up is never lost: it waits
// in the pipe until the event loop reads it.
void installTerminationHandlers() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

// Reads the termination pipe from the event loop: saves and ends.
void watchTermination(vz::App& app) {
    if (signalPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&app, notifier] {
        char byte;
        [[maybe_unused]] auto n = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        terminationHandled = true;
        app.closeQuery();
        QCoreApplication::exit(0);
    });
}

// Qt's -display option names the X display for our own connections too.
void takeDisplayOption(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-display") == 0 || std::strcmp(argv[i], "--display") == 0)
            ::setenv("DISPLAY", argv[i + 1], 1);
}

bool asksFor(int argc, char** argv, std::initializer_list<const char*> options) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : options)
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    installTerminationHandlers();

    // Help and version need no display.
    if (asksFor(argc, argv, {"--help", "-h"})) {
        std::fputs(qPrintable(vz::usageText()), stdout);
        return 0;
    }
    if (asksFor(argc, argv, {"--version"})) {
        std::printf("Vivivoz %s\n", VIVIVOZ_VERSION);
        return 0;
    }

    takeDisplayOption(argc, argv);
    const bool wayland = vz::wantsWaylandSession(argc, argv);
    // Qt outlives the platform's services (the screen cast closes its
    // portal session on the bus when it goes).
    std::optional<QApplication> qapp;
    vz::Platform platform;
    QString error;
    if (wayland) {
        // The platform's services read Qt's screens: Qt comes first here.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "wayland");
        qapp.emplace(argc, argv);
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
            std::fprintf(stderr, "vivivoz: cannot open the Wayland display (Qt runs on \"%s\")\n",
                         qPrintable(QGuiApplication::platformName()));
            return 1;
        }
        // What the session does not allow is said once, on stderr and in a
        // message box (from the event loop, never inside a handler).
        platform = vz::makeWaylandPlatform([&platform](const QString& text) {
            std::fprintf(stderr, "vivivoz: %s\n", qPrintable(text));
            QTimer::singleShot(0, qApp, [&platform, text] {
                if (platform.prompter) platform.prompter->warn(text);
            });
        });
    } else {
        platform = vz::makeX11Platform(&error);
        if (!platform.monitors) {
            std::fprintf(stderr, "vivivoz: %s\n", qPrintable(error));
            return 1;
        }
        // On X11 the real program runs on xcb whatever the environment asks for.
        qputenv("QT_QPA_PLATFORM", "xcb");
        qapp.emplace(argc, argv);
    }
    // Qt has taken its own options (-display, -platform, ...); the rest are ours.
    const vz::CommandLine cl = vz::parseCommandLine(QCoreApplication::arguments().mid(1));
    if (!cl.error.isEmpty()) {
        std::fprintf(stderr, "vivivoz: %s\nTry 'vivivoz --help'.\n", qPrintable(cl.error));
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Vivivoz"));
    QApplication::setApplicationVersion(QStringLiteral(VIVIVOZ_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    platform.prompter = std::make_unique<vz::QtPrompter>();

    vz::App app(platform, vz::AppOptions{cl.configDir});
    watchTermination(app);
    if (!app.start(&error)) {
        if (!app.isSecondInstance()) {
            std::fprintf(stderr, "vivivoz: %s\n", qPrintable(error));
            return 1;
        }
        // The first copy keeps running; what this start asks goes to it.
        if (cl.request.isEmpty()) return 0;
        const QString channel = platform.instanceLock->channelPath(platform.paths->executablePath());
        const vz::ForwardResult sent = vz::forwardToRunningCopy(channel, vz::requestArguments(cl.request));
        if (sent.status == vz::ForwardResult::Status::Taken) return 0;
        std::fprintf(stderr, "vivivoz: %s\n", qPrintable(sent.message));
        return sent.status == vz::ForwardResult::Status::Refused ? 2 : 1;
    }
    QObject::connect(&*qapp, &QGuiApplication::commitDataRequest, &*qapp,
                     [&app](QSessionManager&) { app.closeQuery(); });
    QObject::connect(&*qapp, &QCoreApplication::aboutToQuit, &*qapp, [&app] { app.closeQuery(); });

    if (!app.trayAvailable()) {
        std::fprintf(stderr,
                     "vivivoz: no notification area (system tray) is available; "
                     "showing the windows instead\n");
        app.tray->onLeftClick();
    }
    if (!cl.request.isEmpty()) {
        const QString refused = app.controller().carryOut(cl.request);
        if (!refused.isEmpty()) {
            std::fprintf(stderr, "vivivoz: %s\n", qPrintable(refused));
            return 2;
        }
    }
    // A signal handled during start-up (inside a message box) ends the
    // program here; one still waiting is read by the event loop at once.
    if (terminationHandled) return 0;
    return qapp->exec();
}
