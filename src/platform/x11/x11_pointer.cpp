#include "platform/x11/x11_pointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdint>

namespace vz::x11 {

X11Pointer::X11Pointer(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

QPoint X11Pointer::position() const {
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned mask = 0;
    // Also false when the pointer is on another screen; the root
    // coordinates are still filled in then.
    XQueryPointer(connection_->display(), connection_->root(), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    return QPoint(rootX, rootY);
}

bool X11Pointer::cursorImage(QImage& image, QPoint& hotSpot) {
    if (!connection_->hasFixes()) return false;
    XFixesCursorImage* cursor = XFixesGetCursorImage(connection_->display());
    if (!cursor) return false;
    const int width = cursor->width;
    const int height = cursor->height;
    if (width <= 0 || height <= 0 || !cursor->pixels) {
        XFree(cursor);
        return false;
    }
    if (image.size() != QSize(width, height) || image.format() != QImage::Format_ARGB32_Premultiplied ||
        !image.isDetached())
        image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    // Xlib hands the 32-bit premultiplied ARGB values over as one
    // `unsigned long` each, which is 64 bits wide on 64-bit systems.
    const unsigned long* src = cursor->pixels;
    for (int y = 0; y < height; ++y) {
        auto* dst = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) dst[x] = std::uint32_t(src[std::size_t(y) * std::size_t(width) + x]);
    }
    hotSpot = QPoint(cursor->xhot, cursor->yhot);
    XFree(cursor);
    return true;
}

}  // namespace vz::x11
