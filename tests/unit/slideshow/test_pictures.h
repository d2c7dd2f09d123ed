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

struct JpegOptions {
    int quality = 90;
    bool progressive = false;
    bool grayscale = false;
    int exifOrientation = 0;  // 0: no EXIF block
};
QByteArray encodeJpeg(const QImage& image, const JpegOptions& options = {});
QByteArray encodePng(const QImage& image);
QByteArray encodeBmp(const QImage& image);

// A JPEG whose frame header claims width x height (the data is a small picture's).
QByteArray jpegClaimingSize(int width, int height);
// A progressive JPEG whose last scan is repeated `copies` more times.
QByteArray jpegWithRepeatedScans(int copies);
// A PNG of width x height whose pixel data is a small zlib stream of zeros
// (`dataRows` rows of it; all rows when negative).
QByteArray pngBomb(int width, int height, int dataRows = -1);

}  // namespace vz::test
