#pragma once
// Numbered capture files: the file-name rule and the state of a capture
// series (the counter and the mark of a capture being written).

#include "core/imagefiles/image_writers.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vz {

// The entries of the capture dialog's file-type box, in order.
QStringList captureFileTypeEntries();
// The type of entry `index` of that box; nullopt for anything else (text
// typed into the box that names no entry has index -1).
std::optional<ImageFileType> captureFileTypeOfEntry(int index);

// Plain concatenation, nothing inserted or removed: folder + base + number in
// decimal without leading zeros + extension. "/shots" + "image" + 3 gives
// "/shotsimage3.jpg".
QString captureFileName(const QString& folder, const QString& base, qint32 number, ImageFileType type);
// The preview label of the next name: "[ " + base + number + " ]".
QString captureNamePreview(const QString& base, qint32 number);
// A folder chosen in the folder dialog as the destination field shows it:
// with a trailing "/" unless it already has one (the root "/").
QString captureFolderText(const QString& chosenFolder);

struct CaptureFileRequest {
    bool outputVisible = false;
    QString folder;     // the destination field
    QString baseName;   // the file-name base
    qint32 number = 0;  // the counter box: the number of this file
    int typeEntry = 0;  // index into captureFileTypeEntries(), -1 for typed text
};

struct CaptureOutcome {
    enum class Status {
        Written,       // the file is complete under `path`
        OutputHidden,  // nothing happens, silently
        Busy,          // a capture is being written, or its error shown: this press is dropped, silently
        NoFileType,    // the type box names no file type
        NoPicture,     // the output holds no picture yet
        NoFolder,      // the destination field is empty
        BadName,       // the name base holds a "/"
        LastNumber,    // the number is the last a 32-bit counter holds
        WriteFailed,   // the file could not be written; nothing is left behind
    };
    Status status = Status::OutputHidden;
    QString path;     // the file's name, when one was built
    QString message;  // for the error box; empty for the silent outcomes and Written

    bool written() const { return status == Status::Written; }
};

class CaptureSequence {
public:
    // Writes one picture file completely or not at all (saveImageFile).
    using Writer = std::function<bool(const QImage&, ImageFileType, const QString& path, QString* error)>;

    explicit CaptureSequence(qint32 counter = 10, Writer writer = saveImageFile);

    // The number of the next file when the counter box is not edited.
    qint32 counter() const { return counter_; }
    void setCounter(qint32 counter) { counter_ = counter; }
    bool inProgress() const { return inProgress_; }

    // One press of the capture key. Only a written file advances the counter,
    // to the number of that file + 1; every other outcome leaves it unchanged.
    // The in-progress mark is cleared however the capture ends.
    CaptureOutcome capture(const CaptureFileRequest& request, const QImage& picture);

private:
    qint32 counter_;
    bool inProgress_ = false;
    Writer writer_;
};

}  // namespace vz
