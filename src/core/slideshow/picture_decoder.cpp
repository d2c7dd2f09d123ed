#include "core/slideshow/picture_decoder.h"

#include "core/scaling/resampler.h"

#include <QBuffer>
#include <QImageReader>
#include <QTransform>
#include <QtEndian>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>
#include <zlib.h>

// The libjpeg and libpng error paths leave through longjmp. Every function
// below that calls setjmp keeps its state in a job struct owned by its caller
// and has no local with a destructor, so no C++ object is skipped.

namespace vz::slideshow {

namespace {

constexpr qint64 kPngChunkMemory = 8 * 1000 * 1000;

void fail(DecodedPicture& out, const QString& name, const QString& why) {
    out.error = QStringLiteral("Cannot read the picture \"%1\": %2").arg(name, why);
    out.reason = why;
}

// Orientations 5..8 swap width and height.
bool swapsAxes(int orientation) { return orientation >= 5 && orientation <= 8; }
QSize oriented(QSize size, int orientation) { return swapsAxes(orientation) ? size.transposed() : size; }

// Checks the declared size against the limits; empty on success.
QString sizeProblem(qint64 width, qint64 height, const DecodeLimits& limits) {
    if (width <= 0 || height <= 0) return QStringLiteral("the picture has no pixels");
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxSourcePixels)
        return QStringLiteral("the picture is too large (%1 x %2 pixels)").arg(width).arg(height);
    return QString();
}

QString decodedSizeProblem(qint64 width, qint64 height, const DecodeLimits& limits) {
    if (width * height > limits.maxDecodedPixels)
        return QStringLiteral("the picture is too large (%1 x %2 pixels)").arg(width).arg(height);
    return QString();
}

// What the JPEG and PNG decoders hand back.
struct DecodeJob {
    const uchar* data = nullptr;
    size_t size = 0;
    const DecodeLimits* limits = nullptr;
    QImage image;
    QSize fullSize;
    int orientation = 1;
    QString problem;         // a refusal of ours (limits, memory)
    bool probeOnly = false;  // size and file structure only, no pixels
};

// The outcome of a job; `libraryMessage` is the library's error when it failed.
DecodedPicture finishJob(DecodeJob& job, bool ran, const char* libraryMessage, const QString& name, int& orientation) {
    DecodedPicture out;
    out.fullSize = job.fullSize;
    orientation = job.orientation;
    if (!ran)
        fail(out, name, QString::fromLocal8Bit(libraryMessage));
    else if (!job.problem.isEmpty())
        fail(out, name, job.problem);
    else
        out.image = std::move(job.image);
    return out;
}

// ---- JPEG ----

struct JpegJob : DecodeJob {
    QSize bound;
    std::vector<uchar> cmykRow;
};

// The decoder's memory limit, in the user's words.
const QString kTooLargeForMemory = QStringLiteral("the picture is too large to be decoded in memory");

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int warnings;
};

struct JpegProgress {
    jpeg_progress_mgr pub;
    int maxScans;
    JpegErrorManager* errors;
};

[[noreturn]] void jpegFail(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    if (cinfo->err->msg_code == JERR_NO_BACKING_STORE) {
        // The decoder's memory limit was reached (a progressive picture keeps
        // every coefficient until its last scan): said in the user's words.
        std::snprintf(err->message, sizeof err->message, "%s", qPrintable(kTooLargeForMemory));
    } else {
        (*cinfo->err->format_message)(cinfo, err->message);
    }
    std::longjmp(err->jump, 1);
}

// Warnings that mean the picture data is damaged (a stream that ends early,
// lost markers, scans out of order) are errors here: the decoder would fill
// the rest with grey or garbage. Others (such as stray bytes before a marker,
// which many cameras write) are tolerated up to a count, so a stream of
// garbage cannot keep the decoder busy with them.
void jpegMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    switch (cinfo->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION: jpegFail(cinfo);
        default: break;
    }
    if (++err->warnings > 100) jpegFail(cinfo);
}

