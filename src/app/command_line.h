#pragma once
// The program's command line: --help, --version, --config-dir DIR, --start desktop.

#include <QString>
#include <QStringList>

namespace vz {

struct CommandLine {
    bool help = false;
    bool version = false;
    QString configDir;  // folder of Vivivoz.cfg
    QString start;      // quick start to run after start-up: "desktop" or empty
    QString error;      // non-empty: the arguments are wrong; exit with status 2
};

// Parses argv without its program name.
CommandLine parseCommandLine(const QStringList& args);
QString usageText();

}  // namespace vz
