#include "core/settings/help_address.h"

#include "version.h"

#include <QDir>
#include <QFileInfo>

namespace vz {

QUrl helpAddress(const HelpPlaces& places) {
    if (!places.website.isEmpty()) return QUrl(places.website);
    const QString installed = QDir(places.executableDir).filePath(places.readmeFromBinDir);
    for (const QString& candidate : {installed, places.sourceReadme}) {
        if (candidate.isEmpty()) continue;
        const QFileInfo info(candidate);
        if (info.isFile()) return QUrl::fromLocalFile(info.canonicalFilePath());
    }
    return QUrl();
}

QUrl helpAddress(const QString& executableDir) {
    return helpAddress(HelpPlaces{QStringLiteral(VIVIVOZ_WEBSITE), executableDir,
                                  QStringLiteral(VIVIVOZ_README_FROM_BINDIR), QStringLiteral(VIVIVOZ_SOURCE_README)});
}

}  // namespace vz
