#include "core/scrolltext/scroll_text_look.h"

#include <QFont>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace vz {

QColor systemColour(int index) {
    // Default values of the system colours 0..30 (scroll bar, desktop,
    // captions, menu, window, frame, texts, borders, highlight, button
    // face and shadows, grey text, info tips, hot light, gradients, menu bar).
    static constexpr std::array<QRgb, 31> kDefaults = {
        0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000, 0x000000, 0xB4B4B4,
        0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969,
        0xE3E3E3, 0x000000, 0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
    };
    if (index < 0 || index >= int(kDefaults.size())) return QColor(Qt::black);
    return QColor(kDefaults[size_t(index)]);
}

QColor colourFromValue(int value) {
    if (value < 0) return systemColour(value & 0xFF);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int valueFromColour(const QColor& colour) {
    const QColor c = colour.toRgb();
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

BandLook bandLook(const ScrollTextSettings& s, int dpi) {
    QFont font(s.fontName);
    // The height is what was last set (a size sets it too); a positive height
    // is a cell height and is taken as the pixel size alike.
    int pixels = std::abs(s.fontHeight);
    if (pixels == 0) pixels = std::abs(fontHeightForSize(s.fontSize, dpi));
    font.setPixelSize(std::clamp(pixels, 1, TextPicture::MaxFontPixels));
    font.setBold(s.bold);
    font.setItalic(s.italic);
    font.setUnderline(s.underline);
    font.setStrikeOut(s.strikeOut);
    BandLook look;
    look.font = font;
    look.textColour = colourFromValue(s.fontColour);
    look.background = colourFromValue(s.backColour);
    return look;
}

}  // namespace vz
