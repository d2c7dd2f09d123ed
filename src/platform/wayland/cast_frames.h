#pragma once
// The newest picture of a screen-cast stream and what changed in it, shared
// between the thread that receives the stream and the threads that copy from
// it (the frame pipeline's worker, the area snapshot on the user-interface
// thread). Every call takes the lock; none waits for anything else.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <cstdint>
#include <mutex>

namespace vz::wayland {

// How the four bytes of a stream's pixel lie in memory.
enum class PixelOrder {
    Bgrx,  // B, G, R, unused/alpha: QImage::Format_RGB32 on a little-endian machine
    Rgbx,  // R, G, B, unused/alpha
};

class CastFrames {
public:
    // Where the stream's top-left pixel is on the desktop (desktop
    // coordinates, as the monitors list them). Copies ask in those.
    void setOrigin(QPoint origin);

    // A new picture from the stream: `size` pixels, `stride` bytes a row.
    // `damage` lists what changed since the stream's previous picture
    // (stream coordinates); null when the stream does not say, then the rows
    // that differ from the picture kept count as changed. A picture of a new
    // size changes everything.
    void store(const std::uint8_t* pixels, QSize size, int stride, PixelOrder order, const QRegion* damage);

    // Copies `rect` (desktop coordinates) into `into`, resized to rect.size();
    // what lies outside the stream's picture comes out black, and so does all
    // of it before the first picture. False only for an empty `rect`.
    bool copy(const QRect& rect, QImage& into) const;

    // What changed (desktop coordinates) since the previous call.
    QRegion takeChanges();

    bool hasPicture() const;
    // The stream's picture in desktop coordinates; null before the first.
    QRect area() const;

private:
    mutable std::mutex mutex_;
    QImage picture_;  // Format_RGB32
    QRegion changed_;
    QPoint origin_;
};

}  // namespace vz::wayland
