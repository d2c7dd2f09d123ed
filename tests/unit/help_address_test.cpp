// Where the help item leads: the website when there is one, else the README
// installed beside the program, else the one in the sources.

#include "core/settings/help_address.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vz::test {
namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# Vivivoz\n");
}

TEST(HelpAddress, WebsiteElseInstalledReadmeElseSourceReadme) {
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    const QString installed = dir.filePath(QStringLiteral("usr/share/doc/vivivoz/README.md"));
    const QString source = dir.filePath(QStringLiteral("src/README.md"));
    QDir().mkpath(bin);
    HelpPlaces places{QString(), bin, QStringLiteral("../share/doc/vivivoz/README.md"), source};

    EXPECT_TRUE(helpAddress(places).isEmpty());  // nothing there at all
    touch(source);
    EXPECT_EQ(helpAddress(places), QUrl::fromLocalFile(QFileInfo(source).canonicalFilePath()));
    touch(installed);
    EXPECT_EQ(helpAddress(places), QUrl::fromLocalFile(QFileInfo(installed).canonicalFilePath()));
    places.website = QStringLiteral("https://example.net/vivivoz/");
    EXPECT_EQ(helpAddress(places), QUrl(QStringLiteral("https://example.net/vivivoz/")));
}

}  // namespace
}  // namespace vz::test
