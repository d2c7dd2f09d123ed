#include "platform/posix/process_path.h"

#include <QByteArray>
#include <QFile>

#include <unistd.h>

#include <limits>
#include <vector>

namespace vz {
namespace {

QString readExecutableLink(const QByteArray& link) {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = readlink(link.constData(), buffer.data(), buffer.size());
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

}  // namespace

QString executableOfProcess(qint64 pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return QString();
    return readExecutableLink("/proc/" + QByteArray::number(pid) + "/exe");
}

QString executableOfThisProcess() { return readExecutableLink("/proc/self/exe"); }

}  // namespace vz
