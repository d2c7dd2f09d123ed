#include "test_pictures.h"

#include <QBuffer>
#include <QtEndian>

#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

namespace vz::test {

QImage quadrants(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width(), h = size.height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool right = x >= w / 2, bottom = y >= h / 2;
            image.setPixel(x, y,
                           !bottom ? (right ? qRgb(0, 255, 0) : qRgb(255, 0, 0))
                                   : (right ? qRgb(255, 255, 255) : qRgb(0, 0, 255)));
        }
    return image;
}

QByteArray encodeJpeg(const QImage& source, const JpegOptions& options) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    if (options.grayscale) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    jpeg_set_quality(&cinfo, options.quality, TRUE);
    if (options.progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    if (options.exifOrientation) {
        // "Exif\0\0", little-endian TIFF header, one IFD entry: Orientation (SHORT).
        unsigned char exif[] = {'E',  'x',  'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                0x12, 0x01, 3,   0,   1, 0, 0,   0,   0,  0, 0, 0, 0, 0, 0, 0};
        exif[24] = static_cast<unsigned char>(options.exifOrientation);
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
    }
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

namespace {
QByteArray encodeWithQt(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void appendChunk(QByteArray& png, const char* type, const QByteArray& data) {
    char length[4];
    qToBigEndian(quint32(data.size()), length);
    png.append(length, 4);
    QByteArray body(type, 4);
    body += data;
    png += body;
    char crc[4];
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))), crc);
    png.append(crc, 4);
}
}  // namespace

QByteArray encodePng(const QImage& image) { return encodeWithQt(image, "PNG"); }
QByteArray encodeBmp(const QImage& image) { return encodeWithQt(image, "BMP"); }

QByteArray jpegClaimingSize(int width, int height) {
    QByteArray jpeg = encodeJpeg(quadrants(QSize(16, 16)));
    // SOF0: FF C0, length (2), precision (1), height (2), width (2).
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

QByteArray jpegWithRepeatedScans(int copies) {
    JpegOptions options;
    options.progressive = true;
    const QByteArray jpeg = encodeJpeg(quadrants(QSize(64, 64)), options);
    const qsizetype lastScan = jpeg.lastIndexOf(QByteArray("\xff\xda", 2));
    const qsizetype end = jpeg.lastIndexOf(QByteArray("\xff\xd9", 2));
    const QByteArray scan = jpeg.mid(lastScan, end - lastScan);
    QByteArray out = jpeg.left(end);
    for (int i = 0; i < copies; ++i) out += scan;
    out += jpeg.mid(end);
    return out;
}

QByteArray pngBomb(int width, int height, int dataRows) {
    const int rows = dataRows < 0 ? height : dataRows;
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr(13, 0);
    qToBigEndian(quint32(width), ihdr.data());
    qToBigEndian(quint32(height), ihdr.data() + 4);
    ihdr[8] = 8;  // depth
    ihdr[9] = 2;  // RGB
    appendChunk(png, "IHDR", ihdr);
    // Rows of zeros (filter byte 0 + pixels), compressed as far as zlib goes.
    const qsizetype raw = qsizetype(width) * 3 + 1;
    z_stream z{};
    deflateInit(&z, 9);
    std::vector<unsigned char> row(size_t(raw), 0), out(1 << 20);
    QByteArray idat;
    for (int y = 0; y < rows; ++y) {
        z.next_in = row.data();
        z.avail_in = uInt(raw);
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            deflate(&z, y + 1 == rows ? Z_FINISH : Z_NO_FLUSH);
            idat.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    appendChunk(png, "IDAT", idat);
    appendChunk(png, "IEND", QByteArray());
    return png;
}

}  // namespace vz::test
