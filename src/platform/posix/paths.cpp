#include "platform/posix/paths.h"

#include "platform/posix/process_path.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace vz {
namespace {

QString homeDir() {
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = QFile::decodeName(pw->pw_dir);
    }
    return home.isEmpty() ? QDir::homePath() : home;
}

QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

}  // namespace

PosixPaths::PosixPaths() : executablePath_(executableOfThisProcess()) {}

QString PosixPaths::executablePath() const { return executablePath_; }

QString PosixPaths::executableDir() const {
    const qsizetype slash = executablePath_.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : executablePath_.left(slash + 1);
}

QString PosixPaths::configHome() const {
    // Relative values are to be ignored, as the XDG conventions say.
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (xdg.startsWith(QLatin1Char('/'))) return withoutTrailingSlash(xdg);
    QString home = withoutTrailingSlash(homeDir());
    if (home == QLatin1String("/")) home.clear();
    return home + QStringLiteral("/.config");
}

QString PosixPaths::documentsDir() const { return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation); }

}  // namespace vz
