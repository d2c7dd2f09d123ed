#pragma once
// The table of transition styles: 176 named effects numbered from 1.
// Each effect paints one frame: `display` already holds the old picture and
// receives the part of the new picture (`image`) that the progress shows.

#include <QString>
#include <cstdint>
#include <span>

#include "core/transitions/frame_ops.h"

namespace vz::transitions {

struct EffectFrame {
    Pixels display;     // W x H, holds the old picture on entry
    ConstPixels image;  // the new picture, W x H, read only
    int w = 0, h = 0;
    int x = 0, y = 0;  // progress scaled along the longer side
    int progress = 0;  // 1..99
    // Fixed for the whole transition: effects whose random pattern must not
    // change between frames seed their own generator with it.
    uint32_t seed = 0;
    // Numbers that may differ on every frame (shreds, speckles).
    RandomGenerator* random = nullptr;
};

using EffectFunction = void (*)(EffectFrame&);

struct TransitionStyle {
    const char* name;
    EffectFunction paint;
};

// All styles in order; entry i is style number i + 1.
std::span<const TransitionStyle> transitionStyles();
inline constexpr int kStyleCount = 176;

// The number of the first style of that name (case-insensitive), 0 for
// "Custom", -1 for any other name.
int styleNumberForName(const QString& name);
// The name of a style number; "Custom" for 0, empty when out of range.
QString styleName(int number);

// X and Y for a W x H picture at `progress` percent: the longer side moves
// by progress percent, the other follows in proportion (rounded).
struct ProgressExtents {
    int x = 0, y = 0;
};
ProgressExtents progressExtents(int w, int h, int progress);

// Paints one frame of style `number` (1..176) at `progress` (1..99) into
// `display` (holding the old picture) from `image`. Both must be 32-bit and
// of equal size.
void paintStyle(int number, Pixels display, ConstPixels image, int progress, uint32_t seed, RandomGenerator& random);

}  // namespace vz::transitions
