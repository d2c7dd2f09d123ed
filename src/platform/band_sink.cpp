#include "platform/band_sink.h"

#include <algorithm>
#include <cstring>

namespace vz {

ImageBandSink::ImageBandSink(QSize size) { resize(size); }

void ImageBandSink::resize(QSize size) {
    image_ = QImage(size, QImage::Format_RGB32);
    image_.fill(Qt::black);
}

void ImageBandSink::scrollLeft(int dx) {
    const int w = image_.width();
    if (dx <= 0 || dx >= w) return;  // all scrolled out: the caller redraws everything
    const size_t keep = size_t(w - dx) * sizeof(QRgb);
    for (int y = 0; y < image_.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::memmove(row, row + dx, keep);
    }
}

void ImageBandSink::fill(const QRect& rect, const QColor& colour) {
    const QRect r = rect & image_.rect();
    if (r.isEmpty()) return;
    const QRgb value = colour.rgb();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
        std::fill(row + r.left(), row + r.left() + r.width(), value);
    }
}

void ImageBandSink::blit(const QImage& picture, const QRect& source, const QPoint& dest) {
    // Clip the destination to the image and the source to the picture.
    const QPoint shift = source.topLeft() - dest;
    const QRect target = QRect(dest, source.size()) & image_.rect() & picture.rect().translated(-shift);
    if (target.isEmpty()) return;
    const QImage src = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    const size_t bytes = size_t(target.width()) * sizeof(QRgb);
    for (int y = target.top(); y <= target.bottom(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(src.constScanLine(y + shift.y())) + target.left() + shift.x();
        std::memcpy(reinterpret_cast<QRgb*>(image_.scanLine(y)) + target.left(), from, bytes);
    }
}

}  // namespace vz
