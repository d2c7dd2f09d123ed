#include "core/settings/text_encoding.h"

#include <QStringDecoder>

namespace vz {

namespace {

// Windows-1252 for the bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QString decodeEightBitText(QByteArrayView bytes) {
    // A byte-order mark inside a value is a character of the value: skipped
    // here, the value's own blanks behind it would come first and be
    // trimmed away when it is read again after a save.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    text.resize(bytes.size());
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? QChar(kHighControls[b - 0x80]) : QChar(b);
    }
    return text;
}

}  // namespace vz