void jpegProgress(j_common_ptr cinfo) {
    auto* progress = reinterpret_cast<JpegProgress*>(cinfo->progress);
    auto* dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (dinfo->input_scan_number > progress->maxScans) {
        std::snprintf(progress->errors->message, sizeof progress->errors->message, "the picture has more than %d scans",
                      progress->maxScans);
        std::longjmp(progress->errors->jump, 1);
    }
}

int orientationFromMarkers(j_decompress_ptr cinfo) {
    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14) continue;
        if (std::memcmp(m->data, "Exif\0\0", 6) != 0) continue;
        return exifOrientation(m->data + 6, qsizetype(m->data_length - 6));
    }
    return 1;
}

void cmykToRgb(const uchar* cmyk, quint32* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x, cmyk += 4) {
        int c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

// The rest of a JPEG stream after the first scan's header, walked without
// decoding: the entropy-coded data is skipped to the next marker, the
// segments between scans by their length, up to the end-of-picture marker.
// Catches files that end early, stray markers and too many scans, in the
// library's words where it has them.
QString jpegStructureProblem(const uchar* p, size_t size, size_t at, int maxScans, const jpeg_error_mgr& err) {
    const QString endsEarly = QString::fromLatin1(err.jpeg_message_table[JWRN_JPEG_EOF]);
    const QString damaged = QString::fromLatin1(err.jpeg_message_table[JWRN_HIT_MARKER]);
    int scans = 1;
    for (;;) {
        if (at >= size) return endsEarly;
        const auto* ff = static_cast<const uchar*>(std::memchr(p + at, 0xFF, size - at));
        if (!ff) return endsEarly;
        at = size_t(ff - p) + 1;
        while (at < size && p[at] == 0xFF) ++at;  // fill bytes
        if (at >= size) return endsEarly;
        const uchar marker = p[at++];
        if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // stuffed zero, restart marker
        if (marker == 0xD9) return QString();
        // Segments that may follow a scan: another scan, tables, restart
        // interval, line count, comments, application data.
        const bool segment = marker == 0xDA || marker == 0xC4 || marker == 0xCC || marker == 0xDB || marker == 0xDC ||
                             marker == 0xDD || marker == 0xFE || (marker >= 0xE0 && marker <= 0xEF);
        if (!segment) return damaged;
        if (size - at < 2) return endsEarly;
        const size_t length = size_t(p[at]) << 8 | p[at + 1];
        if (length < 2) return damaged;
        if (size - at < length) return endsEarly;
        at += length;
        if (marker == 0xDA && ++scans > maxScans)
            return QStringLiteral("the picture has more than %1 scans").arg(maxScans);
    }
}

// A progressive picture keeps every coefficient of the whole picture until
// its last scan: more than the memory limit allows is refused from the
// header, so the probe says what the decoder would.
QString progressiveMemoryProblem(const jpeg_decompress_struct& cinfo, const DecodeLimits& limits) {
    if (!cinfo.progressive_mode) return {};
    double bytes = 0;
    for (int i = 0; i < cinfo.num_components; ++i)
        bytes +=
            double(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks * DCTSIZE2 * sizeof(JCOEF);
    return bytes > double(limits.maxJpegMemory) ? kTooLargeForMemory : QString();
}

// Returns false with err.message set when libjpeg failed.
bool runJpeg(JpegJob* job, jpeg_decompress_struct* cinfo, JpegErrorManager* err, JpegProgress* progress) {
    if (setjmp(err->jump)) return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = job->limits->maxJpegMemory;
    cinfo->progress = &progress->pub;
    jpeg_mem_src(cinfo, job->data, static_cast<unsigned long>(job->size));
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);

    job->orientation = orientationFromMarkers(cinfo);
    const QSize raw(int(cinfo->image_width), int(cinfo->image_height));
    job->fullSize = oriented(raw, job->orientation);
    job->problem = sizeProblem(cinfo->image_width, cinfo->image_height, *job->limits);
    if (job->problem.isEmpty()) job->problem = progressiveMemoryProblem(*cinfo, *job->limits);
    if (!job->problem.isEmpty()) return true;
    if (job->probeOnly) {
        const size_t at = job->size - cinfo->src->bytes_in_buffer;
        job->problem = jpegStructureProblem(job->data, job->size, at, job->limits->maxJpegScans, err->pub);
        return true;
    }

    const QSize needed = oriented(fittedSize(job->fullSize, job->bound), job->orientation);
    cinfo->scale_num = unsigned(jpegScaleEighths(raw, needed));
    cinfo->scale_denom = 8;
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(cinfo);
    job->problem = decodedSizeProblem(cinfo->output_width, cinfo->output_height, *job->limits);
    if (!job->problem.isEmpty()) return true;

    jpeg_start_decompress(cinfo);
    const int width = int(cinfo->output_width), height = int(cinfo->output_height);
    job->image = QImage(width, height, QImage::Format_RGB32);
    if (job->image.isNull()) {
        job->problem = QStringLiteral("not enough memory");
        return true;
    }
    if (cmyk) job->cmykRow.resize(size_t(width) * 4);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = int(cinfo->output_scanline);
        if (cmyk) {
            JSAMPROW row = job->cmykRow.data();
            jpeg_read_scanlines(cinfo, &row, 1);
            cmykToRgb(row, reinterpret_cast<quint32*>(job->image.scanLine(y)), width, cinfo->saw_Adobe_marker);
        } else {
            JSAMPROW rows[4];
            const int n = std::min(4, height - y);
            for (int i = 0; i < n; ++i) rows[i] = job->image.scanLine(y + i);
            jpeg_read_scanlines(cinfo, rows, JDIMENSION(n));
        }
    }
    return true;
}

