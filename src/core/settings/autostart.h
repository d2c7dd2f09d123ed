#pragma once
// "Load at Startup": an XDG autostart entry that starts the executable when
// the user logs in.

#include <QString>

namespace vz {

// The entry's path in `configHome` (~/.config): autostart/vivivoz.desktop.
QString autostartFilePath(const QString& configHome);
// The entry's text, whose Exec is the executable's full path.
QByteArray autostartEntry(const QString& executablePath);
// Writes the entry, creating the autostart folder when missing.
bool enableAutostart(const QString& configHome, const QString& executablePath, QString* error);
// Removes the entry; a missing entry is not an error.
bool disableAutostart(const QString& configHome, QString* error);

}  // namespace vz
