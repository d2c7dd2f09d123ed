#include "platform/posix/paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace vz {
namespace {

QString readExecutableLink() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return QString();
        if (std::size_t(n) < buffer.size()) {
            QString path = QFile::decodeName(QByteArray(buffer.data(), int(n)));
            // The kernel marks a binary replaced on disk while it runs.
            const QLatin1String deleted(" (deleted)");
            if (path.endsWith(deleted)) path.chop(deleted.size());
            return path;
        }
        buffer.resize(buffer.size() * 2);
    }
}

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

PosixPaths::PosixPaths() : executablePath_(readExecutableLink()) {}

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

QString PosixPaths::documentsDir() const {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

}  // namespace vz
