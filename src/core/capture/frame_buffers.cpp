#include "core/capture/frame_buffers.h"

#include <algorithm>
#include <limits>

namespace vz {

namespace {

// Frames kept in the history: more than the buffers of a pool.
constexpr std::size_t kHistory = 8;
// Buffers kept per pool: the view holding one frame, the controller the
// newest, the pipeline the previous as the base of the next, one being written.
constexpr std::size_t kPooledBuffers = 4;
// A region of more rectangles than this is copied as its bounding rectangle.
constexpr int kMergeLimit = 64;

qint64 area(const QRect& r) { return qint64(r.width()) * r.height(); }

}  // namespace

QVector<QRect> coalesceChanges(const QRegion& changed, qint64 slack, int maxRects) {
    if (changed.isEmpty()) return {};
    if (changed.rectCount() > kMergeLimit) return {changed.boundingRect()};
    QVector<QRect> rects(changed.begin(), changed.end());
    // Rectangles that overlap after a merge are merged too, so the result
    // never copies a pixel twice.
    for (;;) {
        qint64 best = std::numeric_limits<qint64>::max();
        int bi = -1, bj = -1;
        for (int i = 0; i < rects.size(); ++i)
            for (int j = i + 1; j < rects.size(); ++j) {
                const QRect u = rects[i] | rects[j];
                const qint64 waste = rects[i].intersects(rects[j]) ? std::numeric_limits<qint64>::min()
                                                                   : area(u) - area(rects[i]) - area(rects[j]);
                if (waste < best) {
                    best = waste;
                    bi = i;
                    bj = j;
                }
            }
        if (bi < 0 || (best > slack && rects.size() <= maxRects)) break;
        rects[bi] |= rects[bj];
        rects.remove(bj);
    }
    return rects;
}

void ChangeHistory::add(std::uint64_t serial, const QRegion& changed) {
    changes_.emplace_back(serial, changed);
    if (changes_.size() > kHistory) changes_.pop_front();
    newest_ = serial;
}

void ChangeHistory::restart(std::uint64_t serial) {
    changes_.clear();
    newest_ = serial;
}

std::optional<QRegion> ChangeHistory::since(std::uint64_t serial) const {
    if (serial == 0 || serial > newest_) return std::nullopt;
    if (serial == newest_) return QRegion();
    // Every frame after `serial` must be in the list.
    if (changes_.empty() || changes_.front().first > serial + 1) return std::nullopt;
    QRegion region;
    for (const auto& [s, changed] : changes_)
        if (s > serial) region |= changed;
    return region;
}

BufferPool::Buffer BufferPool::take() {
    for (Buffer& slot : slots_)
        if (!slot.image.isNull() && slot.image.isDetached()) return std::exchange(slot, Buffer());
    return {};
}

void BufferPool::keep(const QImage& image, std::uint64_t serial) {
    if (image.isNull()) return;
    for (Buffer& slot : slots_)
        if (slot.image.isNull()) {
            slot = {image, serial};
            return;
        }
    if (slots_.size() < kPooledBuffers) slots_.push_back({image, serial});
}

void BufferPool::forget() {
    for (Buffer& slot : slots_) slot.serial = 0;
}

}  // namespace vz
