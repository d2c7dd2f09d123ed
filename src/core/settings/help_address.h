#pragma once
// Where "Visit the Vivivoz website" and the about box send the user: the
// website when the build names one, else the README installed beside the
// program (or, for a build run where it was built, the one in the sources).

#include <QString>
#include <QUrl>

namespace vz {

struct HelpPlaces {
    QString website;           // empty: no website
    QString executableDir;     // the running program's folder
    QString readmeFromBinDir;  // the installed README, relative to that folder
    QString sourceReadme;      // the README in the sources
};

// The web address, else a file address of the first README that exists;
// an empty address when there is neither.
QUrl helpAddress(const HelpPlaces& places);

// The same for this build, run from `executableDir`.
QUrl helpAddress(const QString& executableDir);

}  // namespace vz
