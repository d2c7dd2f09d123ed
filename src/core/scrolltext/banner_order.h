#pragma once
// What Send Text puts on the output window's banner and the preview's strip.

#include "core/scrolltext/item_picture.h"

#include <QString>

namespace vz {

struct BannerOrder {
    QString text;
    unsigned interval = 10;  // ms per tick
    unsigned step = 1;       // pixels per tick
    int height = 20;         // pixels
    BandLook look;
    bool top = false;  // docked to the top edge, else the bottom
};

}  // namespace vz
