#include "core/imagefiles/image_writers.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo's extended colour spaces are needed (JCS_EXT_BGRX)"
#endif

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the writers read 32-bit RGB pixels as the bytes B, G, R, X");

namespace vz {

namespace {

constexpr int kJpegQuality = 90;
// The Up filter with zlib's run-length strategy: a desktop frame has long runs
// and rows that repeat the row above, and a photo's Up differences are small
// numbers that come in runs. Measured on 1920x1080 frames (bench/
// imagefiles_bench) this takes a fifth of the time of libpng's defaults on a
// desktop and a twentieth on a photo, for files 1.27x and 1.02x as large;
// level 1 without RLE was slower and larger on photos.
constexpr int kPngCompressionLevel = 1;  // what RLE leaves to the level is little
constexpr int kPngFilters = PNG_FILTER_UP;
constexpr int kPngStrategy = Z_RLE;
// Bytes handed to the device at a time.
constexpr size_t kChunkBytes = 256 * 1024;

bool failWith(QString* error, const QString& reason) {
    if (error) *error = reason;
    return false;
}

// The picture as 32-bit pixels B, G, R, X in memory. ARGB32 has the same
// layout; its alpha byte is ignored like the X byte.
QImage asRgb32(const QImage& picture) {
    if (picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32) return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}

// Writes all of it: a short write is followed by another for the rest, so
// that a real failure comes with the device's reason for it.
bool writeAll(QIODevice& out, const void* data, size_t size) {
    const char* at = static_cast<const char*>(data);
    qint64 left = qint64(size);
    while (left > 0) {
        const qint64 written = out.write(at, left);
        if (written <= 0) return false;
        at += written;
        left -= written;
    }
    return true;
}

// ---- JPEG -----------------------------------------------------------------
// libjpeg reports errors through error_exit, which must not return: it jumps
// back to writeJpeg. Everything the jump skips is plain C data.

struct JpegError {
    jpeg_error_mgr manager;  // first, so that cinfo->err casts back
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegSink {
    jpeg_destination_mgr manager;  // first, so that cinfo->dest casts back
    QIODevice* out;
    JOCTET* buffer;
    bool writeFailed;
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* error = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

void jpegOutputMessage(j_common_ptr) {}  // warnings are not shown anywhere

[[noreturn]] void jpegWriteFailed(j_compress_ptr cinfo) {
    reinterpret_cast<JpegSink*>(cinfo->dest)->writeFailed = true;
    std::longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void jpegInitDestination(j_compress_ptr cinfo) {
    auto* sink = reinterpret_cast<JpegSink*>(cinfo->dest);
    sink->manager.next_output_byte = sink->buffer;
    sink->manager.free_in_buffer = kChunkBytes;
}

boolean jpegEmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* sink = reinterpret_cast<JpegSink*>(cinfo->dest);
    if (!writeAll(*sink->out, sink->buffer, kChunkBytes)) jpegWriteFailed(cinfo);
    jpegInitDestination(cinfo);
    return TRUE;
}

void jpegTermDestination(j_compress_ptr cinfo) {
    auto* sink = reinterpret_cast<JpegSink*>(cinfo->dest);
    const size_t used = kChunkBytes - sink->manager.free_in_buffer;
    if (used > 0 && !writeAll(*sink->out, sink->buffer, used)) jpegWriteFailed(cinfo);
}

// ---- PNG ------------------------------------------------------------------

struct PngState {
    QIODevice* out;
    bool writeFailed;
    char message[256];
};

[[noreturn]] void pngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngWrite(png_structp png, png_bytep data, size_t size) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (!writeAll(*state->out, data, size)) {
        state->writeFailed = true;
        png_error(png, "write failed");
    }
}

void pngFlush(png_structp) {}

void bgrxToRgb(const uchar* from, png_bytep to, int width) {
    for (int x = 0; x < width; ++x, from += 4, to += 3) {
        to[0] = from[2];
        to[1] = from[1];
        to[2] = from[0];
    }
}

// ---- BMP ------------------------------------------------------------------

constexpr quint32 kBmpHeaderBytes = 14 + 40;  // file header + BITMAPINFOHEADER

void putLe16(uchar*& at, quint16 value) {
    qToLittleEndian(value, at);
    at += 2;
}

void putLe32(uchar*& at, quint32 value) {
    qToLittleEndian(value, at);
    at += 4;
}

}  // namespace

QString imageFileExtension(ImageFileType type) {
    switch (type) {
        case ImageFileType::Jpeg: return QStringLiteral(".jpg");
        case ImageFileType::Png: return QStringLiteral(".png");
        case ImageFileType::Bmp: return QStringLiteral(".bmp");
    }
    return {};
}

bool writeJpeg(const QImage& picture, QIODevice& out, QString* error) {
    const QImage image = asRgb32(picture);
    if (image.isNull()) return failWith(error, QStringLiteral("The picture is empty."));
    std::vector<JOCTET> buffer(kChunkBytes);

    JpegError jerr{};
    JpegSink sink{};
    sink.manager.init_destination = jpegInitDestination;
    sink.manager.empty_output_buffer = jpegEmptyOutputBuffer;
    sink.manager.term_destination = jpegTermDestination;
    sink.out = &out;
    sink.buffer = buffer.data();

    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&jerr.manager);
    jerr.manager.error_exit = jpegErrorExit;
    jerr.manager.output_message = jpegOutputMessage;
    if (setjmp(jerr.jump)) {
        jpeg_destroy_compress(&cinfo);
        return failWith(error, sink.writeFailed ? out.errorString() : QString::fromLocal8Bit(jerr.message));
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &sink.manager;
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kJpegQuality, TRUE);  // TRUE: baseline quantisation tables
    jpeg_start_compress(&cinfo, TRUE);
    constexpr JDIMENSION kRowsAtOnce = 16;
    JSAMPROW rows[kRowsAtOnce];
    while (cinfo.next_scanline < cinfo.image_height) {
        const JDIMENSION count = std::min(kRowsAtOnce, cinfo.image_height - cinfo.next_scanline);
        for (JDIMENSION k = 0; k < count; ++k)
            rows[k] = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline + k)));
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

