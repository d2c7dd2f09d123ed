#include "core/scaling/resampler.h"

#include "core/scaling/resample_kernels.h"
#include "core/scaling/resample_weights.h"
#include "core/scaling/row_workers.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vz {

namespace {

// Below this many multiply-adds a frame is done on the calling thread.
constexpr double kThreadedWork = 256.0 * 1024.0;
// Chunks per thread: a few, so that a thread slowed by other processes does
// not hold everyone up, but few enough that the rows each chunk recomputes
// at its start stay cheap.
constexpr int kChunksPerThread = 3;

// Per-thread buffers: a ring of horizontally scaled source rows, indexed by
// source row modulo its size.
struct RowSlot {
    std::vector<uint16_t> ring;
    std::vector<int> ringRow;
    std::vector<const uint16_t*> rows;
    std::vector<uint32_t> paddedSource;
};

}  // namespace

struct ResampleScratch::Impl {
    AxisWeights horizontal;
    AxisWeights vertical;
    AxisWeights columns;  // a slice of `horizontal`: the columns of one changed rectangle
    ResampleKernel kernel = ResampleKernel::Auto;
    bool threaded = true;
    QImage converted;
    std::vector<RowSlot> rowSlots;
};

namespace {

// Output rows [y0, y1) of the vertical table, the columns of `hw` (a table
// for destination columns starting `srcX` pixels in for the identity pass),
// written from `dstRow0` (the output row of table row 0) on.
void runRows(ResampleScratch::Impl& d, const QImage& from, const AxisWeights& hw, const AxisWeights& vw, int srcX,
             int y0, int y1, uchar* dstRow0, qsizetype dstStride) {
    const int srcWidth = from.width();
    const int srcHeight = from.height();
    const uchar* srcBits = from.constBits();
    const qsizetype srcStride = from.bytesPerLine();
    const int width = hw.count;
    const int height = y1 - y0;
    const ResampleKernels kernels = resampleKernels(d.kernel);
    const int taps = vw.taps;
    const size_t rowLen = size_t(hw.paddedCount) * 4;

    RowWorkers* workers = RowWorkers::lent();
    const double srcRows = std::min(double(srcHeight), double(height) * srcHeight / vw.dstLen + taps);
    const double work = double(width) * (double(height) * taps + srcRows * hw.taps);
    const bool threaded = d.threaded && workers && workers->threadCount() > 1 && work >= kThreadedWork;
    const int threads = threaded ? workers->threadCount() : 1;
    const int chunks = std::min(height, threads * kChunksPerThread);

    if (d.rowSlots.size() < size_t(threads)) d.rowSlots.resize(size_t(threads));
    for (int t = 0; t < threads; ++t) {
        RowSlot& slot = d.rowSlots[size_t(t)];
        slot.ring.resize(rowLen * size_t(taps));
        slot.ringRow.resize(size_t(taps));
        slot.rows.resize(size_t(taps) + 1);
        if (srcWidth < hw.taps) slot.paddedSource.assign(size_t(hw.taps), 0);
    }

    auto scaleRow = [&](RowSlot& slot, int j, uint16_t* out) {
        const auto* row = reinterpret_cast<const uint32_t*>(srcBits + j * srcStride);
        if (hw.identity) {
            widenRow(row + srcX, width, out);
        } else if (srcWidth < hw.taps) {
            std::copy(row, row + srcWidth, slot.paddedSource.begin());
            kernels.horizontal(slot.paddedSource.data(), hw, out);
        } else {
            kernels.horizontal(row, hw, out);
        }
    };

    auto task = [&](int chunk, int slotIndex) {
        RowSlot& slot = d.rowSlots[size_t(slotIndex)];
        std::fill(slot.ringRow.begin(), slot.ringRow.end(), -1);
        const int from = y0 + int(qint64(height) * chunk / chunks);
        const int to = y0 + int(qint64(height) * (chunk + 1) / chunks);
        for (int y = from; y < to; ++y) {
            const int first = vw.first[size_t(y)];
            for (int k = 0; k < taps; ++k) {
                const int j = first + k;
                const size_t at = size_t(j % taps);
                uint16_t* buffer = slot.ring.data() + at * rowLen;
                if (slot.ringRow[at] != j) {
                    scaleRow(slot, j, buffer);
                    slot.ringRow[at] = j;
                }
                slot.rows[size_t(k)] = buffer;
            }
            slot.rows[size_t(taps)] = slot.rows[size_t(taps) - 1];
            kernels.vertical(slot.rows.data(), &vw.weights[size_t(y) * size_t(taps)], taps, width,
                             reinterpret_cast<uint32_t*>(dstRow0 + y * dstStride));
        }
    };

    if (threaded)
        workers->run(chunks, task);
    else
        for (int chunk = 0; chunk < chunks; ++chunk) task(chunk, 0);
}

}  // namespace

ResampleScratch::ResampleScratch() : d_(std::make_unique<Impl>()) {}
ResampleScratch::~ResampleScratch() = default;
void ResampleScratch::setKernel(ResampleKernel kernel) { d_->kernel = kernel; }
void ResampleScratch::setThreaded(bool threaded) { d_->threaded = threaded; }

