#pragma once
// Single-instance lock for POSIX systems: an flock()ed file whose name comes
// from the executable's path. The kernel drops the lock when the process
// ends, however it ends, so a crashed copy never blocks the next start.

#include "platform/platform.h"

namespace vz {

class PosixInstanceLock final : public InstanceLock {
public:
    // `directory` holds the lock files; empty means defaultDirectory().
    explicit PosixInstanceLock(QString directory = QString());
    ~PosixInstanceLock() override;  // releases the lock
    PosixInstanceLock(const PosixInstanceLock&) = delete;
    PosixInstanceLock& operator=(const PosixInstanceLock&) = delete;

    // Taking a second lock with the same object lets go of the first.
    bool acquire(const QString& executablePath, QString* error) override;

    // $XDG_RUNTIME_DIR when set, else /tmp/vivivoz-UID, created with mode
    // 0700 and refused when another user owns it. Empty, with `*error` set,
    // when no usable folder can be had.
    static QString defaultDirectory(QString* error);
    // "vivivoz-" + the path without '/' and blanks (cut short when long)
    // + "-" + a hash of the whole path, so that two paths never share a name.
    static QString lockFileName(const QString& executablePath);
    // "vivivoz-" + the same hash + ".socket", beside the lock file (short:
    // a socket's path is limited to about 100 bytes).
    QString channelPath(const QString& executablePath) const override;

private:
    static QString pathHash(const QString& executablePath);
    void release();
    QString directory_;
    int fd_ = -1;
};

}  // namespace vz