DecodedPicture decodeJpeg(const QByteArray& data, QSize bound, bool probeOnly, const QString& name,
                          const DecodeLimits& limits, int& orientation) {
    JpegJob job;
    job.probeOnly = probeOnly;
    job.data = reinterpret_cast<const uchar*>(data.constData());
    job.size = size_t(data.size());
    job.bound = bound;
    job.limits = &limits;
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = jpegFail;
    err.pub.emit_message = jpegMessage;
    err.warnings = 0;
    err.message[0] = 0;
    JpegProgress progress;
    std::memset(&progress, 0, sizeof progress);
    progress.pub.progress_monitor = jpegProgress;
    progress.maxScans = limits.maxJpegScans;
    progress.errors = &err;
    const bool ran = runJpeg(&job, &cinfo, &err, &progress);
    jpeg_destroy_decompress(&cinfo);
    return finishJob(job, ran, err.message, name, orientation);
}

// ---- PNG ----

struct PngJob : DecodeJob {
    size_t position = 0;
    std::vector<png_bytep> rows;
    char message[200] = {};
};

void pngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (job->size - job->position < length) png_error(png, "the file ends too early");
    std::memcpy(out, job->data + job->position, length);
    job->position += length;
}

void pngFail(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    std::snprintf(job->message, sizeof job->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// The chunks from `at` (the first picture data chunk) to the end chunk,
// walked without inflating: every chunk must be whole, and the critical
// ones must match their checksums, as the decoder requires.
QString pngStructureProblem(const uchar* p, size_t size, size_t at) {
    for (;;) {
        if (size - at < 12) return QStringLiteral("the file ends too early");
        const quint32 length = qFromBigEndian<quint32>(p + at);
        if (length > 0x7FFFFFFFu || size - at - 12 < length) return QStringLiteral("the file ends too early");
        const uchar* type = p + at + 4;
        const bool critical = !(type[0] & 0x20);
        if (critical &&
            crc32(crc32(0, nullptr, 0), type, uInt(length) + 4) != qFromBigEndian<quint32>(type + 4 + length))
            return QStringLiteral("%1: CRC error").arg(QLatin1String(reinterpret_cast<const char*>(type), 4));
        at += 12 + size_t(length);
        if (std::memcmp(type, "IEND", 4) == 0) return QString();
    }
}

bool runPng(PngJob* job, png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, job, pngRead);
    png_set_user_limits(png, png_uint_32(job->limits->maxSide), png_uint_32(job->limits->maxSide));
    png_set_chunk_malloc_max(png, kPngChunkMemory);
    png_set_chunk_cache_max(png, 128);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
#ifdef PNG_eXIf_SUPPORTED
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(png, info, &exifSize, &exif) && exif) job->orientation = exifOrientation(exif, exifSize);
#endif
    job->fullSize = oriented(QSize(int(width), int(height)), job->orientation);
    job->problem = sizeProblem(width, height, *job->limits);
    if (job->problem.isEmpty()) job->problem = decodedSizeProblem(width, height, *job->limits);
    if (!job->problem.isEmpty()) return true;
    if (job->probeOnly) {
        // Reading the header stopped just after the first data chunk's length and type.
        job->problem = pngStructureProblem(job->data, job->size, job->position - 8);
        return true;
    }

    const bool alpha = (colour & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colour == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (depth == 16) png_set_strip_16(png);
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    job->image = QImage(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (job->image.isNull()) {
        job->problem = QStringLiteral("not enough memory");
        return true;
    }
    job->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) job->rows[y] = job->image.scanLine(int(y));
    png_read_image(png, job->rows.data());
    return true;
}

}  // namespace

