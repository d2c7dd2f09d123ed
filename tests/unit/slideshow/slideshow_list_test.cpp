#include "core/slideshow/slideshow_list.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>

using namespace vz::slideshow;

namespace {

ListRow row(const QString& file, const QString& size, const QString& type = {}, const QString& location = "/p") {
    ListRow r;
    r.text = {file, size, type, location, QString()};
    return r;
}

QStringList names(const std::vector<ListRow>& rows) {
    QStringList out;
    for (const ListRow& r : rows) out << r.fileName();
    return out;
}

TEST(SlideshowList, LocationAndFullPath) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/photo.jpg", "/", "photo.jpg"},
        {"/home/ana/Pics/a.JPG", "/home/ana/Pics", "a.JPG"},
        {"/a/b.png", "/a", "b.png"},
    };
    for (const auto& [path, location, file] : cases) {
        EXPECT_EQ(locationOf(QString::fromUtf8(path)), QString::fromUtf8(location)) << path;
        ListRow r;
        r.text[FileColumn] = QString::fromUtf8(file);
        r.text[LocationColumn] = QString::fromUtf8(location);
        // The root keeps its "/" and the path is rebuilt without a doubled one.
        EXPECT_EQ(r.fullPath(), QString::fromUtf8(path)) << path;
    }
}

TEST(SlideshowList, RowColumnsFromTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello");
    f.close();
    QMimeDatabase mime;
    const ListRow r = makeRow(path, mime);
    EXPECT_EQ(r.fileName(), QStringLiteral("notes.txt"));
    EXPECT_EQ(r.text[SizeColumn], QStringLiteral("5"));
    EXPECT_FALSE(r.text[TypeColumn].isEmpty());
    EXPECT_LE(r.text[TypeColumn].size(), 80);
    EXPECT_EQ(r.location(), dir.path());
    EXPECT_EQ(r.fullPath(), path);
    EXPECT_EQ(sizeText(dir.filePath(QStringLiteral("gone.jpg"))), QStringLiteral("-1"));
    EXPECT_EQ(dimensionsText(QSize(1024, 768)), QStringLiteral("1024 X 768"));
    EXPECT_EQ(dimensionsText(QSize()), QString());

    std::vector<ListRow> rows{r};
    EXPECT_TRUE(isListed(rows, path));
    EXPECT_FALSE(isListed(rows, path.toUpper()));  // another file on a case-sensitive file system
}

TEST(SlideshowList, SortComparisons) {
    std::vector<ListRow> rows{row("b.jpg", "10"), row("A.jpg", "-1"), row("c.jpg", "9"), row("a2.jpg", "100")};
    // The first click sorts descending: the largest first; "-1" (missing) is a number too.
    sortRows(rows, SizeColumn, true);
    EXPECT_EQ(names(rows), QStringList({"a2.jpg", "b.jpg", "c.jpg", "A.jpg"}));
    sortRows(rows, SizeColumn, false);
    EXPECT_EQ(names(rows), QStringList({"A.jpg", "c.jpg", "b.jpg", "a2.jpg"}));
    // Names: case does not count, digits after letters as the locale orders them.
    sortRows(rows, FileColumn, false);
    EXPECT_EQ(names(rows), QStringList({"A.jpg", "a2.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(compareRows(row("abc.jpg", "1"), row("ABC.JPG", "2"), FileColumn, false), 0);
    EXPECT_EQ(compareRows(row("x", "7"), row("y", "7"), SizeColumn, true), 0);

    // Other columns: upper-cased text byte by byte, ties broken by the file name.
    EXPECT_LT(compareRows(row("b", "1", "jpeg"), row("a", "1", "PNG"), TypeColumn, false), 0);
    EXPECT_GT(compareRows(row("b", "1", "JPEG"), row("a", "1", "jpeg"), TypeColumn, false), 0);
    EXPECT_LT(compareRows(row("b", "1", "JPEG"), row("a", "1", "jpeg"), TypeColumn, true), 0);
    EXPECT_LT(compareRows(row("z", "1", "", "/A"), row("a", "1", "", "/b"), LocationColumn, false), 0);
}

TEST(SlideshowList, MovesWrapAtSixteenBits) {
    std::vector<ListRow> rows{row("a", "1"), row("b", "1"), row("c", "1")};
    EXPECT_EQ(moveRowUp(rows, 0), 2);  // the first row up goes to the bottom
    EXPECT_EQ(names(rows), QStringList({"b", "c", "a"}));
    EXPECT_EQ(moveRowUp(rows, 2), 1);
    EXPECT_EQ(names(rows), QStringList({"b", "a", "c"}));
    EXPECT_EQ(moveRowDown(rows, 0), 1);
    EXPECT_EQ(names(rows), QStringList({"a", "b", "c"}));
    EXPECT_EQ(moveRowDown(rows, 2), 2);  // the last row down stays last
    EXPECT_EQ(names(rows), QStringList({"a", "b", "c"}));
    EXPECT_EQ(moveRowDown(rows, 3), -1);
    std::vector<ListRow> one{row("a", "1")};
    EXPECT_EQ(moveRowUp(one, 0), 0);
    EXPECT_EQ(one.size(), 1u);
}

TEST(SlideshowList, PreviewSizeAndCounter) {
    const std::pair<QSize, QSize> cases[] = {
        {{3000, 2000}, {209, 139}}, {{600, 800}, {156, 209}}, {{209, 209}, {209, 209}},
        {{100, 50}, {209, 104}},    {{1, 1000}, {0, 209}},    {{0, 10}, {}},
    };
    for (const auto& [picture, preview] : cases) EXPECT_EQ(previewSize(picture), preview) << picture.width();
    EXPECT_EQ(counterText(3, 12), QStringLiteral("3 / 12"));
    EXPECT_EQ(emptyCounterText(), QStringLiteral("0/0"));
}

}  // namespace
