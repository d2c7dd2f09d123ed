#pragma once
// The monitors as last read from the system, and what changed when they are
// read again. Read at start and whenever the system says the monitors
// changed: each read is a server round trip on X11, and the capture needs
// them every tick. The first monitor is the primary one.

#include "platform/platform.h"

#include <QObject>
#include <QRect>
#include <QVector>

namespace vz {

class MonitorWatch : public QObject {
    Q_OBJECT
public:
    explicit MonitorWatch(Monitors& monitors, QObject* parent = nullptr);

    // Reads the monitors again. Any change is told by changed(); after the
    // first read, then also by one of secondLost(), secondCame(), resized().
    void refresh();

    const QVector<QRect>& all() const { return monitors_; }
    int count() const;            // at least 1
    QRect rect(int index) const;  // empty when there is no such monitor
    QRect primary() const { return rect(0); }
    int primaryWidth() const { return primary().width(); }
    int primaryHeight() const { return primary().height(); }

signals:
    void changed();     // the rectangles are not what they were
    void secondLost();  // the last monitor besides the primary went
    void secondCame();  // a monitor besides the primary came
    void resized();     // as many monitors as before, other rectangles

private:
    Monitors& source_;
    QVector<QRect> monitors_;
};

}  // namespace vz