bool pngDataLongerThanPicture(const QByteArray& png) {
    const auto* p = reinterpret_cast<const uchar*>(png.constData());
    const size_t size = size_t(png.size());
    if (size < 33 || png_sig_cmp(p, 0, 8) != 0 || std::memcmp(p + 12, "IHDR", 4) != 0) return false;
    const quint64 width = qFromBigEndian<quint32>(p + 16), height = qFromBigEndian<quint32>(p + 20);
    const int depth = p[24], colour = p[25];
    const int channels = colour == 2 ? 3 : colour == 4 ? 2 : colour == 6 ? 4 : 1;
    // Rows with their filter bytes; an interlaced picture has at most about
    // two passes' rows per row (and a partial byte for each).
    const quint64 rows = height * ((width * quint64(channels) * quint64(depth) + 7) / 8 + 1) + 4 * height;
    const quint64 allowed = rows + rows / 4 + 65536;
    quint64 data = 0;
    for (size_t at = 8; size - at >= 12;) {
        const quint32 length = qFromBigEndian<quint32>(p + at);
        if (std::memcmp(p + at + 4, "IDAT", 4) == 0) data += length;
        if (std::memcmp(p + at + 4, "IEND", 4) == 0 || size - at - 12 < length) break;
        at += 12 + size_t(length);
    }
    return data > allowed;
}

namespace {

DecodedPicture decodePng(const QByteArray& data, bool probeOnly, const QString& name, const DecodeLimits& limits,
                         int& orientation) {
    PngJob job;
    job.probeOnly = probeOnly;
    job.data = reinterpret_cast<const uchar*>(data.constData());
    job.size = size_t(data.size());
    job.limits = &limits;
    DecodedPicture out;
    if (data.size() < 8 || png_sig_cmp(job.data, 0, 8) != 0) {
        fail(out, name, QStringLiteral("the file is not a PNG picture"));
        return out;
    }
    if (!probeOnly && pngDataLongerThanPicture(data)) {
        fail(out, name, QStringLiteral("the picture data is longer than the picture"));
        return out;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, pngFail, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
        fail(out, name, QStringLiteral("not enough memory"));
        return out;
    }
    const bool ran = runPng(&job, png, info);
    png_destroy_read_struct(&png, &info, nullptr);
    return finishJob(job, ran, job.message, name, orientation);
}

// ---- BMP ----

// The bytes an uncompressed bitmap needs, from its headers; 0 when the
// headers do not say (compressed data, unusual header).
qint64 bitmapBytesNeeded(const QByteArray& data) {
    if (data.size() < 30 || data[0] != 'B' || data[1] != 'M') return 0;
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(data.constData() + at); };
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(data.constData() + at); };
    const quint32 header = u32(14);
    if (header < 40 || data.size() < 34) return 0;
    const qint64 width = qint32(u32(18)), height = qint32(u32(22));
    const int bits = u16(28);
    const quint32 compression = u32(30);
    if (compression != 0 && compression != 3) return 0;  // BI_RGB, BI_BITFIELDS
    if (width <= 0 || height == 0 || bits == 0) return 0;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    return qint64(u32(10)) + stride * std::abs(height);
}

