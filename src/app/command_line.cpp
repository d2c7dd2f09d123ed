#include "app/command_line.h"

namespace vz {

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine cl;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](const QString& name) -> QString {
            const QString prefix = name + QLatin1Char('=');
            if (a.startsWith(prefix)) return a.mid(prefix.size());
            if (i + 1 < args.size()) return args[++i];
            cl.error = QStringLiteral("option %1 needs a value").arg(name);
            return {};
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.help = true;
        } else if (a == QLatin1String("--version")) {
            cl.version = true;
        } else if (a == QLatin1String("--config-dir") || a.startsWith(QLatin1String("--config-dir="))) {
            cl.configDir = value(QStringLiteral("--config-dir"));
            if (cl.error.isEmpty() && cl.configDir.isEmpty()) cl.error = QStringLiteral("--config-dir needs a folder");
        } else if (a == QLatin1String("--start") || a.startsWith(QLatin1String("--start="))) {
            cl.start = value(QStringLiteral("--start"));
            if (cl.error.isEmpty() && cl.start != QLatin1String("desktop"))
                cl.error = QStringLiteral("unknown quick start '%1' (known: desktop)").arg(cl.start);
        } else {
            cl.error = QStringLiteral("unknown option '%1'").arg(a);
        }
        if (!cl.error.isEmpty()) break;
    }
    return cl;
}

QString usageText() {
    return QStringLiteral(
        "Usage: vivivoz [options]\n"
        "Puts a mirror of the primary monitor (and more) on the secondary monitor.\n"
        "It lives in the notification area: left-click its icon to show the output,\n"
        "right-click it for the menu.\n"
        "\n"
        "Options:\n"
        "  --config-dir DIR   keep Vivivoz.cfg in DIR\n"
        "  --start desktop    start mirroring the desktop at once\n"
        "  --version          print the version and exit\n"
        "  -h, --help         print this help and exit\n");
}

}  // namespace vz
