#pragma once
// Copying pictures into buffers that are kept from frame to frame, so that a
// steady stream of frames of one size allocates nothing.

#include <QImage>
#include <QRegion>

namespace vz {

// Makes `dst` a Format_RGB32 image of `size`, reallocating only when its size
// or format differs (the content is then undefined).
void ensureFrame(QImage& dst, const QSize& size);

// Deep-copies `src` into `dst`, reusing dst's buffer when the size matches.
// An empty `src` makes `dst` a null image.
void copyInto(const QImage& src, QImage& dst);

// Copies the rectangles of `region` from `src` into the same place of `dst`;
// both 32-bit images of one size (the region is clipped to it).
void copyRegion(const QImage& src, QImage& dst, const QRegion& region);

}  // namespace vz
