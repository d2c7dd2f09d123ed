#include "platform/posix/instance_lock.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vz {
namespace {

QString systemError(const QString& what, const QString& path, int error) {
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error)));
}

// Makes sure `dir` is a folder of ours that nobody else can write to.
bool ensurePrivateDir(const QString& dir, QString* error) {
    const QByteArray path = QFile::encodeName(dir);
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        if (error) *error = systemError(QStringLiteral("cannot create"), dir, errno);
        return false;
    }
    struct stat st {};
    if (lstat(path.constData(), &st) != 0) {
        if (error) *error = systemError(QStringLiteral("cannot read"), dir, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid()) {
        if (error) *error = QStringLiteral("%1 is not a folder of this user").arg(dir);
        return false;
    }
    if ((st.st_mode & 077) != 0 && chmod(path.constData(), 0700) != 0) {
        if (error) *error = systemError(QStringLiteral("cannot restrict"), dir, errno);
        return false;
    }
    return true;
}

}  // namespace

PosixInstanceLock::PosixInstanceLock(QString directory) : directory_(std::move(directory)) {}

PosixInstanceLock::~PosixInstanceLock() { release(); }

void PosixInstanceLock::release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

QString PosixInstanceLock::defaultDirectory(QString* error) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) {
        struct stat st {};
        if (stat(QFile::encodeName(runtime).constData(), &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
    }
    const QString fallback = QStringLiteral("/tmp/vivivoz-%1").arg(getuid());
    return ensurePrivateDir(fallback, error) ? fallback : QString();
}

QString PosixInstanceLock::lockFileName(const QString& executablePath) {
    QString readable;
    for (const QChar c : executablePath)
        if (c != QLatin1Char('/') && !c.isSpace()) readable.append(c);
    constexpr int maxReadable = 80;
    if (readable.size() > maxReadable) readable = readable.right(maxReadable);  // the end names the program
    return QStringLiteral("vivivoz-%1-%2.lock").arg(readable, pathHash(executablePath));
}

QString PosixInstanceLock::pathHash(const QString& executablePath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(executablePath.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

QString PosixInstanceLock::channelPath(const QString& executablePath) const {
    QString dir = directory_;
    if (dir.isEmpty()) dir = defaultDirectory(nullptr);
    if (dir.isEmpty()) return {};
    return dir + QStringLiteral("/vivivoz-%1.socket").arg(pathHash(executablePath));
}

bool PosixInstanceLock::acquire(const QString& executablePath, QString* error) {
    release();
    QString dir = directory_;
    if (dir.isEmpty()) {
        dir = defaultDirectory(error);
        if (dir.isEmpty()) return false;
    }
    const QString file = dir + QLatin1Char('/') + lockFileName(executablePath);
    // Close-on-exec: a program we start must not inherit, and so keep, the lock.
    const int fd = open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        if (error) *error = systemError(QStringLiteral("cannot open"), file, errno);
        return false;
    }
    int rc;
    do rc = flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int reason = errno;
        close(fd);
        if (reason == EWOULDBLOCK) return false;  // another copy runs
        if (error) *error = systemError(QStringLiteral("cannot lock"), file, reason);
        return false;
    }
    fd_ = fd;
    // The holder's pid, for whoever looks at the file; the lock is what counts.
    const QByteArray pid = QByteArray::number(qint64(getpid())) + '\n';
    if (ftruncate(fd_, 0) == 0) {
        const ssize_t written = write(fd_, pid.constData(), size_t(pid.size()));
        (void)written;
    }
    return true;
}

}  // namespace vz
