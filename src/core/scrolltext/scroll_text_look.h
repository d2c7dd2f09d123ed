#pragma once
// Stored colour values and the band's look from the scrolling-text settings.
//
// A stored colour is 32 bits: low byte red, then green, then blue. With 0xFF
// in the high byte (a negative number) it names a system colour by the index
// in its low byte; those resolve to the classic default system colours.

#include "core/scrolltext/item_picture.h"
#include "core/scrolltext/scroll_text_file.h"

#include <QColor>

namespace vz {

QColor colourFromValue(int value);
int valueFromColour(const QColor& colour);

// The system colour a negative value names (index in the low byte).
QColor systemColour(int index);

// Font, colours and direction of a band with these settings. The font is
// sized in pixels from the stored height (its size in points at `dpi`).
BandLook bandLook(const ScrollTextSettings& settings, int dpi = 96);

}  // namespace vz
