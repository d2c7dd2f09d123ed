#pragma once
// The program's command line: --help, --version, --config-dir DIR, and what
// to start (--start, --view, --rate).

#include "core/controller/start_request.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace vz {

struct CommandLine {
    bool help = false;
    bool version = false;
    QString configDir;     // folder of Vivivoz.cfg
    StartRequest request;  // what to start once the program is up
    QString error;         // non-empty: the arguments are wrong; exit with status 2
};

// Parses argv without its program name. Relative file names are made
// absolute against `workingDir` (the current folder when empty).
CommandLine parseCommandLine(const QStringList& args, const QString& workingDir = QString());

// The arguments that make `request` again: what a second start hands to the
// copy that runs (parseCommandLine reads them back to the same request).
QStringList requestArguments(const StartRequest& request);

// A later start's arguments as they travel to the running copy: a JSON
// array of strings and a line end.
QByteArray requestLine(const QStringList& arguments);
// The arguments of a request line (its line end optional); nullopt when the
// line is not a JSON array of strings (of whole characters: no lone
// surrogate).
std::optional<QStringList> argumentsOfRequestLine(QByteArrayView line);

QString usageText();

}  // namespace vz
