// Settings files as they turn up in the wild or in an attack: each is either
// read (and then what is written back reads back the same) or refused, and a
// refused file is never written over.

#include "core/controller/controller.h"
#include "core/settings/ini_document.h"
#include "core/settings/settings_file.h"
#include "platform/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using vz::IniDocument;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray utf16(const QString& text, bool bigEndian) {
    QByteArray out = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
        out += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1} : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return out;
}

// 3.9 MB of LF text: comments padded so that CR LF on writing pushes it
// past the old 4 MiB limit.
QByteArray paddedLfFile() {
    QByteArray text = "[Velikost]\nGor=77\n";
    const QByteArray comment = "; pad\n";
    while (text.size() < 3'900'000) text += comment;
    return text;
}

struct Case {
    const char* name;
    QByteArray bytes;
    IniDocument::LoadStatus status;
    int gor;  // Velikost/Gor as read; -1 when nothing is read
};

}  // namespace

TEST(HostileSettingsFile, ReadOrRefusedAndWhatIsWrittenReadsBack) {
    QByteArray nul("[Velikost]\r\nGor=12\r\n", 19);
    nul += QByteArray("\0\0\0junk\xFF\xFE", 10);
    const Case cases[] = {
        {"LF line ends, 3.9 MB", paddedLfFile(), IniDocument::LoadStatus::Loaded, 77},
        {"CR-only line ends", "[Velikost]\rLevo=3\rGor=44\r", IniDocument::LoadStatus::Loaded, 44},
        {"UTF-16LE with BOM", utf16(QStringLiteral("[Velikost]\r\nGor=55\r\n"), false), IniDocument::LoadStatus::Loaded,
         55},
        {"UTF-16BE with BOM", utf16(QStringLiteral("[Velikost]\r\nGor=56\r\n"), true), IniDocument::LoadStatus::Loaded,
         56},
        {"truncated in a key", "[Velikost]\r\nGor=9\r\nLe", IniDocument::LoadStatus::Loaded, 9},
        {"NUL bytes and binary", nul, IniDocument::LoadStatus::Loaded, 12},
        {"duplicated sections", "[Velikost]\r\nGor=1\r\n[Velikost]\r\nGor=2\r\n", IniDocument::LoadStatus::Loaded, 1},
        {"huge and negative numbers", "[Velikost]\r\nGor=-99999999999\r\nLevo=4294967296\r\n",
         IniDocument::LoadStatus::Loaded, -1},
        {"over the size limit", QByteArray(IniDocument::MaxFileSize + 1, ';'), IniDocument::LoadStatus::TooLarge, -1},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QStringLiteral("Vivivoz.cfg"));
        ASSERT_TRUE(writeFile(path, c.bytes));
        IniDocument doc;
        ASSERT_EQ(doc.load(path), c.status);
        EXPECT_EQ(doc.readInteger("Velikost", "Gor", -1), c.gor);
        if (c.status != IniDocument::LoadStatus::Loaded) continue;
        // What is written back is readable again and holds the same values.
        doc.writeInteger("Options", "opScaleValue", 150);
        QString error;
        ASSERT_TRUE(doc.save(path, &error)) << qPrintable(error);
        IniDocument again;
        ASSERT_EQ(again.load(path), IniDocument::LoadStatus::Loaded);
        EXPECT_EQ(again.readInteger("Velikost", "Gor", -1), c.gor);
        EXPECT_EQ(again.readInteger("Options", "opScaleValue", 0), 150);
        EXPECT_EQ(again.toBytes(), doc.toBytes());
    }
}

TEST(HostileSettingsFile, FifoAndDevicesAreRefusedWithoutWaitingAndLeftAlone) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.cfg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath(QStringLiteral("link.cfg"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), link));
    for (const QString& path : {fifo, link, QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(qPrintable(path));
        IniDocument doc;
        // A FIFO nobody writes to would block a plain open for good.
        EXPECT_EQ(doc.load(path), IniDocument::LoadStatus::Unreadable);
        EXPECT_FALSE(doc.loadError().isEmpty());
        QString error;
        EXPECT_FALSE(doc.save(path, &error));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot create file"))) << qPrintable(error);
    }
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), QStringLiteral("/dev/null"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(HostileSettingsFile, TextThatWouldNotReadBackIsNotWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vivivoz.cfg"));
    // Just under the limit with LF ends: CR LF would take it over.
    QByteArray text = "[Velikost]\nGor=8\n";
    const QByteArray comment = QByteArray(62, ';') + '\n';
    while (text.size() + comment.size() < IniDocument::MaxFileSize) text += comment;
    ASSERT_TRUE(writeFile(path, text));
    IniDocument doc;
    ASSERT_EQ(doc.load(path), IniDocument::LoadStatus::Loaded);
    QString error;
    EXPECT_FALSE(doc.save(path, &error));
    EXPECT_EQ(readFile(path), text);
}

// The controller runs on the defaults, says so once and never saves over a
// file it could not read.
TEST(HostileSettingsFile, UnreadableFileIsReportedOnceAndNeverOverwritten) {
    int argc = 1;
    char name[] = "settings_hostile_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);  // the controller's timers need one
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vivivoz.cfg"));
    const QByteArray big(IniDocument::MaxFileSize + 10, ';');
    ASSERT_TRUE(writeFile(path, big));

    vz::FakeDesktop desktop;
    vz::Platform platform = vz::makeFakePlatform(desktop);
    vz::Controller controller(platform, vz::FramePipeline::Mode::Inline);
    controller.refreshMonitors();
    controller.settingsStore().setFolder(dir.path() + QLatin1Char('/'));
    controller.loadSettings();
    controller.loadSettings();
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked.first().contains(QStringLiteral("default settings")));
    EXPECT_EQ(controller.viewOptions().scaleValue(), 100);

    controller.viewOptions().setScaleValue(300);
    QString error;
    EXPECT_TRUE(controller.saveSettings(&error));
    EXPECT_EQ(QFileInfo(path).size(), big.size());
    EXPECT_EQ(readFile(path), big);
}
