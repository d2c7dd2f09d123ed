#pragma once
// Small pictures made in memory for the decoder and player tests, and the
// bad files the decoder must refuse with a message.

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace vz::test {

// A picture whose four quadrants are red, green, blue and white (top left,
// top right, bottom left, bottom right), so turns and flips are visible.
QImage quadrants(QSize size);

// A picture of one colour.
QImage solidPicture(QSize size, QRgb colour);

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    bool grayscale = false;
    int exifOrientation = 0;  // 0: no EXIF block
    // Progressive, every coefficient of every component refined bit by bit:
    // some seventeen hundred scans (with quality 100 none is empty).
    bool scanPerBit = false;
};
QByteArray encodeJpeg(const QImage& image, const JpegOptions& options = {});
QByteArray encodePng(const QImage& image);
QByteArray encodeBmp(const QImage& image);

// `jpeg` with its frame header claiming width x height.
QByteArray withJpegSize(QByteArray jpeg, int width, int height);
// A JPEG whose frame header claims width x height (the data is a small picture's).
QByteArray jpegClaimingSize(int width, int height);
// A progressive JPEG whose last scan is repeated `copies` more times.
QByteArray jpegWithRepeatedScans(int copies);
// A black RGB PNG of width x height whose data is `rawBytes` of zeros
// deflated: the picture's exact amount, less, or far more.
QByteArray pngOfZeros(int width, int height, qint64 rawBytes);
// A PNG of width x height whose pixel data is a small zlib stream of zeros
// (`dataRows` rows of it; all rows when negative).
QByteArray pngBomb(int width, int height, int dataRows = -1);

}  // namespace vz::test
