#include "core/scrolltext/custom_colours.h"

#include "core/settings/ini_document.h"

namespace vz {

namespace {

constexpr char kSection[] = "CustomColors";

QString slotKey(int slot) { return QStringLiteral("Color") + QChar(u'A' + slot); }

}  // namespace

std::optional<CustomColours> loadCustomColours(const QString& path) {
    IniDocument doc;
    if (doc.load(path) != IniDocument::LoadStatus::Loaded) return std::nullopt;
    CustomColours colours;
    for (int slot = 0; slot < 16; ++slot) {
        const std::optional<QString> text = doc.value(kSection, slotKey(slot));
        if (!text || text->isEmpty()) continue;
        bool ok = false;
        const uint value = text->toUInt(&ok, 16);
        if (ok) colours[size_t(slot)] = int(value);
    }
    return colours;
}

bool saveCustomColours(const QString& path, const CustomColours& colours, QString* error) {
    IniDocument doc;
    doc.parse(QByteArrayView());
    for (int slot = 0; slot < 16; ++slot) {
        if (!colours[size_t(slot)]) continue;
        const uint value = uint(*colours[size_t(slot)]);
        doc.writeString(kSection, slotKey(slot), QString::number(value, 16).rightJustified(6, u'0'));
    }
    return doc.save(path, error);
}

}  // namespace vz
