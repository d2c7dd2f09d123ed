#include "core/details/monitor_details.h"

namespace vz {

QStringList monitorDetailsListing(const QVector<OutputRecord>& outputs, int monitorCount) {
    // 113 full stops, one blank between each two.
    static const QString separator = QStringLiteral(". ").repeated(112) + QLatin1Char('.');
    QStringList lines;
    for (int i = 0; i <= monitorCount; ++i) {
        lines << QStringLiteral(" ");
        if (i >= outputs.size()) continue;
        const OutputRecord& out = outputs[i];
        lines << QStringLiteral("Monitor %1").arg(i + 1);
        if (!out.active) lines << QStringLiteral("Monitor isn't active");
        lines << out.name << out.adapter;
        if (!out.mode.isEmpty()) {
            lines << QStringLiteral("Resolution %1 x %2").arg(out.mode.width()).arg(out.mode.height());
            lines << QStringLiteral("Bits per pixels %1").arg(out.depth);
        }
        lines << separator;
    }
    return lines;
}

}  // namespace vz
