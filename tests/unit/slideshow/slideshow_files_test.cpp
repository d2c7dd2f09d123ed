#include "core/slideshow/slideshow_files.h"
#include "core/settings/text_encoding.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace vz::slideshow;
using vz::decodeEightBitText;

namespace {

const QStringList kPaths{QStringLiteral("/home/ana/Slike/a.jpg"), QStringLiteral("/b.png"),
                         QStringLiteral("/home/ana/Čas ženske/ü.bmp")};

TEST(SlideshowFiles, ProjectAndSlideshowBytesAndRoundTrip) {
    const SlideshowContent content{false, 7, kPaths};
    const QByteArray project = projectFileBytes(content);
    const QByteArray slideshow = slideshowFileBytes(content);
    EXPECT_TRUE(project.startsWith("0\r\n7\r\n/home/ana/Slike/a.jpg\r\n"));
    EXPECT_TRUE(project.endsWith("\xc3\xbc.bmp\r\n"));
    EXPECT_TRUE(slideshow.startsWith("7\r\nOff\r\n/home/ana/Slike/a.jpg\r\n"));
    EXPECT_TRUE(slideshowFileBytes({true, 5, {}}) == "5\r\nOn\r\n");
    EXPECT_TRUE(projectFileBytes({true, 5, {}}) == "1\r\n5\r\n");

    const auto back = parseProjectFile(project);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->loop);
    EXPECT_EQ(back->durationSeconds, 7);
    EXPECT_EQ(back->paths, kPaths);

    const PlayListFile list = parsePlayListFile(slideshow);
    EXPECT_EQ(list.lines, QStringList({"7", "Off"}) + kPaths);
    EXPECT_EQ(list.droppedLines, 0);

    // A project whose loop line is "1" gives a slideshow file with "On", and back.
    const auto on = parseProjectFile("1\r\n3\r\n/x.jpg\r\n");
    ASSERT_TRUE(on);
    EXPECT_EQ(slideshowFileBytes(*on), "3\r\nOn\r\n/x.jpg\r\n");
}

TEST(SlideshowFiles, ReaderRules) {
    struct Case {
        const char* line;
        bool projectLoop, slideshowLoop;
        std::optional<int> integer;
    };
    const Case cases[] = {
        {"1", true, false, 1},
        {" 1", false, false, 1},
        {"true", false, false, std::nullopt},
        {"on", false, true, std::nullopt},
        {"ON", false, true, std::nullopt},
        {"On", false, true, std::nullopt},
        {"oN", false, true, std::nullopt},
        {" On", false, false, std::nullopt},
        {"On ", false, false, std::nullopt},
        {"", false, false, std::nullopt},
        {"0", false, false, 0},
        {"-3", false, false, -3},
        {"+12", false, false, 12},
        {"5.5", false, false, std::nullopt},
        {"5 ", false, false, std::nullopt},
        {"1e3", false, false, std::nullopt},
        {"2147483647", false, false, 2147483647},
        {"-2147483648", false, false, -2147483647 - 1},
        {"2147483648", false, false, std::nullopt},
        {"99999999999999999999", false, false, std::nullopt},
        {"-", false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        const QString line = QString::fromUtf8(c.line);
        EXPECT_EQ(projectLoopLineIsOn(line), c.projectLoop) << c.line;
        EXPECT_EQ(slideshowLoopWordIsOn(line), c.slideshowLoop) << c.line;
        EXPECT_EQ(parseLineInteger(line), c.integer) << c.line;
    }
    // Upper-casing is ASCII only: a dotless or accented letter is not "O"/"N".
    EXPECT_FALSE(slideshowLoopWordIsOn(QStringLiteral("\u00f3n")));
}

TEST(SlideshowFiles, ProjectFileFailures) {
    QString error;
    EXPECT_FALSE(parseProjectFile("", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(parseProjectFile("1\r\n", &error));
    EXPECT_FALSE(parseProjectFile("1\r\nfive\r\n/a.jpg\r\n", &error));
    EXPECT_EQ(error, QStringLiteral("'five' is not a valid integer value"));
    // Missing line ends, bare LF and a last line without an end all read the same.
    const auto loose = parseProjectFile("true\n4\r\n/a.jpg\n/b.jpg");
    ASSERT_TRUE(loose);
    EXPECT_FALSE(loose->loop);
    EXPECT_EQ(loose->durationSeconds, 4);
    EXPECT_EQ(loose->paths, QStringList({"/a.jpg", "/b.jpg"}));
}

TEST(SlideshowFiles, TextEncodingAndLines) {
    EXPECT_EQ(decodeEightBitText("Ana \xc4\x8d"), QStringLiteral("Ana \u010d"));
    // Not valid UTF-8: Windows-1252, as Windows wrote the file.
    EXPECT_EQ(decodeEightBitText("Caf\xe9 \x96 \x80"), QStringLiteral("Caf\u00e9 \u2013 \u20ac"));
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), QStringList({"a", "", "b"}));
    EXPECT_EQ(splitLines("a\r\rb"), QStringList({"a\r\rb"}));
    EXPECT_TRUE(splitLines("").isEmpty());
}

TEST(SlideshowFiles, PlayListKeepsAtMostCapacityLines) {
    QByteArray bytes = "5\r\nOn\r\n";
    for (int i = 0; i < 3100; ++i) bytes += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    const PlayListFile list = parsePlayListFile(bytes);
    EXPECT_EQ(list.lines.size(), kPlayListCapacity);
    EXPECT_EQ(list.droppedLines, 3102 - kPlayListCapacity);
    EXPECT_EQ(list.lines.last(), QStringLiteral("/p/2998.jpg"));
}

TEST(SlideshowFiles, FileKinds) {
    const std::pair<const char*, FileKind> cases[] = {
        {"/a/b.txt", FileKind::Text},     {"/a/b.JPG", FileKind::Jpeg},   {"/a/b.jpeg", FileKind::Jpeg},
        {"/a/b.Png", FileKind::Png},      {"/a/b.bmp", FileKind::Bitmap}, {"/a/b.rtf", FileKind::RichText},
        {"/a/b.gif", FileKind::Other},    {"/a/b", FileKind::Other},      {"/a.jpg/b", FileKind::Other},
        {"/a/b.jpg.txt", FileKind::Text}, {"/a/.jpg", FileKind::Jpeg},
    };
    for (const auto& [path, kind] : cases) EXPECT_EQ(fileKindOf(QString::fromUtf8(path)), kind) << path;
}

TEST(SlideshowFiles, WholeFileReadAndAtomicWrite) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("show.vsl"));
    QString error;
    ASSERT_TRUE(writeWholeFile(path, "5\r\nOn\r\n", &error)) << error.toStdString();
    EXPECT_EQ(readWholeFile(path, &error), QByteArray("5\r\nOn\r\n"));
    EXPECT_FALSE(readWholeFile(dir.path(), &error));
    EXPECT_TRUE(error.contains(dir.path()));
    EXPECT_FALSE(readWholeFile(path, &error, 3));
    // A small file under a vast limit: the read must be sized by the file,
    // not by the limit (reserving the limit would fail or cost seconds).
    EXPECT_EQ(readWholeFile(path, &error, qint64(1) << 40), QByteArray("5\r\nOn\r\n"));
    EXPECT_FALSE(writeWholeFile(dir.filePath(QStringLiteral("missing/x.vsl")), "x", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("x.vsl")));
}

}  // namespace
