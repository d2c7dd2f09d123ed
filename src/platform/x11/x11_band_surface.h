#pragma once
// A scroll band's drawing surface on X11: draws into one native window over
// a connection of its own, so that the band's tick thread never touches the
// user-interface thread's connection.
//
// Scrolling copies the window's pixels within the window (XCopyArea); item
// pictures are uploaded once into server-side pixmaps and copied from there,
// so a tick sends three small requests and no pixels. The window's size is
// followed from its ConfigureNotify events, and Expose / GraphicsExpose
// events (parts the server could not copy or keep) make the next tick redraw
// the whole band.
//
// One thread at a time: the band's lock serialises the tick and the paint.

#include "platform/band_sink.h"

#include <QSize>

#include <cstdint>
#include <list>
#include <memory>

namespace vz::x11 {

class Connection;

class X11BandSurface : public BandSink {
public:
    static constexpr int CachedPictures = 16;

    // Null when the window cannot be read (not a window of this display).
    static std::unique_ptr<X11BandSurface> open(std::unique_ptr<Connection> connection, unsigned long window);
    ~X11BandSurface() override;

    bool hasPendingRepaint() const override;
    void scrollLeft(int dx) override;
    void fill(const QRect& rect, const QColor& colour) override;
    void blit(const QImage& picture, const QRect& source, const QPoint& dest) override;
    void flush() override;

    QSize size() const { return size_; }
    int uploads() const { return uploads_; }  // pictures sent to the server so far

private:
    struct CachedPixmap {
        qint64 key;
        unsigned long pixmap;
        QSize size;
    };
    X11BandSurface(std::unique_ptr<Connection> connection, unsigned long window);
    // Reads the window's events: new size, parts to repaint.
    void readEvents() const;
    unsigned long pixelOf(QRgb rgb) const;
    unsigned long pixmapFor(const QImage& picture);

    std::unique_ptr<Connection> connection_;
    unsigned long window_;
    void* scrollGc_ = nullptr;  // reports what it could not copy
    void* drawGc_ = nullptr;    // fills and picture copies: no reports
    int depth_ = 24;
    void* visual_ = nullptr;
    unsigned long redMask_ = 0xff0000, greenMask_ = 0xff00, blueMask_ = 0xff;
    mutable QSize size_;
    mutable bool repaintPending_ = true;  // the first tick draws everything
    std::list<CachedPixmap> pixmaps_;     // most recently used first
    int uploads_ = 0;
};

}  // namespace vz::x11
