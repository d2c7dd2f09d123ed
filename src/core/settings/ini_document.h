#pragma once
// An INI text held whole in memory: read a file, query and change typed
// values, write it back whole. Untouched lines come out byte for byte as they
// went in, so keys that other parts of the program (or the user) wrote
// survive a save in their place.
//
// File bytes are kept as bytes: nothing is decoded until a value is asked
// for, so binary or non-UTF-8 content round-trips unchanged.

#include <QAnyStringView>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vz {

// How lines are taken when a text is read. The default keeps every line
// (the settings file); scrollText() follows the rules of the scrolling-text
// file, which drops comments and anything before the first section.
struct IniReadOptions {
    // Store each line trimmed of surrounding blanks.
    bool trimLines = false;
    // Drop empty lines and lines whose first non-blank character is ';'.
    bool dropCommentsAndBlanks = false;
    // Drop every line before the first section header.
    bool dropLinesBeforeFirstSection = false;

    static IniReadOptions keepEverything() { return {}; }
    static IniReadOptions scrollText() { return {true, true, true}; }
};

// Reads an integer as the INI files of this program store them: decimal
// with an optional sign, or hexadecimal after "$", "0x" or "0X" (up to 32
// bits, taken as a signed 32-bit value). Surrounding blanks are ignored.
// Anything else, or a decimal outside the 32-bit range, gives nullopt.
std::optional<int> parseIniInteger(QByteArrayView text);

class IniDocument {
public:
    enum class LoadStatus {
        Loaded,      // the file was read
        Missing,     // no such file: the document is empty
        Unreadable,  // it exists but could not be read: empty, loadError() says why
        TooLarge,    // larger than MaxFileSize: empty, treated like an unreadable file
    };
    // Anything larger cannot be a file of this program; reading stops there,
    // and a text that would be larger is not written (what is written must
    // read back). A settings or scrolling-text file is a few kilobytes; the
    // bound also bounds memory (at worst some 25 bytes per byte read, for a
    // flood of one-character lines).
    static constexpr qint64 MaxFileSize = 8 * 1024 * 1024;

    explicit IniDocument(IniReadOptions options = {});

    // Replaces the content with the file at `path`. A missing, unreadable or
    // oversized file, or anything but a regular file (a FIFO, a device: never
    // waited on), leaves the document empty; the status says which. The
    // bytes read are taken as parse() takes them.
    LoadStatus load(const QString& path);
    LoadStatus loadStatus() const { return status_; }
    QString loadError() const { return loadError_; }

    // Replaces the content with `bytes` (status becomes Loaded). UTF-16 text
    // with a byte-order mark is read as well, and a lone CR ends a line as
    // LF and CR LF do (old Mac files), so no value holds a CR.
    void parse(QByteArrayView bytes);
    void clear();

    // The whole text: CR LF line ends, every section followed by exactly
    // one empty line.
    QByteArray toBytes() const;

    // Writes toBytes() through a temporary file in the same folder that is
    // renamed over the old file, so a failure never leaves a truncated file.
    // Only a regular file is replaced; a text over MaxFileSize is refused.
    // Creates a missing folder. On failure returns false and, when `error`
    // is given, a message naming the path and the system's reason.
    bool save(const QString& path, QString* error = nullptr) const;

    // Names are matched without regard to ASCII letter case. When a section
    // occurs more than once, its keys are looked up through all of them in
    // file order; the first match wins.
    bool hasSection(QAnyStringView section) const;
    bool hasKey(QAnyStringView section, QAnyStringView key) const;
    QStringList sectionNames() const;
    QStringList keyNames(QAnyStringView section) const;

    // The value trimmed of surrounding blanks, decoded as UTF-8, or as
    // Windows-1252 when it is not valid UTF-8 (decodeEightBitText); nullopt
    // when the key is missing.
    std::optional<QString> value(QAnyStringView section, QAnyStringView key) const;
    // nullopt when the key is missing or its value is not an integer.
    std::optional<int> integer(QAnyStringView section, QAnyStringView key) const;

    QString readString(QAnyStringView section, QAnyStringView key, const QString& def) const;
    int readInteger(QAnyStringView section, QAnyStringView key, int def) const;
    // Read as an integer: non-zero is true.
    bool readBool(QAnyStringView section, QAnyStringView key, bool def) const;

    // An existing key is rewritten in place as key=value, spelled as given
    // here; a new key goes to the end of its section (the first of that
    // name); a new section goes to the end of the text. Values are stored as
    // UTF-8; CR and LF in names or values become blanks so that a value can
    // never start a new line. A key name that is empty after trimming is
    // ignored.
    void writeString(QAnyStringView section, QAnyStringView key, const QString& value);
    void writeInteger(QAnyStringView section, QAnyStringView key, int value);
    void writeBool(QAnyStringView section, QAnyStringView key, bool value);  // "1" / "0"

private:
    // One stored line: a slice of store_. `equals` is the offset of the
    // first '=' for key=value lines, NotAnEntry for any other line.
    struct Line {
        qsizetype begin = 0;
        quint32 length = 0;
        quint32 equals = 0;
    };
    struct Section {
        Line header;
        std::vector<Line> lines;  // without the empty lines that end it
    };
    static constexpr quint32 NotAnEntry = 0xFFFFFFFFu;

    QByteArrayView slice(const Line& line) const;
    QByteArrayView keyOf(const Line& line) const;
    QByteArrayView valueOf(const Line& line) const;
    QByteArrayView nameOf(const Section& section) const;
    bool isBlank(const Line& line) const;
    void dropTrailingBlanks(Section& section) const;

    const Line* findEntry(QByteArrayView section, QByteArrayView key) const;
    Line* findEntry(QByteArrayView section, QByteArrayView key);
    Section* findSection(QByteArrayView section);
    Line appendText(const QByteArray& text, quint32 equals);
    void writeBytes(QAnyStringView section, QAnyStringView key, QByteArray value);

    IniReadOptions options_;
    LoadStatus status_ = LoadStatus::Missing;
    QString loadError_;
    bool utf8Bom_ = false;        // the text began with a UTF-8 byte order mark; kept on output
    QByteArray store_;            // the text as read, followed by every line written since
    std::vector<Line> preamble_;  // lines before the first section
    std::vector<Section> sections_;
};

}  // namespace vz
