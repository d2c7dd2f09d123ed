#pragma once
// Reading a picture from the clipboard's data, with a bound on the memory it
// may take: the size a picture declares is checked before it is decoded.

#include <QImage>
#include <QSize>
#include <QString>

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

// The picture the data carries, in the first image type offered that can be
// read (PNG, BMP, JPEG...). Transparent parts come out black.
ClipboardPicture readClipboardPicture(const QMimeData* data);

}  // namespace vz
