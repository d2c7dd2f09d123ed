#pragma once
// Text of files that other programs may have written in an 8-bit code page.
//
// Our own files are UTF-8. Files made on Windows (settings, slideshow and
// scrolling-text files) are in the system code page there, which for the
// languages these files are written in is Windows-1252: Latin-1 except for
// the bytes 0x80..0x9F, which hold the euro sign, typographic quotes and
// dashes, the ellipsis and a few letters (Š š Ž ž Œ œ Ÿ ƒ).

#include <QByteArrayView>
#include <QString>

namespace vz {

// UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise. The five
// bytes that Windows-1252 leaves unassigned become the control characters of
// the same number, as Windows itself decodes them.
QString decodeEightBitText(QByteArrayView bytes);

}  // namespace vz
