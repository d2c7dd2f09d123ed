#include "app/command_line.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

namespace vz {

namespace {

// X11 coordinates are 16-bit.
constexpr int kCoordinateLimit = 32767;
const char* const kViewModes[] = {"normal", "stretch", "optimal", "resize", "scale"};

bool toInt(const QString& text, int low, int high, int& out) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < low || v > high) return false;
    out = int(v);
    return true;
}

// "X,Y,W,H": the rectangle must lie within X11's coordinate range.
QString parseArea(const QString& text, QRect& area) {
    const QStringList parts = text.split(QLatin1Char(','));
    int v[4] = {};
    const bool numbers = parts.size() == 4 && toInt(parts[0], -kCoordinateLimit, kCoordinateLimit, v[0]) &&
                         toInt(parts[1], -kCoordinateLimit, kCoordinateLimit, v[1]) &&
                         toInt(parts[2], 1, kCoordinateLimit, v[2]) && toInt(parts[3], 1, kCoordinateLimit, v[3]);
    if (!numbers)
        return QStringLiteral(
                   "--start area needs X,Y,WIDTH,HEIGHT (whole numbers, width and height at least 1), "
                   "not '%1'")
            .arg(text);
    if (qint64(v[0]) + v[2] > kCoordinateLimit || qint64(v[1]) + v[3] > kCoordinateLimit)
        return QStringLiteral("--start area %1 reaches beyond the screen's coordinate range").arg(text);
    area = QRect(v[0], v[1], v[2], v[3]);
    return {};
}

// "mode" or "scale:PERCENT".
QString parseView(const QString& text, StartRequest& request) {
    // The last --view wins whole: no percentage is left from an earlier one.
    request.scalePercent = 0;
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString name = (colon < 0 ? text : text.left(colon)).toLower();
    for (int n = 1; n <= 5; ++n) {
        if (name != QLatin1String(kViewModes[n - 1])) continue;
        if (colon >= 0) {
            if (n != 5 || !toInt(text.mid(colon + 1), 1, 1000, request.scalePercent))
                return QStringLiteral("--view: only scale takes a percentage (scale:1 to scale:1000), not '%1'")
                    .arg(text);
        }
        request.viewMode = viewFitFromNumber(n);
        return {};
    }
    return QStringLiteral("unknown view mode '%1' (known: normal, stretch, optimal, resize, scale[:PERCENT])")
        .arg(text);
}

// A file name made absolute against the working folder as a plain path:
// QDir would take a name starting with ':' for one of the program's own
// resources ("--start text :notes.sct" is a file in the working folder).
QString absoluteFile(const QString& workingDir, const QString& file) {
    if (file.startsWith(QLatin1Char('/'))) return QDir::cleanPath(file);
    QString dir = workingDir.isEmpty() ? QDir::currentPath() : workingDir;
    if (!dir.startsWith(QLatin1Char('/'))) dir = QDir::currentPath() + QLatin1Char('/') + dir;
    return QDir::cleanPath(dir + QLatin1Char('/') + file);
}

}  // namespace

CommandLine parseCommandLine(const QStringList& args, const QString& workingDir) {
    CommandLine cl;
    StartRequest& r = cl.request;
    for (int i = 0; i < args.size() && cl.error.isEmpty(); ++i) {
        const QString& a = args[i];
        // The option's value: "--name=value" or the next argument.
        auto value = [&](const QString& name) -> QString {
            const QString prefix = name + QLatin1Char('=');
            if (a.startsWith(prefix)) return a.mid(prefix.size());
            if (i + 1 < args.size()) return args[++i];
            cl.error = QStringLiteral("option %1 needs a value").arg(name);
            return {};
        };
        auto is = [&](const char* name) {
            return a == QLatin1String(name) || a.startsWith(QLatin1String(name) + QLatin1Char('='));
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.help = true;
        } else if (a == QLatin1String("--version")) {
            cl.version = true;
        } else if (is("--config-dir")) {
            cl.configDir = value(QStringLiteral("--config-dir"));
            if (cl.error.isEmpty() && cl.configDir.isEmpty()) cl.error = QStringLiteral("--config-dir needs a folder");
        } else if (is("--start")) {
            const QString what = value(QStringLiteral("--start"));
            if (!cl.error.isEmpty()) break;
            auto argument = [&](const char* needs) -> QString {
                if (i + 1 < args.size()) return args[++i];
                cl.error = QStringLiteral("--start %1 needs %2").arg(what, QLatin1String(needs));
                return {};
            };
            r.area = {};
            r.window.clear();
            r.file.clear();
            if (what == QLatin1String("desktop")) {
                r.source = StartRequest::Source::Desktop;
            } else if (what == QLatin1String("clipboard")) {
                r.source = StartRequest::Source::Clipboard;
            } else if (what == QLatin1String("area")) {
                r.source = StartRequest::Source::Area;
                const QString rect = argument("X,Y,WIDTH,HEIGHT");
                if (cl.error.isEmpty()) cl.error = parseArea(rect, r.area);
            } else if (what == QLatin1String("window")) {
                r.source = StartRequest::Source::Window;
                r.window = argument("a window id or a part of its title");
                if (cl.error.isEmpty() && r.window.trimmed().isEmpty())
                    cl.error = QStringLiteral("--start window needs a window id or a part of its title");
            } else if (what == QLatin1String("slideshow") || what == QLatin1String("text")) {
                const bool slideshow = what == QLatin1String("slideshow");
                r.source = slideshow ? StartRequest::Source::Slideshow : StartRequest::Source::Text;
                const QString file = argument(slideshow ? "a slideshow file (.vsl)" : "a scroll-text file (.sct)");
                if (cl.error.isEmpty() && file.isEmpty())
                    cl.error = QStringLiteral("--start %1 needs a file name").arg(what);
                if (cl.error.isEmpty()) r.file = absoluteFile(workingDir, file);
            } else {
                cl.error = QStringLiteral(
                               "unknown source '%1' (known: desktop, area, window, clipboard, slideshow, "
                               "text)")
                               .arg(what);
            }
        } else if (is("--view")) {
            const QString mode = value(QStringLiteral("--view"));
            if (cl.error.isEmpty()) cl.error = parseView(mode, r);
        } else if (is("--rate")) {
            const QString rate = value(QStringLiteral("--rate"));
            if (cl.error.isEmpty() && !toInt(rate, 1, 1000, r.rate))
                cl.error = QStringLiteral("--rate needs frames per second from 1 to 1000, not '%1'").arg(rate);
        } else {
            cl.error = QStringLiteral("unknown option '%1'").arg(a);
        }
    }
    return cl;
}

