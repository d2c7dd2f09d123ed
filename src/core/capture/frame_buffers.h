#pragma once
// What a frame costs should follow what changed on the screen. The pieces
// for that: which rectangles to copy for a change, the changes of the last
// few frames, and buffers that remember which frame they hold, so a buffer
// written again is brought up to date by rewriting only what changed since.

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QVector>

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

namespace vz {

// The rectangles to copy for `changed`: each copy costs a request to the
// window system, so rectangles are merged while their union adds fewer
// than `slack` pixels, and until at most `maxRects` are left.
QVector<QRect> coalesceChanges(const QRegion& changed, qint64 slack = 128 * 128, int maxRects = 8);

// The changes of the last frames: frame n differs from frame n - 1 in the
// region recorded for n.
class ChangeHistory {
public:
    // Frame `serial` (the next one) differs from the one before it in `changed`.
    void add(std::uint64_t serial, const QRegion& changed);
    // Frame `serial` (the next one) is new throughout.
    void restart(std::uint64_t serial);
    // Where the newest frame differs from frame `serial`; nullopt when that
    // is not known (0, a frame before the last restart, or too old).
    std::optional<QRegion> since(std::uint64_t serial) const;

private:
    std::deque<std::pair<std::uint64_t, QRegion>> changes_;  // oldest first
    std::uint64_t newest_ = 0;
};

// Buffers kept for reuse, each with the serial of the frame it holds (0:
// unknown). A buffer someone else still holds (a view, the controller) is
// never handed out: the frames handed out are never written again, and a
// steady stream of frames allocates nothing (a fresh 8 MB buffer a frame
// costs its page faults).
class BufferPool {
public:
    struct Buffer {
        QImage image;  // null when no kept buffer is free
        std::uint64_t serial = 0;
    };
    // A buffer nobody else holds, taken out of the pool.
    Buffer take();
    // Puts `image` (now holding frame `serial`) back for reuse.
    void keep(const QImage& image, std::uint64_t serial);
    // Nothing a kept buffer holds can be reused any more.
    void forget();

private:
    std::vector<Buffer> slots_;
};

}  // namespace vz
