// Program entry: command line, platform, the App, and the event loop.

#include "app/app.h"
#include "app/command_line.h"
#include "platform/x11/x11_platform.h"
#include "ui/widgets/qt_prompter.h"
#include "ui/tray/tray_icon.h"
#include "version.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM, SIGINT and SIGHUP end the program the way the end of the desktop
// session does: the close query runs (the settings are saved), then it quits.
void installTerminationHandlers(vz::App& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&app, notifier] {
        char byte;
        [[maybe_unused]] auto n = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        app.closeQuery();
        QCoreApplication::exit(0);
    });
    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const vz::CommandLine cl = vz::parseCommandLine(args);
    if (!cl.error.isEmpty()) {
        std::fprintf(stderr, "vivivoz: %s\nTry 'vivivoz --help'.\n", qPrintable(cl.error));
        return 2;
    }
    if (cl.help) {
        std::fputs(qPrintable(vz::usageText()), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("Vivivoz %s\n", VIVIVOZ_VERSION);
        return 0;
    }

    QString error;
    vz::Platform platform = vz::makeX11Platform(&error);
    if (!platform.monitors) {
        std::fprintf(stderr, "vivivoz: %s\n", qPrintable(error));
        return 1;
    }

    // The real program runs on X11 whatever the environment asks for.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vivivoz"));
    QApplication::setApplicationVersion(QStringLiteral(VIVIVOZ_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    platform.prompter = std::make_unique<vz::QtPrompter>();

    vz::App app(platform, vz::AppOptions{cl.configDir});
    if (!app.start(&error)) {
        if (app.isSecondInstance()) return 0;  // the first copy keeps running
        std::fprintf(stderr, "vivivoz: %s\n", qPrintable(error));
        return 1;
    }
    installTerminationHandlers(app);
    QObject::connect(&qapp, &QGuiApplication::commitDataRequest, &qapp,
                     [&app](QSessionManager&) { app.closeQuery(); });
    QObject::connect(&qapp, &QCoreApplication::aboutToQuit, &qapp, [&app] { app.closeQuery(); });

    if (!app.trayAvailable()) {
        std::fprintf(stderr, "vivivoz: no notification area (system tray) is available; "
                             "showing the windows instead\n");
        app.tray->onLeftClick();
    }
    if (cl.start == QLatin1String("desktop")) app.tray->quickStartDesktop();
    return qapp.exec();
}
