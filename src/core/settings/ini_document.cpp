#include "core/settings/ini_document.h"

#include "core/settings/text_encoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <utility>

namespace vz {

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

// Control characters count as blanks too, as they do for the classic INI
// readers: a stray NUL or tab at a line's end does not hide a key.
bool isBlankChar(char c) { return static_cast<unsigned char>(c) <= 0x20; }

QByteArrayView trimmed(QByteArrayView v) {
    qsizetype b = 0, e = v.size();
    while (b < e && isBlankChar(v[b])) ++b;
    while (e > b && isBlankChar(v[e - 1])) --e;
    return v.sliced(b, e - b);
}

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

// ASCII-only folding keeps UTF-8 names intact (Latin-1 folding would change
// lead and continuation bytes).
bool sameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i])) return false;
    return true;
}

bool isSectionHeader(QByteArrayView t) { return t.size() >= 2 && t.front() == '[' && t.back() == ']'; }

QByteArray withoutLineBreaks(QByteArray b) {
    b.replace('\r', ' ');
    b.replace('\n', ' ');
    return b;
}

// Names are compared trimmed, as they are read from the text.
QByteArray nameBytes(QAnyStringView name) {
    const QByteArray bytes = withoutLineBreaks(name.toString().toUtf8());
    return trimmed(bytes).toByteArray();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int> parseIniInteger(QByteArrayView text) {
    QByteArrayView t = trimmed(text);
    if (t.isEmpty()) return std::nullopt;

    qsizetype digits = -1;
    if (t.front() == '$')
        digits = 1;
    else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        digits = 2;
    if (digits > 0) {
        if (digits == t.size()) return std::nullopt;
        quint64 value = 0;
        for (qsizetype i = digits; i < t.size(); ++i) {
            const int d = hexDigit(t[i]);
            if (d < 0) return std::nullopt;
            value = value * 16 + quint64(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        // Eight hex digits cover the whole 32 bits: $FFFFFFFF is -1.
        return static_cast<int>(static_cast<quint32>(value));
    }

    qsizetype i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i == t.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return std::nullopt;
        value = value * 10 + (t[i] - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

// Text as the parser takes it: UTF-16 (with its byte-order mark) becomes
// UTF-8, and a lone CR ends a line (old Mac files) as LF does. Every text
// goes through here, read from a file or handed over as bytes, so a value
// never holds a CR: the writer turns one into a blank (other readers take a
// lone CR as a line end), and what is written then reads back unchanged.
static QByteArray normalisedText(QByteArrayView bytes) {
    QByteArray text = bytes.toByteArray();
    const bool le = text.startsWith("\xFF\xFE"), be = text.startsWith("\xFE\xFF");
    if (le || be) {
        QStringDecoder decode(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        text = QString(decode(QByteArrayView(text).sliced(2))).toUtf8();
    }
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) text[i] = '\n';
    return text;
}

IniDocument::IniDocument(IniReadOptions options) : options_(options) {}

void IniDocument::clear() {
    status_ = LoadStatus::Missing;
    loadError_.clear();
    utf8Bom_ = false;
    store_.clear();
    preamble_.clear();
    sections_.clear();
}

IniDocument::LoadStatus IniDocument::load(const QString& path) {
    clear();
    const QByteArray native = QFile::encodeName(path);
    // Opened without blocking, so a FIFO or a device never holds us up;
    // anything but a regular file is refused before a byte is read.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return status_ = LoadStatus::Missing;
        loadError_ = QString::fromLocal8Bit(std::strerror(errno));
        return status_ = LoadStatus::Unreadable;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        loadError_ = S_ISDIR(st.st_mode)
                         ? QStringLiteral("\"%1\" is a folder.").arg(QDir::toNativeSeparators(path))
                         : QStringLiteral("\"%1\" is not a regular file.").arg(QDir::toNativeSeparators(path));
        ::close(fd);
        return status_ = LoadStatus::Unreadable;
    }
    if (st.st_size > MaxFileSize) {
        ::close(fd);
        return status_ = LoadStatus::TooLarge;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        loadError_ = file.errorString();
        ::close(fd);
        return status_ = LoadStatus::Unreadable;
    }
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize) return status_ = LoadStatus::TooLarge;
    if (file.error() != QFileDevice::NoError) {
        loadError_ = file.errorString();
        return status_ = LoadStatus::Unreadable;
    }
    parse(bytes);
    return status_;
}

void IniDocument::parse(QByteArrayView bytes) {
    clear();
    status_ = LoadStatus::Loaded;
    store_ = normalisedText(bytes);
    const char* base = store_.constData();
    const qsizetype n = store_.size();
    qsizetype pos = 0;
    if (store_.startsWith(kBom)) {
        utf8Bom_ = true;
        pos = kBom.size();
    }

    while (pos < n) {
        const qsizetype newline = store_.indexOf('\n', pos);
        qsizetype end = newline < 0 ? n : newline;
        const qsizetype next = newline < 0 ? n : newline + 1;
        if (end > pos && base[end - 1] == '\r') --end;
        const QByteArrayView raw(base + pos, end - pos);
        const QByteArrayView t = trimmed(raw);
        const QByteArrayView kept = options_.trimLines ? t : raw;
        const qsizetype begin = kept.data() - base;
        pos = next;

        if (options_.dropCommentsAndBlanks && (t.isEmpty() || t.front() == ';')) continue;

        if (isSectionHeader(t)) {
            if (!sections_.empty()) dropTrailingBlanks(sections_.back());
            sections_.push_back(Section{Line{begin, quint32(kept.size()), NotAnEntry}, {}});
            continue;
        }
        if (sections_.empty()) {
            if (!options_.dropLinesBeforeFirstSection)
                preamble_.push_back(Line{begin, quint32(kept.size()), NotAnEntry});
            continue;
        }
        quint32 equals = NotAnEntry;
        if (!t.isEmpty() && t.front() != ';') {
            const qsizetype at = kept.indexOf('=');
            if (at >= 0 && !trimmed(kept.first(at)).isEmpty()) equals = quint32(at);
        }
        sections_.back().lines.push_back(Line{begin, quint32(kept.size()), equals});
    }
    if (!sections_.empty()) dropTrailingBlanks(sections_.back());
}

QByteArrayView IniDocument::slice(const Line& line) const {
    return QByteArrayView(store_.constData() + line.begin, line.length);
}

QByteArrayView IniDocument::keyOf(const Line& line) const { return trimmed(slice(line).first(line.equals)); }

QByteArrayView IniDocument::valueOf(const Line& line) const { return trimmed(slice(line).sliced(line.equals + 1)); }

QByteArrayView IniDocument::nameOf(const Section& section) const {
    const QByteArrayView t = trimmed(slice(section.header));
    return trimmed(t.sliced(1, t.size() - 2));
}

bool IniDocument::isBlank(const Line& line) const {
    return line.equals == NotAnEntry && trimmed(slice(line)).isEmpty();
}

// The empty lines that end a section are not kept: exactly one is written
// after every section, and new keys then land right after the last line.
void IniDocument::dropTrailingBlanks(Section& section) const {
    while (!section.lines.empty() && isBlank(section.lines.back())) section.lines.pop_back();
}

QByteArray IniDocument::toBytes() const {
    static const QByteArray crlf("\r\n");
    QByteArray out;
    out.reserve(store_.size() + qsizetype(sections_.size()) * 2 + 64);
    if (utf8Bom_) out += kBom;
    for (const Line& line : preamble_) {
        out += slice(line);
        out += crlf;
    }
    for (const Section& section : sections_) {
        out += slice(section.header);
        out += crlf;
        for (const Line& line : section.lines) {
            out += slice(line);
            out += crlf;
        }
        out += crlf;
    }
    return out;
}

bool IniDocument::save(const QString& path, QString* error) const {
    const auto fail = [&](const QString& reason) {
        if (error) *error = QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    };
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return fail(QStringLiteral("The folder \"%1\" cannot be created.").arg(QDir::toNativeSeparators(folder)));

    // Only a regular file is replaced (or one is created where nothing
    // stands): a device, a FIFO or a link to one is left alone.
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(QStringLiteral("It is not a regular file."));
    const QByteArray bytes = toBytes();
    // What is written must be readable again.
    if (bytes.size() > MaxFileSize)
        return fail(QStringLiteral("The text would be larger than %1 bytes.").arg(MaxFileSize));
    QSaveFile file(path);
    // Unbuffered: a write error (a full disk) then shows at write(); through
    // the buffer, the last flush's error could be lost and a short file renamed
    // into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

const IniDocument::Line* IniDocument::findEntry(QByteArrayView section, QByteArrayView key) const {
    for (const Section& s : sections_) {
        if (!sameName(nameOf(s), section)) continue;
        for (const Line& line : s.lines)
            if (line.equals != NotAnEntry && sameName(keyOf(line), key)) return &line;
    }
    return nullptr;
}

IniDocument::Line* IniDocument::findEntry(QByteArrayView section, QByteArrayView key) {
    return const_cast<Line*>(std::as_const(*this).findEntry(section, key));
}

IniDocument::Section* IniDocument::findSection(QByteArrayView section) {
    for (Section& s : sections_)
        if (sameName(nameOf(s), section)) return &s;
    return nullptr;
}

bool IniDocument::hasSection(QAnyStringView section) const {
    const QByteArray name = nameBytes(section);
    for (const Section& s : sections_)
        if (sameName(nameOf(s), name)) return true;
    return false;
}

bool IniDocument::hasKey(QAnyStringView section, QAnyStringView key) const {
    return findEntry(nameBytes(section), nameBytes(key)) != nullptr;
}

QStringList IniDocument::sectionNames() const {
    QStringList names;
    for (const Section& s : sections_) names << decodeEightBitText(nameOf(s));
    return names;
}

QStringList IniDocument::keyNames(QAnyStringView section) const {
    const QByteArray name = nameBytes(section);
    QStringList names;
    for (const Section& s : sections_) {
        if (!sameName(nameOf(s), name)) continue;
        for (const Line& line : s.lines)
            if (line.equals != NotAnEntry) names << decodeEightBitText(keyOf(line));
    }
    return names;
}

std::optional<QString> IniDocument::value(QAnyStringView section, QAnyStringView key) const {
    const Line* line = findEntry(nameBytes(section), nameBytes(key));
    if (!line) return std::nullopt;
    return decodeEightBitText(valueOf(*line));
}

std::optional<int> IniDocument::integer(QAnyStringView section, QAnyStringView key) const {
    const Line* line = findEntry(nameBytes(section), nameBytes(key));
    if (!line) return std::nullopt;
    return parseIniInteger(valueOf(*line));
}

QString IniDocument::readString(QAnyStringView section, QAnyStringView key, const QString& def) const {
    return value(section, key).value_or(def);
}

int IniDocument::readInteger(QAnyStringView section, QAnyStringView key, int def) const {
    return integer(section, key).value_or(def);
}

bool IniDocument::readBool(QAnyStringView section, QAnyStringView key, bool def) const {
    const std::optional<int> v = integer(section, key);
    return v ? *v != 0 : def;
}

IniDocument::Line IniDocument::appendText(const QByteArray& text, quint32 equals) {
    const Line line{store_.size(), quint32(text.size()), equals};
    store_ += text;
    return line;
}

void IniDocument::writeBytes(QAnyStringView section, QAnyStringView key, QByteArray value) {
    const QByteArray sectionName = nameBytes(section);
    const QByteArray keyName = nameBytes(key);
    if (keyName.isEmpty()) return;
    const Line line = appendText(keyName + '=' + withoutLineBreaks(std::move(value)), quint32(keyName.size()));
    if (Line* existing = findEntry(sectionName, keyName)) {
        *existing = line;
        return;
    }
    if (Section* s = findSection(sectionName)) {
        s->lines.push_back(line);
        return;
    }
    const Line header = appendText('[' + sectionName + ']', NotAnEntry);
    sections_.push_back(Section{header, {line}});
}

void IniDocument::writeString(QAnyStringView section, QAnyStringView key, const QString& value) {
    writeBytes(section, key, value.toUtf8());
}

void IniDocument::writeInteger(QAnyStringView section, QAnyStringView key, int value) {
    writeBytes(section, key, QByteArray::number(value));
}

void IniDocument::writeBool(QAnyStringView section, QAnyStringView key, bool value) {
    writeBytes(section, key, value ? QByteArray("1") : QByteArray("0"));
}

}  // namespace vz
