#include "core/slideshow/slideshow_files.h"

#include "core/settings/text_encoding.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <limits>

namespace vz::slideshow {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

QString asciiUpper(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

QByteArray joinLines(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toUtf8();
        out += kLineEnd;
    }
    return out;
}

}  // namespace

FileKind fileKindOf(const QString& path) {
    // The extension belongs to the file name: a dot in a folder name does not count.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash) return FileKind::Other;
    const QString ext = asciiUpper(path.mid(dot));
    if (ext == QLatin1String(".TXT")) return FileKind::Text;
    if (ext == QLatin1String(".JPG") || ext == QLatin1String(".JPEG")) return FileKind::Jpeg;
    if (ext == QLatin1String(".PNG")) return FileKind::Png;
    if (ext == QLatin1String(".BMP")) return FileKind::Bitmap;
    if (ext == QLatin1String(".RTF")) return FileKind::RichText;
    return FileKind::Other;
}

bool isPictureKind(FileKind kind) {
    return kind == FileKind::Jpeg || kind == FileKind::Png || kind == FileKind::Bitmap;
}

bool isListableKind(FileKind kind) { return kind != FileKind::Other; }

bool holdsLineBreak(const QString& path) {
    return path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'));
}

QString lineBreakInNameMessage(const QString& path) {
    // The breaks shown as \r and \n, so the name reads on one line.
    QString shown = path;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QStringLiteral("Cannot list \"%1\": the file name holds a line break, which a slideshow file cannot store.")
        .arg(shown);
}

QStringList splitLines(const QString& text, int capacity, int* dropped) {
    QStringList lines;
    int left = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = text.size();
        qsizetype stop = end;
        if (stop > start && text[stop - 1] == QLatin1Char('\r')) --stop;
        if (capacity < 0 || lines.size() < capacity)
            lines.append(text.mid(start, stop - start));
        else
            ++left;
        start = end + 1;
    }
    if (dropped) *dropped = left;
    return lines;
}

std::optional<int> parseLineInteger(const QString& line) {
    qsizetype i = 0;
    while (i < line.size() && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t'))) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == QLatin1Char('+') || line[i] == QLatin1Char('-'))) {
        negative = line[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= line.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < line.size(); ++i) {
        const char16_t c = line[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return std::nullopt;
    return int(value);
}

QString notAnIntegerMessage(const QString& line) {
    return QStringLiteral("'%1' is not a valid integer value").arg(line);
}

bool slideshowLoopWordIsOn(const QString& word) { return asciiUpper(word) == QLatin1String("ON"); }

bool projectLoopLineIsOn(const QString& line) { return line == QLatin1String("1"); }

QByteArray projectFileBytes(const SlideshowContent& content) {
    QStringList lines{content.loop ? QStringLiteral("1") : QStringLiteral("0"),
                      QString::number(content.durationSeconds)};
    lines += content.paths;
    return joinLines(lines);
}

QByteArray slideshowFileBytes(const SlideshowContent& content) {
    QStringList lines{QString::number(content.durationSeconds),
                      content.loop ? QStringLiteral("On") : QStringLiteral("Off")};
    lines += content.paths;
    return joinLines(lines);
}

std::optional<SlideshowContent> parseProjectFile(const QByteArray& bytes, QString* error) {
    const QStringList lines = splitLines(decodeEightBitText(bytes));
    if (lines.size() < 2) {
        if (error) *error = QStringLiteral("The project file has no slide duration line.");
        return std::nullopt;
    }
    const std::optional<int> duration = parseLineInteger(lines[1]);
    if (!duration) {
        if (error) *error = notAnIntegerMessage(lines[1]);
        return std::nullopt;
    }
    SlideshowContent content;
    content.loop = projectLoopLineIsOn(lines[0]);
    content.durationSeconds = *duration;
    content.paths = lines.mid(2);
    return content;
}

PlayListFile parsePlayListFile(const QByteArray& bytes) {
    PlayListFile file;
    file.lines = splitLines(decodeEightBitText(bytes), kPlayListCapacity, &file.droppedLines);
    return file;
}

QString playListCutMessage(const QString& path, int droppedLines) {
    const QString left =
        droppedLines == 1 ? QStringLiteral("line was") : QStringLiteral("%1 lines were").arg(droppedLines);
    return QStringLiteral(
               "The slideshow file \"%1\" is longer than a slideshow can be: %2 pictures (%3 lines) "
               "are played, its last %4 left out.")
        .arg(path, QString::number(kPlayListCapacity - 2), QString::number(kPlayListCapacity), left);
}

std::optional<PlayListFile> readPlayListFile(const QString& path, QString* why) {
    const std::optional<QByteArray> bytes = readFileBytes(path, kMaxPlayListBytes, why);
    if (!bytes) return std::nullopt;
    return parsePlayListFile(*bytes);
}

std::optional<QByteArray> readFileBytes(const QString& path, qint64 maxBytes, QString* why) {
    const QFileInfo info(path);
    auto fail = [&](const QString& reason) -> std::optional<QByteArray> {
        if (why) *why = reason;
        return std::nullopt;
    };
    if (info.isDir()) return fail(QStringLiteral("it is a folder"));
    if (!info.exists()) return fail(QStringLiteral("the file does not exist"));
    // A pipe or a device would block the reader or never end.
    if (!info.isFile()) return fail(QStringLiteral("it is not a regular file"));
    if (info.size() > maxBytes) return fail(QStringLiteral("the file is too large"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
    // Read by the file's size, never by the limit: QIODevice::read(n) reserves
    // n bytes up front, so asking for the limit would reserve it for every
    // small file. One byte more than the size shows a file that grew past the
    // limit meanwhile.
    QByteArray bytes = file.read(std::min(info.size(), maxBytes) + 1);
    if (file.error() != QFileDevice::NoError) return fail(file.errorString());
    if (bytes.size() > maxBytes) return fail(QStringLiteral("the file is too large"));
    return bytes;
}

std::optional<QByteArray> readWholeFile(const QString& path, QString* error, qint64 maxBytes) {
    QString why;
    std::optional<QByteArray> bytes = readFileBytes(path, maxBytes, &why);
    if (!bytes && error) *error = QStringLiteral("Cannot open file \"%1\": %2.").arg(path, why);
    return bytes;
}

bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
    if (error) *error = QStringLiteral("Cannot create file \"%1\". %2").arg(path, file.errorString());
    return false;
}

}  // namespace vz::slideshow
