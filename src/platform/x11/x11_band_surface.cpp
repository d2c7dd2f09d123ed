#include "platform/x11/x11_band_surface.h"

#include "platform/x11/x11_connection.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdlib>

namespace vz::x11 {

namespace {
GC asGc(void* gc) { return static_cast<GC>(gc); }

// Scales an 8-bit channel into the bits of `mask`.
unsigned long channel(int value, unsigned long mask) {
    if (!mask) return 0;
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    const unsigned long scaled = bits >= 8 ? (unsigned long)value << (bits - 8) : (unsigned long)value >> (8 - bits);
    return (scaled << shift) & mask;
}
}  // namespace

std::unique_ptr<X11BandSurface> X11BandSurface::open(std::unique_ptr<Connection> connection, unsigned long window) {
    if (!connection || !window) return nullptr;
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(connection->display(), window, &attributes)) return nullptr;
    return std::unique_ptr<X11BandSurface>(new X11BandSurface(std::move(connection), window));
}

X11BandSurface::X11BandSurface(std::unique_ptr<Connection> connection, unsigned long window)
    : connection_(std::move(connection)), window_(window) {
    Display* d = connection_->display();
    XWindowAttributes attributes{};
    XGetWindowAttributes(d, window_, &attributes);
    size_ = QSize(attributes.width, attributes.height);
    depth_ = attributes.depth;
    visual_ = attributes.visual;
    if (attributes.visual) {
        redMask_ = attributes.visual->red_mask;
        greenMask_ = attributes.visual->green_mask;
        blueMask_ = attributes.visual->blue_mask;
    }
    // Event masks are kept per client: these do not disturb the toolkit's own.
    XSelectInput(d, window_, ExposureMask | StructureNotifyMask);
    XGCValues values{};
    values.graphics_exposures = True;
    scrollGc_ = XCreateGC(d, window_, GCGraphicsExposures, &values);
    values.graphics_exposures = False;
    drawGc_ = XCreateGC(d, window_, GCGraphicsExposures, &values);
    XFlush(d);
}

X11BandSurface::~X11BandSurface() {
    Display* d = connection_->display();
    for (const CachedPixmap& p : pixmaps_) XFreePixmap(d, p.pixmap);
    XFreeGC(d, asGc(scrollGc_));
    XFreeGC(d, asGc(drawGc_));
    XSync(d, False);
}

void X11BandSurface::readEvents() const {
    Display* d = connection_->display();
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        switch (event.type) {
            case Expose:
            case GraphicsExpose: repaintPending_ = true; break;
            case ConfigureNotify:
                if (event.xconfigure.window == window_) {
                    const QSize size(event.xconfigure.width, event.xconfigure.height);
                    if (size != size_) repaintPending_ = true;
                    size_ = size;
                }
                break;
            case MapNotify: repaintPending_ = true; break;
            default: break;
        }
    }
}

bool X11BandSurface::hasPendingRepaint() const {
    readEvents();
    const bool pending = repaintPending_;
    // The tick that is told so redraws everything.
    repaintPending_ = false;
    return pending;
}

void X11BandSurface::scrollLeft(int dx) {
    if (dx <= 0 || dx >= size_.width()) return;
    XCopyArea(connection_->display(), window_, window_, asGc(scrollGc_), dx, 0, unsigned(size_.width() - dx),
              unsigned(size_.height()), 0, 0);
}

unsigned long X11BandSurface::pixelOf(QRgb rgb) const {
    return channel(qRed(rgb), redMask_) | channel(qGreen(rgb), greenMask_) | channel(qBlue(rgb), blueMask_);
}

void X11BandSurface::fill(const QRect& rect, const QColor& colour) {
    if (rect.isEmpty()) return;
    Display* d = connection_->display();
    XSetForeground(d, asGc(drawGc_), pixelOf(colour.rgb()));
    XFillRectangle(d, window_, asGc(drawGc_), rect.x(), rect.y(), unsigned(rect.width()), unsigned(rect.height()));
}

unsigned long X11BandSurface::pixmapFor(const QImage& picture) {
    const qint64 key = picture.cacheKey();
    for (auto it = pixmaps_.begin(); it != pixmaps_.end(); ++it) {
        if (it->key == key && it->size == picture.size()) {
            pixmaps_.splice(pixmaps_.begin(), pixmaps_, it);
            return it->pixmap;
        }
    }
    Display* d = connection_->display();
    const Pixmap pixmap =
        XCreatePixmap(d, window_, unsigned(picture.width()), unsigned(picture.height()), unsigned(depth_));
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    const bool direct =
        (depth_ == 24 || depth_ == 32) && redMask_ == 0xff0000 && greenMask_ == 0xff00 && blueMask_ == 0xff;
    XImage* image = XCreateImage(d, static_cast<Visual*>(visual_), unsigned(depth_), ZPixmap, 0, nullptr,
                                 unsigned(rgb.width()), unsigned(rgb.height()), 32, 0);
    if (image) {
        if (direct && image->bits_per_pixel == 32) {
            // Same layout: point the request at the picture's own rows.
            image->data = const_cast<char*>(reinterpret_cast<const char*>(rgb.constBits()));
            image->bytes_per_line = int(rgb.bytesPerLine());
            image->byte_order = LSBFirst;
            XPutImage(d, pixmap, asGc(drawGc_), image, 0, 0, 0, 0, unsigned(rgb.width()), unsigned(rgb.height()));
            image->data = nullptr;
        } else {
            // Any other visual, pixel by pixel.
            image->data = static_cast<char*>(malloc(size_t(image->bytes_per_line) * size_t(rgb.height())));
            if (image->data) {
                for (int y = 0; y < rgb.height(); ++y) {
                    const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
                    for (int x = 0; x < rgb.width(); ++x) XPutPixel(image, x, y, pixelOf(row[x]));
                }
                XPutImage(d, pixmap, asGc(drawGc_), image, 0, 0, 0, 0, unsigned(rgb.width()), unsigned(rgb.height()));
            }
        }
        XDestroyImage(image);  // frees our buffer, never the picture's rows
    }
    ++uploads_;
    pixmaps_.push_front({key, pixmap, picture.size()});
    while (int(pixmaps_.size()) > CachedPictures) {
        XFreePixmap(d, pixmaps_.back().pixmap);
        pixmaps_.pop_back();
    }
    return pixmap;
}

void X11BandSurface::blit(const QImage& picture, const QRect& source, const QPoint& dest) {
    const QRect from = source & picture.rect();
    if (from.isEmpty()) return;
    const QPoint to = dest + (from.topLeft() - source.topLeft());
    // Parts outside the window are clipped by the server.
    const QRect onWindow = QRect(to, from.size()) & QRect(QPoint(0, 0), size_);
    if (onWindow.isEmpty()) return;
    const unsigned long pixmap = pixmapFor(picture);
    XCopyArea(connection_->display(), pixmap, window_, asGc(drawGc_), from.x(), from.y(), unsigned(from.width()),
              unsigned(from.height()), to.x(), to.y());
}

void X11BandSurface::flush() { XFlush(connection_->display()); }

}  // namespace vz::x11
