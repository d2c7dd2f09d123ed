#include "platform/image_copy.h"

#include <cstring>

namespace vz {

void ensureFrame(QImage& dst, const QSize& size) {
    if (size.isEmpty()) {
        if (!dst.isNull()) dst = QImage();
        return;
    }
    if (dst.size() != size || dst.format() != QImage::Format_RGB32 || dst.isDetached() == false)
        dst = QImage(size, QImage::Format_RGB32);
}

void copyInto(const QImage& src, QImage& dst) {
    if (src.isNull() || src.size().isEmpty()) {
        dst = QImage();
        return;
    }
    const QImage* from = &src;
    QImage converted;
    if (src.format() != QImage::Format_RGB32) {  // alpha must not leak into an RGB32 frame
        converted = src.convertToFormat(QImage::Format_RGB32);
        from = &converted;
    }
    ensureFrame(dst, from->size());
    const qsizetype rowBytes = qsizetype(from->width()) * 4;
    for (int y = 0; y < from->height(); ++y) std::memcpy(dst.scanLine(y), from->constScanLine(y), size_t(rowBytes));
}

void copyRegion(const QImage& src, QImage& dst, const QRegion& region) {
    if (src.size() != dst.size() || src.depth() != 32 || dst.depth() != 32) return;
    for (const QRect& r : region& src.rect()) {
        const size_t rowBytes = size_t(r.width()) * 4;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(dst.scanLine(y) + qsizetype(r.x()) * 4, src.constScanLine(y) + qsizetype(r.x()) * 4, rowBytes);
    }
}

}  // namespace vz
