#include "core/settings/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vz {

QString autostartFilePath(const QString& configHome) {
    return configHome + QStringLiteral("/autostart/vivivoz.desktop");
}

QByteArray autostartEntry(const QString& executablePath) {
    // Exec quoting of desktop entries: a path with blanks or specials is quoted,
    // and inside quotes ", `, $ and \ are escaped.
    QString exec = executablePath;
    static const QString specials = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (QChar c : exec) needsQuotes |= specials.contains(c);
    if (needsQuotes) {
        QString quoted;
        for (QChar c : exec) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        exec = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    exec.replace(QLatin1Char('%'), QStringLiteral("%%"));
    QByteArray text;
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=Vivivoz\n";
    text += "Comment=Mirror the desktop onto a second monitor or projector\n";
    text += "Exec=" + exec.toUtf8() + "\n";
    text += "Terminal=false\n";
    text += "X-GNOME-Autostart-enabled=true\n";
    return text;
}

bool enableAutostart(const QString& configHome, const QString& executablePath, QString* error) {
    const QString path = autostartFilePath(configHome);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        if (error) *error = QStringLiteral("Cannot create folder \"%1\".").arg(QFileInfo(path).absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(autostartEntry(executablePath)) < 0 || !file.commit()) {
        if (error) *error = QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool disableAutostart(const QString& configHome, QString* error) {
    const QString path = autostartFilePath(configHome);
    QFile file(path);
    if (!file.exists() || file.remove()) return true;
    if (error) *error = QStringLiteral("Cannot delete file \"%1\". %2").arg(path, file.errorString());
    return false;
}

}  // namespace vz
