#pragma once
// The data behind the slideshow editor's list: one row per file, five texts
// in column order, the rules that rebuild a row's path, the sort comparisons,
// row moves and the preview size.

#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

class QMimeDatabase;

namespace vz::slideshow {

enum Column { FileColumn = 0, SizeColumn = 1, TypeColumn = 2, LocationColumn = 3, DimensionsColumn = 4 };
constexpr int kColumnCount = 5;

struct ColumnInfo {
    const char* header;
    int width;
    bool rightAligned;
};
// "File" 120, "Size [B]" 90 (right-aligned), "Type" 150, "Location" 230, "Dimensions" 150.
const std::array<ColumnInfo, kColumnCount>& listColumns();

struct ListRow {
    std::array<QString, kColumnCount> text;
    // The read of the picture's size still under way for this row; 0 when none.
    quint64 sizeTicket = 0;

    const QString& fileName() const { return text[FileColumn]; }
    const QString& location() const { return text[LocationColumn]; }
    QString fullPath() const;
};

// The folder part of a path: the text before the file name, without its
// trailing "/" unless the folder is the root folder "/".
QString locationOf(const QString& path);
// Location + file name, with one "/" between them.
QString joinLocation(const QString& location, const QString& fileName);

// The size column: the low 32 bits of the size as a signed number; "-1" when
// the file cannot be found.
QString sizeText(const QString& path);
// The type column: the MIME database's description, at most 80 characters.
QString typeText(const QString& path, const QMimeDatabase& mime);
// The dimensions column: "1024 X 768"; empty for an empty size.
QString dimensionsText(QSize size);

// A row with File, Size, Type and Location filled in; Dimensions is left to
// the caller, who reads the picture's size.
ListRow makeRow(const QString& path, const QMimeDatabase& mime);

// Whether `path` is already listed. File names are case-sensitive here, so
// this is an exact comparison of full paths.
bool isListed(const std::vector<ListRow>& rows, const QString& path);

// Sort comparison for a header click: < 0, 0 or > 0. Size compares by number,
// File by the locale's case-insensitive order, the other columns by their
// upper-cased texts, then the upper-cased file names. `descending` negates.
int compareRows(const ListRow& a, const ListRow& b, int column, bool descending);
// Stable sort of the whole list by compareRows.
void sortRows(std::vector<ListRow>& rows, int column, bool descending);

// Moves the row at `index` one place up or down and returns its new index.
// Positions wrap at 16 bits as in the list this follows: moving the first row
// up puts it at the end; moving the last row down leaves it last. An index
// outside the list changes nothing and returns -1.
int moveRowUp(std::vector<ListRow>& rows, int index);
int moveRowDown(std::vector<ListRow>& rows, int index);

// "3 / 12"; the list's initial text is "0/0".
QString counterText(int position, int count);
inline QString emptyCounterText() { return QStringLiteral("0/0"); }

// The editor preview is a 209 x 209 box: the longer side becomes 209, the
// other is scaled in proportion and truncated.
constexpr int kPreviewBox = 209;
QSize previewSize(QSize picture);

}  // namespace vz::slideshow
