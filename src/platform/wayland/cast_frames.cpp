#include "platform/wayland/cast_frames.h"

#include "platform/image_copy.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vz::wayland {

namespace {

// Copies `width` pixels of one row into RGB32 with the alpha byte forced to
// 0xff (RGB32 wants it; streams leave it undefined).
void copyRow(const std::uint8_t* from, QRgb* to, int width, PixelOrder order) {
    if (order == PixelOrder::Bgrx) {
        std::memcpy(to, from, std::size_t(width) * 4);
        for (int x = 0; x < width; ++x) to[x] |= 0xff000000u;
        return;
    }
    for (int x = 0; x < width; ++x, from += 4) to[x] = qRgb(from[0], from[1], from[2]);
}

bool rowDiffers(const std::uint8_t* from, const QRgb* kept, int width, PixelOrder order) {
    QRgb row[64];
    for (int x = 0; x < width; x += 64) {
        const int n = std::min(64, width - x);
        copyRow(from + std::size_t(x) * 4, row, n, order);
        if (std::memcmp(row, kept + x, std::size_t(n) * 4) != 0) return true;
    }
    return false;
}

}  // namespace

void CastFrames::setOrigin(QPoint origin) {
    std::lock_guard lock(mutex_);
    if (origin == origin_) return;
    if (!picture_.isNull()) changed_ += QRegion(QRect(origin_, picture_.size())) + QRect(origin, picture_.size());
    origin_ = origin;
}

void CastFrames::store(const std::uint8_t* pixels, QSize size, int stride, PixelOrder order, const QRegion* damage) {
    if (!pixels || size.isEmpty() || stride < size.width() * 4) return;
    std::lock_guard lock(mutex_);
    const QRect whole(QPoint(0, 0), size);
    QRegion changed;
    if (picture_.size() != size) {
        if (!picture_.isNull()) changed_ += QRect(origin_, picture_.size());
        ensureFrame(picture_, size);
        changed = whole;
    } else if (damage) {
        changed = *damage & whole;
    } else {
        // No damage from the stream: compare row by row, and report runs of
        // differing rows (full width) as changed.
        int runStart = -1;
        for (int y = 0; y <= size.height(); ++y) {
            const bool differs =
                y < size.height() &&
                rowDiffers(pixels + std::size_t(y) * stride, reinterpret_cast<const QRgb*>(picture_.constScanLine(y)),
                           size.width(), order);
            if (differs && runStart < 0) runStart = y;
            if (!differs && runStart >= 0) {
                changed += QRect(0, runStart, size.width(), y - runStart);
                runStart = -1;
            }
        }
    }
    for (const QRect& r : changed)
        for (int y = r.top(); y <= r.bottom(); ++y)
            copyRow(pixels + std::size_t(y) * stride + std::size_t(r.left()) * 4,
                    reinterpret_cast<QRgb*>(picture_.scanLine(y)) + r.left(), r.width(), order);
    changed_ += changed.translated(origin_.x(), origin_.y());
}

bool CastFrames::copy(const QRect& rect, QImage& into) const {
    if (rect.isEmpty()) return false;
    ensureFrame(into, rect.size());
    std::lock_guard lock(mutex_);
    const QRect inside = rect & QRect(origin_, picture_.size());
    if (inside != rect) into.fill(Qt::black);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::memcpy(
            reinterpret_cast<QRgb*>(into.scanLine(y - rect.top())) + (inside.left() - rect.left()),
            reinterpret_cast<const QRgb*>(picture_.constScanLine(y - origin_.y())) + (inside.left() - origin_.x()),
            std::size_t(inside.width()) * 4);
    return true;
}

QRegion CastFrames::takeChanges() {
    std::lock_guard lock(mutex_);
    return std::exchange(changed_, QRegion());
}

bool CastFrames::hasPicture() const {
    std::lock_guard lock(mutex_);
    return !picture_.isNull();
}

QRect CastFrames::area() const {
    std::lock_guard lock(mutex_);
    return picture_.isNull() ? QRect() : QRect(origin_, picture_.size());
}

}  // namespace vz::wayland
