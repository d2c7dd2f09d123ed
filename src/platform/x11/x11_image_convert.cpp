#include "platform/x11/x11_image_convert.h"

#include <QSysInfo>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdint>

namespace vz::x11 {
namespace {

// Scales one colour channel, taken from `pixel` through `mask`, to 0..255.
int channel(unsigned long pixel, unsigned long mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const unsigned long max = mask >> shift;
    return int(((pixel & mask) >> shift) * 255 / max);
}

bool isNativeRgb32(const XImage* image) {
    const int hostOrder = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst;
    return image->bits_per_pixel == 32 && image->byte_order == hostOrder && image->red_mask == 0xff0000 &&
           image->green_mask == 0xff00 && image->blue_mask == 0xff;
}

}  // namespace

bool canCopyXImage(const _XImage* image) {
    if (!image || !image->data || image->format != ZPixmap) return false;
    return isNativeRgb32(image) || (image->red_mask && image->green_mask && image->blue_mask);
}

bool copyXImage(const _XImage* image, QImage& into, QPoint at) {
    if (!canCopyXImage(image)) return false;
    if (into.format() != QImage::Format_RGB32) return false;
    const int width = image->width;
    const int height = image->height;
    if (at.x() < 0 || at.y() < 0 || at.x() + width > into.width() || at.y() + height > into.height()) return false;

    if (isNativeRgb32(image)) {
        // The unused top byte may hold anything (0, or alpha on 32-bit
        // visuals); RGB32 wants it 0xff.
        for (int y = 0; y < height; ++y) {
            const auto* src =
                reinterpret_cast<const std::uint32_t*>(image->data + std::ptrdiff_t(y) * image->bytes_per_line);
            auto* dst = reinterpret_cast<std::uint32_t*>(into.scanLine(at.y() + y)) + at.x();
            for (int x = 0; x < width; ++x) dst[x] = src[x] | 0xff000000u;
        }
        return true;
    }

    auto* xi = const_cast<XImage*>(image);  // XGetPixel takes a non-const image
    for (int y = 0; y < height; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(into.scanLine(at.y() + y)) + at.x();
        for (int x = 0; x < width; ++x) {
            const unsigned long pixel = XGetPixel(xi, x, y);
            dst[x] = qRgb(channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                          channel(pixel, image->blue_mask));
        }
    }
    return true;
}

}  // namespace vz::x11
