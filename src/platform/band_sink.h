#pragma once
// The surface a scroll band draws on. The band only ever scrolls the pixels
// already there, fills rectangles with its background and copies parts of its
// item pictures; a native window (the platform's drawing service) and an
// image (tests, the dialog's preview) both implement these three operations.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

namespace vz {

class BandSink {
public:
    virtual ~BandSink() = default;

    // True while the window system still owes the surface a repaint: a tick
    // then redraws the whole band instead of scrolling stale pixels.
    virtual bool hasPendingRepaint() const { return false; }
    // Moves every pixel of the surface `dx` pixels to the left. The `dx`
    // columns at the right edge are left for the caller to redraw.
    virtual void scrollLeft(int dx) = 0;
    virtual void fill(const QRect& rect, const QColor& colour) = 0;
    // Copies the part `source` of `picture` so that its top-left corner
    // lands on `dest`. `source` lies inside the picture.
    virtual void blit(const QImage& picture, const QRect& source, const QPoint& dest) = 0;
    // The drawing of one tick or paint is complete: a surface that queues
    // its operations sends them now.
    virtual void flush() {}
};

// A sink that draws into an RGB32 image of the band's size.
class ImageBandSink : public BandSink {
public:
    explicit ImageBandSink(QSize size);

    const QImage& image() const { return image_; }
    void resize(QSize size);  // new pixels are black

    void scrollLeft(int dx) override;
    void fill(const QRect& rect, const QColor& colour) override;
    void blit(const QImage& picture, const QRect& source, const QPoint& dest) override;

private:
    QImage image_;
};

}  // namespace vz
