#pragma once
// Decodes slideshow pictures (JPEG, PNG, BMP) for showing on a monitor.
//
// A picture is decoded no larger than it will be shown: given a bounding
// size, the result fits inside it with its proportions kept (never enlarged).
// JPEG uses the decoder's DCT scaling: it decodes at the smallest scale
// (n/8) whose result still covers the fitted size, then our resampler
// brings it to the exact size. PNG and BMP are decoded whole and resampled.
// The EXIF orientation of JPEG (APP1) and PNG (eXIf) files is applied.
//
// Every failure gives a message naming the file: a missing or empty file, a
// folder, a truncated or corrupt stream, a picture larger than the limits
// below, a progressive JPEG with an absurd number of scans. Nothing is
// shown from a file that fails.

#include <QImage>
#include <QString>

#include "core/slideshow/slideshow_files.h"

namespace vz::slideshow {

struct DecodeLimits {
    // Files larger than this are refused before reading.
    qint64 maxFileBytes = 256ll * 1024 * 1024;
    // Width and height as the file declares them.
    int maxSide = 30000;
    qint64 maxSourcePixels = 200'000'000;
    // Pixels of the buffer the decoder fills (at DCT scale for JPEG, whole for
    // PNG and BMP): 4 bytes each, so 40 M pixels is 160 MB.
    qint64 maxDecodedPixels = 40'000'000;
    // Scans of a progressive JPEG (real files have about ten).
    int maxJpegScans = 500;
    // Memory libjpeg may use for its own buffers (coefficients of a
    // progressive picture, among others).
    long maxJpegMemory = 256l * 1024 * 1024;
};

struct DecodedPicture {
    QImage image;    // Format_RGB32, or Format_ARGB32_Premultiplied when the picture has alpha
    QSize fullSize;  // the picture's size at full scale, orientation applied
    QString error;   // empty on success
    QString reason;  // the error without the picture's name ("the file ends too early")
    bool ok() const { return error.isEmpty(); }
};

// The picture's size (orientation applied) without decoding its pixels: the
// headers are read and the file's structure is walked (JPEG markers and
// scans, PNG chunks and their checksums, the bitmap's length), so a file
// that is missing, cut short, too large or not a picture gives the same
// message as decoding it would. Damage inside the compressed data itself
// is found only by decoding. `image` stays null.
DecodedPicture probePictureData(const QByteArray& data, FileKind kind, const QString& name,
                                const DecodeLimits& limits = {});
DecodedPicture probePictureFile(const QString& path, const DecodeLimits& limits = {});

// `bound` empty: full size. `name` is used in messages only.
DecodedPicture decodePictureData(const QByteArray& data, FileKind kind, QSize bound, const QString& name,
                                 const DecodeLimits& limits = {});
DecodedPicture decodePictureFile(const QString& path, QSize bound, const DecodeLimits& limits = {});

// The size a picture of `size` is shown at in `bound`: shrunk to fit with
// its proportions kept, never enlarged; `bound` empty leaves it as it is.
QSize fittedSize(QSize size, QSize bound);

// The smallest libjpeg scale n/8 (n = 1..8) whose result is at least
// `needed` in both directions for a picture of `full` pixels.
int jpegScaleEighths(QSize full, QSize needed);

// True when the picture data of a PNG (its IDAT chunks together) is longer
// than its header's size can need. Deflate makes data at most about an
// eighth longer, yet libpng inflates whatever follows the last row (to find
// the stream's end): a small picture followed by a gigabyte's worth of
// compressed zeros would keep it busy for seconds. Not a PNG: false.
bool pngDataLongerThanPicture(const QByteArray& png);

// EXIF orientation (1..8) from the TIFF data of an EXIF block (starting at
// "II*\0" or "MM\0*"); 1 when absent or unreadable.
int exifOrientation(const uchar* tiff, qsizetype size);
// Turns a decoded picture by an EXIF orientation.
QImage applyOrientation(const QImage& image, int orientation);

}  // namespace vz::slideshow
