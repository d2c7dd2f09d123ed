#pragma once
// Pictures whose every pixel tells where it came from: the position and
// whether it belongs to the new picture (bit 23, the top bit of red).

#include <QImage>
#include <cstdint>
#include <functional>

#include "core/transitions/transition_styles.h"

namespace vz::transitions::testing {

inline constexpr uint32_t kNewTag = 0x800000u;

inline uint32_t tagged(int x, int y, bool fresh) {
    return 0xff000000u | (fresh ? kNewTag : 0u) | (uint32_t(x) << 11) | uint32_t(y);
}

inline QImage taggedPicture(int w, int h, bool fresh) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, tagged(x, y, fresh));
    return image;
}

// Red at least a quarter of the way to the new picture's (blends included).
inline bool isNew(uint32_t pixel) { return ((pixel >> 16) & 0xff) >= 0x40; }

// One frame of `style` from old to new at `progress`; frame randomness
// starts from `randomState`.
inline QImage frameOf(int style, const QImage& oldPicture, const QImage& newPicture, int progress, uint32_t seed = 5,
                      uint32_t randomState = 7) {
    QImage frame = oldPicture.copy();
    RandomGenerator random{randomState};
    paintStyle(style, pixelsOf(frame), pixelsOf(newPicture), progress, seed, random);
    return frame;
}

inline QImage frameOf(int style, int w, int h, int progress, uint32_t seed = 5, uint32_t randomState = 7) {
    return frameOf(style, taggedPicture(w, h, false), taggedPicture(w, h, true), progress, seed, randomState);
}

inline double newFraction(const QImage& frame) {
    long long n = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x) n += isNew(frame.pixel(x, y));
    return double(n) / (double(frame.width()) * frame.height());
}

}  // namespace vz::transitions::testing
