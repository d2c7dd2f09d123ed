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
    ResampleKernel kernel = ResampleKernel::Auto;
    bool threaded = true;
    QImage converted;
    std::vector<RowSlot> rowSlots;
};

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

    const ResampleKernels kernels = resampleKernels(d.kernel);
    const int taps = vw.taps;
    const size_t rowLen = size_t(hw.paddedCount) * 4;

    RowWorkers* workers = RowWorkers::lent();
    const double srcRows = std::min(double(srcHeight), double(p.height()) * srcHeight / size.height() + taps);
    const double work = double(p.width()) * (double(p.height()) * taps + srcRows * hw.taps);
    const bool threaded = d.threaded && workers && workers->threadCount() > 1 && work >= kThreadedWork;
    const int threads = threaded ? workers->threadCount() : 1;
    const int chunks = std::min(p.height(), threads * kChunksPerThread);

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
            widenRow(row + p.x(), p.width(), out);
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
        const int y0 = int(qint64(p.height()) * chunk / chunks);
        const int y1 = int(qint64(p.height()) * (chunk + 1) / chunks);
        for (int y = y0; y < y1; ++y) {
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
            kernels.vertical(slot.rows.data(), &vw.weights[size_t(y) * size_t(taps)], taps, p.width(),
                             reinterpret_cast<uint32_t*>(dstBits + y * dstStride));
        }
    };

    if (threaded)
        workers->run(chunks, task);
    else
        for (int chunk = 0; chunk < chunks; ++chunk) task(chunk, 0);
}

}  // namespace vz