void resample(const QImage& src, QImage& dst, QSize size, ResampleScratch& scratch) {
    resample(src, dst, size, QRect(QPoint(0, 0), size), scratch);
}

void resample(const QImage& src, QImage& dst, QSize size, const QRect& part, ResampleScratch& scratch) {
    ResampleScratch::Impl& d = *scratch.d_;
    const QRect p = part & QRect(QPoint(0, 0), size);
    if (src.isNull() || src.width() <= 0 || src.height() <= 0 || p.isEmpty()) {
        dst = QImage();
        return;
    }

    // Resampling an image into itself: keep the source alive while dst is
    // replaced.
    const QImage keep = &src == &dst ? src : QImage();
    const QImage* from = &src == &dst ? &keep : &src;
    QImage::Format format = from->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied) {
        d.converted = from->convertToFormat(QImage::Format_RGB32);
        from = &d.converted;
        format = QImage::Format_RGB32;
    }
    if (dst.size() != p.size() || dst.format() != format || !dst.isDetached()) dst = QImage(p.size(), format);
    if (dst.isNull()) return;  // out of memory

    const int srcWidth = from->width();
    const int srcHeight = from->height();
    const uchar* srcBits = from->constBits();
    const qsizetype srcStride = from->bytesPerLine();
    uchar* dstBits = dst.bits();
    const qsizetype dstStride = dst.bytesPerLine();

    AxisWeights& hw = d.horizontal;
    AxisWeights& vw = d.vertical;
    hw.update(srcWidth, size.width(), p.x(), p.width(), 4);
    vw.update(srcHeight, size.height(), p.y(), p.height(), 1);

    if (hw.identity && vw.identity) {
        const size_t rowBytes = size_t(p.width()) * 4;
        for (int y = 0; y < p.height(); ++y)
            std::memcpy(dstBits + y * dstStride, srcBits + (p.y() + y) * srcStride + qsizetype(p.x()) * 4, rowBytes);
        return;
    }

    runRows(d, *from, hw, vw, p.x(), 0, p.height(), dstBits, dstStride);
}

}  // namespace vz

namespace vz {

namespace {

// The output pixels (in the coordinates of the part the tables were built
// for) that read any pixel of `changed`.
QRegion reachedBy(const AxisWeights& hw, const AxisWeights& vw, const QRegion& changed) {
    QRegion reached;
    for (const QRect& r : changed) {
        const auto [x0, x1] = hw.reaching(r.left(), r.right() + 1);
        const auto [y0, y1] = vw.reaching(r.top(), r.bottom() + 1);
        if (x1 > x0 && y1 > y0) reached |= QRect(x0, y0, x1 - x0, y1 - y0);
    }
    return reached;
}

}  // namespace

QRegion resampleChanged(const QImage& src, QImage& dst, QSize size, const QRect& part, const QRegion& changed,
                        ResampleScratch& scratch) {
    ResampleScratch::Impl& d = *scratch.d_;
    const QRect p = part & QRect(QPoint(0, 0), size);
    const QImage::Format format = src.format();
    const bool kept = !src.isNull() && !p.isEmpty() && &src != &dst && dst.size() == p.size() &&
                      dst.format() == format && dst.isDetached() &&
                      (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                       format == QImage::Format_ARGB32_Premultiplied);
    if (!kept) {
        resample(src, dst, size, part, scratch);
        return dst.isNull() ? QRegion() : QRegion(dst.rect());
    }
    AxisWeights& hw = d.horizontal;
    AxisWeights& vw = d.vertical;
    hw.update(src.width(), size.width(), p.x(), p.width(), 4);
    vw.update(src.height(), size.height(), p.y(), p.height(), 1);
    const QRegion reached = reachedBy(hw, vw, changed & src.rect());
    uchar* dstBits = dst.bits();
    const qsizetype dstStride = dst.bytesPerLine();
    for (const QRect& r : reached) {
        if (hw.identity && vw.identity) {
            const size_t rowBytes = size_t(r.width()) * 4;
            for (int y = r.top(); y <= r.bottom(); ++y)
                std::memcpy(dstBits + y * dstStride + qsizetype(r.x()) * 4,
                            src.constScanLine(p.y() + y) + qsizetype(p.x() + r.x()) * 4, rowBytes);
            continue;
        }
        d.columns.slice(hw, r.x(), r.width());
        runRows(d, src, d.columns, vw, p.x() + r.x(), r.top(), r.bottom() + 1, dstBits + qsizetype(r.x()) * 4,
                dstStride);
    }
    return reached;
}

QRegion resampledRegion(QSize srcSize, QSize size, const QRect& part, const QRegion& changed,
                        ResampleScratch& scratch) {
    ResampleScratch::Impl& d = *scratch.d_;
    const QRect p = part & QRect(QPoint(0, 0), size);
    if (srcSize.isEmpty() || p.isEmpty()) return {};
    d.horizontal.update(srcSize.width(), size.width(), p.x(), p.width(), 4);
    d.vertical.update(srcSize.height(), size.height(), p.y(), p.height(), 1);
    return reachedBy(d.horizontal, d.vertical, changed & QRect(QPoint(0, 0), srcSize));
}

}  // namespace vz
