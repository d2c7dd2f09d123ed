#pragma once
// Copying pictures into buffers that are kept from frame to frame, so that a
// steady stream of frames of one size allocates nothing.

#include <QImage>

namespace vz {

// Makes `dst` a Format_RGB32 image of `size`, reallocating only when its size
// or format differs (the content is then undefined).
void ensureFrame(QImage& dst, const QSize& size);

// Deep-copies `src` into `dst`, reusing dst's buffer when the size matches.
// An empty `src` makes `dst` a null image.
void copyInto(const QImage& src, QImage& dst);

}  // namespace vz
