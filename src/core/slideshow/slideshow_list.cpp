#include "core/slideshow/slideshow_list.h"

#include <QCollator>
#include <QFileInfo>
#include <QMimeDatabase>

#include <algorithm>
#include <cstring>

namespace vz::slideshow {

namespace {

const QChar kSeparator = QLatin1Char('/');
constexpr int kTypeTextLimit = 80;

int sign(qint64 v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int compareBytes(const QString& a, const QString& b) {
    const QByteArray x = a.toUpper().toUtf8(), y = b.toUpper().toUtf8();
    const int c = std::memcmp(x.constData(), y.constData(), size_t(std::min(x.size(), y.size())));
    return c != 0 ? sign(c) : sign(x.size() - y.size());
}

const QCollator& caseInsensitiveCollator() {
    thread_local const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// Inserts a copy of row `index` at `at` (a 16-bit position; past the end
// appends), deletes the original and returns the copy's index.
int moveRow(std::vector<ListRow>& rows, int index, quint16 at) {
    if (index < 0 || size_t(index) >= rows.size()) return -1;
    const size_t target = std::min<size_t>(at, rows.size());
    rows.insert(rows.begin() + qsizetype(target), rows[size_t(index)]);
    const size_t old = target <= size_t(index) ? size_t(index) + 1 : size_t(index);
    rows.erase(rows.begin() + qsizetype(old));
    return int(old < target ? target - 1 : target);
}

}  // namespace

const std::array<ColumnInfo, kColumnCount>& listColumns() {
    static const std::array<ColumnInfo, kColumnCount> columns{{
        {"File", 120, false},
        {"Size [B]", 90, true},
        {"Type", 150, false},
        {"Location", 230, false},
        {"Dimensions", 150, false},
    }};
    return columns;
}

QString ListRow::fullPath() const { return joinLocation(location(), fileName()); }

QString locationOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(kSeparator);
    if (slash < 0) return QString();
    QString folder = path.left(slash + 1);
    if (folder.size() > 1) folder.chop(1);
    return folder;
}

QString joinLocation(const QString& location, const QString& fileName) {
    if (location.endsWith(kSeparator) || location.isEmpty()) return location + fileName;
    return location + kSeparator + fileName;
}

QString sizeText(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("-1");
    return QString::number(qint32(quint32(quint64(info.size()) & 0xFFFFFFFFu)));
}

QString typeText(const QString& path, const QMimeDatabase& mime) {
    return mime.mimeTypeForFile(path).comment().left(kTypeTextLimit);
}

QString dimensionsText(QSize size) {
    if (size.isEmpty()) return QString();
    return QStringLiteral("%1 X %2").arg(size.width()).arg(size.height());
}

ListRow makeRow(const QString& path, const QMimeDatabase& mime) {
    ListRow row;
    const qsizetype slash = path.lastIndexOf(kSeparator);
    row.text[FileColumn] = path.mid(slash + 1);
    row.text[SizeColumn] = sizeText(path);
    row.text[TypeColumn] = typeText(path, mime);
    row.text[LocationColumn] = locationOf(path);
    return row;
}

bool isListed(const std::vector<ListRow>& rows, const QString& path) {
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (it->fullPath() == path) return true;
    return false;
}

int compareRows(const ListRow& a, const ListRow& b, int column, bool descending) {
    int result;
    if (column == SizeColumn) {
        result = sign(a.text[SizeColumn].toLongLong() - b.text[SizeColumn].toLongLong());
    } else if (column == FileColumn) {
        result = sign(caseInsensitiveCollator().compare(a.fileName().toUpper(), b.fileName().toUpper()));
    } else if (column >= 0 && column < kColumnCount) {
        result = compareBytes(a.text[size_t(column)], b.text[size_t(column)]);
        if (result == 0) result = compareBytes(a.fileName(), b.fileName());
    } else {
        result = 0;
    }
    return descending ? -result : result;
}

void sortRows(std::vector<ListRow>& rows, int column, bool descending) {
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const ListRow& a, const ListRow& b) { return compareRows(a, b, column, descending) < 0; });
}

int moveRowUp(std::vector<ListRow>& rows, int index) { return moveRow(rows, index, quint16(index - 1)); }

int moveRowDown(std::vector<ListRow>& rows, int index) { return moveRow(rows, index, quint16(index + 2)); }

QString counterText(int position, int count) { return QStringLiteral("%1 / %2").arg(position).arg(count); }

QSize previewSize(QSize picture) {
    const double w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0) return QSize();
    if (w < h) return QSize(int(w / (h / kPreviewBox)), kPreviewBox);
    return QSize(kPreviewBox, int(h / (w / kPreviewBox)));
}

}  // namespace vz::slideshow