DecodedPicture decodeBmp(const QByteArray& data, bool probeOnly, const QString& name, const DecodeLimits& limits) {
    DecodedPicture out;
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(int(std::min<qint64>(limits.maxDecodedPixels * 4 / (1024 * 1024) + 1, 1 << 30)));
    const QSize size = reader.size();
    if (!size.isValid()) {
        fail(out, name, QStringLiteral("the file is not a bitmap picture"));
        return out;
    }
    out.fullSize = size;
    QString problem = sizeProblem(size.width(), size.height(), limits);
    if (problem.isEmpty()) problem = decodedSizeProblem(size.width(), size.height(), limits);
    if (!problem.isEmpty()) {
        fail(out, name, problem);
        return out;
    }
    const qint64 needed = bitmapBytesNeeded(data);
    if (needed > data.size()) {
        fail(out, name, QStringLiteral("the file ends too early"));
        return out;
    }
    if (probeOnly) return out;
    QImage image;
    if (!reader.read(&image)) {
        fail(out, name, reader.errorString());
        return out;
    }
    out.image = image.hasAlphaChannel() ? std::move(image).convertToFormat(QImage::Format_ARGB32)
                                        : std::move(image).convertToFormat(QImage::Format_RGB32);
    return out;
}

quint32 readTiff(const uchar* p, int bytes, bool bigEndian) {
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i) v |= quint32(p[i]) << (bigEndian ? 8 * (bytes - 1 - i) : 8 * i);
    return v;
}

}  // namespace

QSize fittedSize(QSize size, QSize bound) {
    if (bound.isEmpty() || size.isEmpty()) return size;
    const qint64 w = size.width(), h = size.height(), cw = bound.width(), ch = bound.height();
    if (w <= cw && h <= ch) return size;
    // Rounded w * b / h, as the transition view computes its screen rectangle.
    auto mulDiv = [](qint64 a, qint64 b, qint64 c) { return int(std::max<qint64>(1, (a * b + c / 2) / c)); };
    if (double(ch) / double(h) > double(cw) / double(w)) return QSize(int(cw), mulDiv(h, cw, w));
    return QSize(mulDiv(w, ch, h), int(ch));
}

int jpegScaleEighths(QSize full, QSize needed) {
    if (needed.isEmpty()) return 8;
    for (int n = 1; n < 8; ++n) {
        const qint64 w = (qint64(full.width()) * n + 7) / 8, h = (qint64(full.height()) * n + 7) / 8;
        if (w >= needed.width() && h >= needed.height()) return n;
    }
    return 8;
}

