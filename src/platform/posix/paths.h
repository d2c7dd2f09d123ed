#pragma once
// Folders on POSIX systems, following the XDG base directory conventions.

#include "platform/platform.h"

namespace vz {

class PosixPaths final : public Paths {
public:
    PosixPaths();
    QString executablePath() const override;  // from /proc/self/exe
    QString executableDir() const override;
    QString configHome() const override;
    QString documentsDir() const override;  // QStandardPaths' documents folder

private:
    QString executablePath_;
};

}  // namespace vz
