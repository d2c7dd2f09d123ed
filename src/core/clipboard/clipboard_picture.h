#pragma once
// Reading a picture from the clipboard's data, with a bound on the memory it
// may take: the size a picture declares is checked before it is decoded.

#include "platform/platform.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

namespace vz {

// The largest clipboard picture taken: 2^25 pixels (8K UHD, 7680 x 4320,
// fits), 128 MiB as 32-bit pixels, and at most 32767 pixels a side.
constexpr qint64 kMaxClipboardPixels = qint64(1) << 25;
constexpr int kMaxClipboardSide = 32767;

bool clipboardPictureSizeAllowed(QSize size);

struct ClipboardPicture {
    enum class Status {
        NoPicture,  // no picture among the data (text, files, nothing)
        Picture,    // `picture` holds it, as QImage::Format_RGB32
        Refused,    // there is a picture but it cannot be taken; `error` says why
    };
    Status status = Status::NoPicture;
    QImage picture;
    QString error;
};

// The largest picture file taken from the clipboard: an uncompressed bitmap
// of the largest picture fits.
constexpr qint64 kMaxClipboardBytes = kMaxClipboardPixels * 4 + 64 * 1024;

// Which of the offered types (MIME names) is read for the picture:
// image/png when offered, else the first image type Qt can read; empty when
// none is.
QString chooseClipboardPictureType(const QStringList& types);

// The picture the data carries, in the type chooseClipboardPictureType
// picks (a picture this process put there is taken as it is). Transparent
// parts come out black.
ClipboardPicture readClipboardPicture(const QMimeData* data);
// The same, asking the clipboard's owner through `reader` (on a worker
// thread: the owner may take its time). An owner that does not answer, or
// goes away, gives NoPicture; more data than kMaxClipboardBytes is Refused;
// nothing when the reader was interrupted.
std::optional<ClipboardPicture> readClipboardPicture(ClipboardReader& reader);
// The picture in `bytes`, data of the MIME type `type`.
ClipboardPicture readClipboardPictureData(const QString& type, const QByteArray& bytes);

}  // namespace vz