int exifOrientation(const uchar* tiff, qsizetype size) {
    if (!tiff || size < 8) return 1;
    bool big;
    if (std::memcmp(tiff, "II*\0", 4) == 0)
        big = false;
    else if (std::memcmp(tiff, "MM\0*", 4) == 0)
        big = true;
    else
        return 1;
    const quint64 ifd = readTiff(tiff + 4, 4, big);
    if (ifd + 2 > quint64(size)) return 1;
    const quint32 count = readTiff(tiff + ifd, 2, big);
    for (quint32 i = 0; i < count; ++i) {
        const quint64 entry = ifd + 2 + quint64(i) * 12;
        if (entry + 12 > quint64(size)) return 1;
        if (readTiff(tiff + entry, 2, big) != 0x0112) continue;
        if (readTiff(tiff + entry + 2, 2, big) != 3) return 1;  // SHORT
        const quint32 value = readTiff(tiff + entry + 8, 2, big);
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

QImage applyOrientation(const QImage& image, int orientation) {
    switch (orientation) {
        case 2: return image.mirrored(true, false);
        case 3: return image.transformed(QTransform().rotate(180));
        case 4: return image.mirrored(false, true);
        case 5: return image.transformed(QTransform().rotate(90)).mirrored(true, false);
        case 6: return image.transformed(QTransform().rotate(90));
        case 7: return image.transformed(QTransform().rotate(90)).mirrored(false, true);
        case 8: return image.transformed(QTransform().rotate(270));
        default: return image;
    }
}

namespace {

// Decodes, or with `probeOnly` reads the size and checks the structure.
DecodedPicture readPicture(const QByteArray& data, FileKind kind, QSize bound, bool probeOnly, const QString& name,
                           const DecodeLimits& limits, int& orientation) {
    DecodedPicture out;
    if (data.isEmpty()) {
        fail(out, name, QStringLiteral("the file is empty"));
        return out;
    }
    switch (kind) {
        case FileKind::Jpeg: return decodeJpeg(data, bound, probeOnly, name, limits, orientation);
        case FileKind::Png: return decodePng(data, probeOnly, name, limits, orientation);
        case FileKind::Bitmap: return decodeBmp(data, probeOnly, name, limits);
        default: fail(out, name, QStringLiteral("the file is not a picture")); return out;
    }
}

template <typename Read>
DecodedPicture readPictureFile(const QString& path, const DecodeLimits& limits, Read read) {
    QString why;
    const std::optional<QByteArray> data = readFileBytes(path, limits.maxFileBytes, &why);
    if (!data) {
        DecodedPicture out;
        fail(out, path, why);
        return out;
    }
    return read(*data, fileKindOf(path));
}

}  // namespace

DecodedPicture probePictureData(const QByteArray& data, FileKind kind, const QString& name,
                                const DecodeLimits& limits) {
    int orientation = 1;
    DecodedPicture out = readPicture(data, kind, QSize(), true, name, limits, orientation);
    if (!out.ok()) out.fullSize = QSize();
    return out;
}

DecodedPicture probePictureFile(const QString& path, const DecodeLimits& limits) {
    return readPictureFile(path, limits, [&](const QByteArray& data, FileKind kind) {
        return probePictureData(data, kind, path, limits);
    });
}

DecodedPicture decodePictureData(const QByteArray& data, FileKind kind, QSize bound, const QString& name,
                                 const DecodeLimits& limits) {
    int orientation = 1;
    DecodedPicture out = readPicture(data, kind, bound, false, name, limits, orientation);
    if (!out.ok()) return out;
    if (out.image.hasAlphaChannel()) out.image.convertTo(QImage::Format_ARGB32_Premultiplied);
    // Scale in the file's own orientation, then turn the smaller picture upright.
    const QSize target = oriented(fittedSize(out.fullSize, bound), orientation);
    if (out.image.size() != target) {
        ResampleScratch scratch;
        QImage scaled;
        resample(out.image, scaled, target, scratch);
        out.image = std::move(scaled);
    }
    out.image = applyOrientation(out.image, orientation);
    return out;
}

DecodedPicture decodePictureFile(const QString& path, QSize bound, const DecodeLimits& limits) {
    return readPictureFile(path, limits, [&](const QByteArray& data, FileKind kind) {
        return decodePictureData(data, kind, bound, path, limits);
    });
}

}  // namespace vz::slideshow
