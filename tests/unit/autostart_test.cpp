#include "core/settings/autostart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vz {
namespace {

TEST(Autostart, EnableCreatesTheFolderAndDisableRemovesTheEntry) {
    QTemporaryDir home;
    const QString configHome = home.path() + QStringLiteral("/config");  // does not exist yet
    QString error;
    ASSERT_TRUE(enableAutostart(configHome, QStringLiteral("/opt/vivivoz/vivivoz"), &error)) << qPrintable(error);
    QFile f(autostartFilePath(configHome));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("\nExec=/opt/vivivoz/vivivoz\n"));
    f.close();
    EXPECT_TRUE(disableAutostart(configHome, &error));
    EXPECT_FALSE(QFile::exists(autostartFilePath(configHome)));
    EXPECT_TRUE(disableAutostart(configHome, &error));  // already gone: fine
}

TEST(Autostart, ExecQuotesPathsWithBlanksAndSpecials) {
    EXPECT_TRUE(autostartEntry(QStringLiteral("/home/a b/vivivoz")).contains("Exec=\"/home/a b/vivivoz\"\n"));
    EXPECT_TRUE(autostartEntry(QStringLiteral("/x/$y/viv")).contains("Exec=\"/x/\\$y/viv\"\n"));
    EXPECT_TRUE(autostartEntry(QStringLiteral("/x/50%/viv")).contains("Exec=/x/50%%/viv\n"));
}

TEST(Autostart, UnwritableFolderIsReported) {
    QTemporaryDir home;
    QFile blocker(home.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(enableAutostart(blocker.fileName(), QStringLiteral("/v"), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace vz
