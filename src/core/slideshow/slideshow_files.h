#pragma once
// The two slideshow text files and the rules for reading them.
//
// Project file (.mef), one value per line, every line ended by CR LF:
//   1: "1" when Loop is on, "0" otherwise
//   2: slide duration in whole seconds
//   3..: one full path per picture, in play order
// Slideshow file (.vsl), same line ends, header lines swapped:
//   1: slide duration in whole seconds
//   2: "On" when Loop is on, "Off" otherwise
//   3..: one full path per picture
//
// Text is written as UTF-8. A file that is not valid UTF-8 is read as
// Windows-1252 (decodeEightBitText), the code page of files written on
// Windows. Lines end at LF; a CR just before the LF is dropped. Text after the
// last line end is a line of its own; nothing after the last line end makes
// no extra line.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace vz::slideshow {

// What a path is by its extension (the text from the last "." of the file
// name on, compared without regard to ASCII case).
enum class FileKind { Text = 0, Jpeg = 1, Png = 2, Bitmap = 3, RichText = 4, Other = 5 };

FileKind fileKindOf(const QString& path);
// Kinds that are decoded and shown.
bool isPictureKind(FileKind kind);
// Kinds the list accepts (everything but Other).
bool isListableKind(FileKind kind);
// A path that holds a CR or LF cannot be one line of a project or slideshow
// file (it would be read back as two entries); the list refuses it with
// this message.
bool holdsLineBreak(const QString& path);
QString lineBreakInNameMessage(const QString& path);

// A play list holds at most this many lines: two header lines and 2999
// pictures. Longer slideshow files are cut there and the reader says how
// many lines it left out.
constexpr int kPlayListCapacity = 3001;
// A slideshow file larger than this cannot be one (3001 lines of long paths
// take a few megabytes); it is refused unread.
constexpr qint64 kMaxPlayListBytes = 64ll * 1024 * 1024;

// The lines of a file's text, as described above. At most `capacity` lines
// are kept (capacity < 0: no limit); `dropped` receives how many were left out.
QStringList splitLines(const QString& text, int capacity = -1, int* dropped = nullptr);

// The integer of a line: optional blanks before it, an optional sign, decimal
// digits, nothing after, within 32 bits. Anything else has no value.
std::optional<int> parseLineInteger(const QString& line);
// The message shown when a line is not an integer.
QString notAnIntegerMessage(const QString& line);

// Loop on in a slideshow file: line 2 upper-cased (ASCII) is exactly "ON".
bool slideshowLoopWordIsOn(const QString& word);
// Loop on in a project file: line 1 is exactly "1".
bool projectLoopLineIsOn(const QString& line);

struct SlideshowContent {
    bool loop = true;
    int durationSeconds = 5;
    QStringList paths;
};

// The bytes of each file (UTF-8, CR LF after every line).
QByteArray projectFileBytes(const SlideshowContent& content);
QByteArray slideshowFileBytes(const SlideshowContent& content);

// A project file read back: Loop, duration and the paths. Fewer than two
// lines, or a second line that is not an integer, gives no content and a
// message in `error`.
std::optional<SlideshowContent> parseProjectFile(const QByteArray& bytes, QString* error = nullptr);

// A slideshow file read as a play list: its lines, header lines included,
// at most kPlayListCapacity of them.
struct PlayListFile {
    QStringList lines;
    int droppedLines = 0;
};
PlayListFile parsePlayListFile(const QByteArray& bytes);
// What the user is told when a slideshow file had to be cut: the file, that
// a slideshow holds at most 2999 pictures, how many lines were left out.
QString playListCutMessage(const QString& path, int droppedLines);
// Reads a slideshow file as a play list (readFileBytes's rules, at most
// kMaxPlayListBytes); otherwise the reason alone in `why`.
std::optional<PlayListFile> readPlayListFile(const QString& path, QString* why);

// Reads a whole file; otherwise the reason alone ("it is a folder", "the file
// does not exist", "the file is too large", or the system's) in `why`.
std::optional<QByteArray> readFileBytes(const QString& path, qint64 maxBytes, QString* why);
// Reads a whole file; a folder, an unreadable file or one larger than
// `maxBytes` gives no bytes and a message naming the file in `error`.
std::optional<QByteArray> readWholeFile(const QString& path, QString* error, qint64 maxBytes = 64 * 1024 * 1024);
// Writes through a temporary file renamed over the target, so a failed write
// never leaves a half-written file. False with a message naming the file.
bool writeWholeFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace vz::slideshow
