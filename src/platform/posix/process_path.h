#pragma once
// The executable file a running process was started from, as Linux shows it
// under /proc.

#include <QString>

namespace vz {

// Full path of process `pid`'s executable; empty when the process does not
// exist, is not ours to look at, or `pid` is not a valid process id.
QString executableOfProcess(qint64 pid);
// The same for the calling process.
QString executableOfThisProcess();

}  // namespace vz