QStringList requestArguments(const StartRequest& r) {
    QStringList args;
    switch (r.source) {
        case StartRequest::Source::None: break;
        case StartRequest::Source::Desktop: args << QStringLiteral("--start") << QStringLiteral("desktop"); break;
        case StartRequest::Source::Clipboard: args << QStringLiteral("--start") << QStringLiteral("clipboard"); break;
        case StartRequest::Source::Area:
            args << QStringLiteral("--start") << QStringLiteral("area")
                 << QStringLiteral("%1,%2,%3,%4")
                        .arg(r.area.x())
                        .arg(r.area.y())
                        .arg(r.area.width())
                        .arg(r.area.height());
            break;
        case StartRequest::Source::Window:
            args << QStringLiteral("--start") << QStringLiteral("window") << r.window;
            break;
        case StartRequest::Source::Slideshow:
            args << QStringLiteral("--start") << QStringLiteral("slideshow") << r.file;
            break;
        case StartRequest::Source::Text: args << QStringLiteral("--start") << QStringLiteral("text") << r.file; break;
    }
    if (r.viewMode) {
        QString mode = QLatin1String(kViewModes[viewFitNumber(*r.viewMode) - 1]);
        if (*r.viewMode == ViewFit::Scale && r.scalePercent > 0) mode += QStringLiteral(":%1").arg(r.scalePercent);
        args << QStringLiteral("--view") << mode;
    }
    if (r.rate > 0) args << QStringLiteral("--rate") << QString::number(r.rate);
    return args;
}

QByteArray requestLine(const QStringList& arguments) {
    return QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<QStringList> argumentsOfRequestLine(QByteArrayView line) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray()) return std::nullopt;
    QStringList arguments;
    for (const QJsonValue& v : doc.array()) {
        // A lone surrogate ("\ud800") names no file and would not travel on.
        if (!v.isString() || !v.toString().isValidUtf16()) return std::nullopt;
        arguments << v.toString();
    }
    return arguments;
}

QString usageText() {
    return QStringLiteral(
        "Usage: vivivoz [options]\n"
        "Puts a mirror of the primary monitor (and more) on the secondary monitor.\n"
        "It lives in the notification area: left-click its icon to show the output,\n"
        "right-click it for the menu.\n"
        "\n"
        "Options:\n"
        "  --start desktop             mirror the primary monitor\n"
        "  --start area X,Y,W,H        mirror the rectangle at X,Y (from the primary\n"
        "                              monitor's top-left corner) of W x H pixels\n"
        "  --start window ID|TITLE     mirror one window: its X11 id (decimal or 0x...),\n"
        "                              else the first window whose title contains TITLE\n"
        "                              (upper and lower case alike)\n"
        "  --start clipboard           show each picture copied to the clipboard\n"
        "  --start slideshow FILE.vsl  play a slideshow file\n"
        "  --start text FILE.sct       scroll the text of a scroll-text file on the output\n"
        "  --view MODE                 normal, stretch, optimal, resize, or scale[:PERCENT]\n"
        "                              (scale:1 to scale:1000)\n"
        "  --rate N                    screen updates per second, 1 to 1000\n"
        "  --config-dir DIR            keep Vivivoz.cfg in DIR\n"
        "  --version                   print the version and exit\n"
        "  -h, --help                  print this help and exit\n"
        "\n"
        "A --start shows the output window on the second monitor and runs the source.\n"
        "When Vivivoz already runs, a second start hands its --start, --view and --rate\n"
        "to the running copy and exits (status 0 when the running copy took them).\n"
        "\n"
        "In a Wayland session (WAYLAND_DISPLAY without DISPLAY, or --platform wayland)\n"
        "the desktop is mirrored through the screen-cast portal; the window mirror,\n"
        "the global keys and the cursor lock need X11.\n"
        "\n"
        "Exit status: 0 success; 1 the program could not run (no display, the\n"
        "running copy did not answer); 2 wrong options or values (nothing changed).\n");
}

}  // namespace vz
