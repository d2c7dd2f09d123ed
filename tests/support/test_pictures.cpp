#include "test_pictures.h"

#include <QBuffer>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <zlib.h>

namespace vz::test {

QImage solidPicture(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

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
    std::vector<jpeg_scan_info> script;
    if (options.scanPerBit) {
        // The DC of all components, then every AC coefficient of every
        // component refined bit by bit.
        script.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
        for (int c = 0; c < 3; ++c)
            for (int k = 1; k < 64; ++k) {
                script.push_back({1, {c, 0, 0, 0}, k, k, 0, 9});
                for (int al = 8; al >= 0; --al) script.push_back({1, {c, 0, 0, 0}, k, k, al + 1, al});
            }
        cinfo.scan_info = script.data();
        cinfo.num_scans = int(script.size());
    }
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

QByteArray withJpegSize(QByteArray jpeg, int width, int height) {
    // The frame header (SOF0 to SOF2): FF Cn, length (2), precision (1),
    // height (2), width (2).
    for (qsizetype i = 2; i + 9 < jpeg.size();) {
        const uchar marker = uchar(jpeg[i + 1]);
        const int length = uchar(jpeg[i + 2]) << 8 | uchar(jpeg[i + 3]);
        if (marker >= 0xC0 && marker <= 0xC2) {
            qToBigEndian(quint16(height), jpeg.data() + i + 5);
            qToBigEndian(quint16(width), jpeg.data() + i + 7);
            return jpeg;
        }
        i += 2 + length;
    }
    return jpeg;
}

QByteArray jpegClaimingSize(int width, int height) {
    return withJpegSize(encodeJpeg(quadrants(QSize(16, 16))), width, height);
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

QByteArray pngOfZeros(int width, int height, qint64 rawBytes) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr(13, 0);
    qToBigEndian(quint32(width), ihdr.data());
    qToBigEndian(quint32(height), ihdr.data() + 4);
    ihdr[8] = 8;  // depth
    ihdr[9] = 2;  // RGB
    appendChunk(png, "IHDR", ihdr);
    // Deflated in pieces, never held whole: the data may unpack to gigabytes.
    z_stream z{};
    deflateInit(&z, 9);
    const std::vector<Bytef> zeros(1 << 20, 0);
    std::vector<Bytef> out(1 << 16);
    QByteArray idat;
    for (qint64 left = rawBytes;;) {
        const uInt piece = uInt(std::min<qint64>(left, qint64(zeros.size())));
        z.next_in = const_cast<Bytef*>(zeros.data());
        z.avail_in = piece;
        left -= piece;
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            deflate(&z, flush);
            idat.append(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0);
        if (left == 0) break;
    }
    deflateEnd(&z);
    appendChunk(png, "IDAT", idat);
    appendChunk(png, "IEND", QByteArray());
    return png;
}

QByteArray pngBomb(int width, int height, int dataRows) {
    // A row: the filter byte and three bytes a pixel, all zero.
    const qint64 rows = dataRows < 0 ? height : dataRows;
    return pngOfZeros(width, height, rows * (qint64(width) * 3 + 1));
}

}  // namespace vz::test