bool writePng(const QImage& picture, QIODevice& out, QString* error) {
    const QImage image = asRgb32(picture);
    if (image.isNull()) return failWith(error, QStringLiteral("The picture is empty."));
    const int width = image.width();
    std::vector<png_byte> row(size_t(width) * 3);

    PngState state{};
    state.out = &out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, pngError, pngWarning);
    if (!png) return failWith(error, QStringLiteral("Out of memory."));
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return failWith(error, QStringLiteral("Out of memory."));
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return failWith(error, state.writeFailed ? out.errorString() : QString::fromLocal8Bit(state.message));
    }
    png_set_write_fn(png, &state, pngWrite, pngFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(image.height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, kPngCompressionLevel);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, kPngFilters);
    png_set_compression_strategy(png, kPngStrategy);
    png_set_compression_buffer_size(png, kChunkBytes);
    png_write_info(png, info);
    for (int y = 0; y < image.height(); ++y) {
        bgrxToRgb(image.constScanLine(y), row.data(), width);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writeBmp(const QImage& picture, QIODevice& out, QString* error) {
    const QImage image = asRgb32(picture);
    if (image.isNull()) return failWith(error, QStringLiteral("The picture is empty."));
    const quint64 rowBytes = quint64(image.width()) * 4;
    const quint64 pixelBytes = rowBytes * quint64(image.height());
    if (kBmpHeaderBytes + pixelBytes > 0xFFFFFFFFull)
        return failWith(error, QStringLiteral("The picture is too large for a bitmap file."));

    uchar header[kBmpHeaderBytes];
    uchar* at = header;
    *at++ = 'B';
    *at++ = 'M';
    putLe32(at, quint32(kBmpHeaderBytes + pixelBytes));  // file size
    putLe32(at, 0);                                      // reserved
    putLe32(at, kBmpHeaderBytes);                        // offset of the pixels
    putLe32(at, 40);                                     // size of BITMAPINFOHEADER
    putLe32(at, quint32(image.width()));
    putLe32(at, quint32(image.height()));  // positive: rows stored bottom-up
    putLe16(at, 1);                        // planes
    putLe16(at, 32);                       // bits per pixel
    putLe32(at, 0);                        // BI_RGB, uncompressed
    putLe32(at, quint32(pixelBytes));
    putLe32(at, 0);  // horizontal resolution: unspecified
    putLe32(at, 0);  // vertical resolution: unspecified
    putLe32(at, 0);  // colours used
    putLe32(at, 0);  // important colours
    if (!writeAll(out, header, sizeof header)) return failWith(error, out.errorString());

    // 32-bit RGB rows in memory are exactly the bitmap's B, G, R, X rows; they
    // go out bottom row first, gathered into chunks that stay in the cache.
    const size_t rowsPerChunk = std::max<size_t>(1, kChunkBytes / rowBytes);
    std::vector<uchar> chunk(rowsPerChunk * rowBytes);
    for (int y = image.height() - 1; y >= 0;) {
        size_t used = 0;
        for (size_t k = 0; k < rowsPerChunk && y >= 0; ++k, --y, used += rowBytes)
            std::memcpy(chunk.data() + used, image.constScanLine(y), rowBytes);
        if (!writeAll(out, chunk.data(), used)) return failWith(error, out.errorString());
    }
    return true;
}

bool writeImage(const QImage& picture, ImageFileType type, QIODevice& out, QString* error) {
    switch (type) {
        case ImageFileType::Jpeg: return writeJpeg(picture, out, error);
        case ImageFileType::Png: return writePng(picture, out, error);
        case ImageFileType::Bmp: return writeBmp(picture, out, error);
    }
    return failWith(error, QStringLiteral("Unknown file type."));
}

bool saveImageFile(const QImage& picture, ImageFileType type, const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        return failWith(error,
                        QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), reason));
    };
    const QFileInfo target(path);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(folder)));
    if (target.isDir()) return fail(QStringLiteral("A folder of that name exists."));

    // Unbuffered: every write reaches the file at once and a failure shows at
    // that write. Through QFileDevice's buffer, a failure on the final flush
    // inside commit() goes unnoticed and the short file is renamed into place.
    // The writers hand over large chunks, so nothing is lost by it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(file.errorString());
    QString reason;
    if (!writeImage(picture, type, file, &reason)) {
        file.cancelWriting();  // the temporary file goes when `file` does
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

}  // namespace vz
