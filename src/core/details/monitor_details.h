#pragma once
// The text of the Monitor Details window: one listing of the display
// outputs, appended to the window's text each time it is activated.

#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

namespace vz {

// One display output as the platform reports it, in the platform's order.
struct OutputRecord {
    QString name;     // e.g. "HDMI-1"
    QString adapter;  // the graphics adapter (driver or provider name); may be empty
    bool connected = false;
    bool active = false;  // part of the desktop
    QSize mode;           // the current mode; empty when the output has none
    double refreshHz = 0;
    int depth = 0;  // bits per pixel of the current mode
};

// The listing for `monitorCount` monitors: monitorCount + 1 rounds, each
// opened by a line of one blank; a round with an output lists it, a round
// past the end of `outputs` has only that line.
QStringList monitorDetailsListing(const QVector<OutputRecord>& outputs, int monitorCount);

}  // namespace vz
