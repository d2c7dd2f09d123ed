#pragma once
// The monitors as last read from the system, and what changed when they are
// read again. Read at start and whenever the system says the monitors
// changed: each read is a server round trip on X11, and the capture needs
// them every tick. The first monitor is the primary one.

#include "core/scaling/desk_geometry.h"
#include "platform/platform.h"

#include <QObject>
#include <QRect>
#include <QVector>

#include <functional>

namespace vz {

class MonitorWatch : public QObject {
    Q_OBJECT
public:
    explicit MonitorWatch(Monitors& monitors, QObject* parent = nullptr);

    // Reads the monitors again. Any change is told by changed(); after the
    // first read, then also by one of secondLost(), secondCame(), resized().
    void refresh();

    // Where each monitor's device pixel ratio comes from (the screens the
    // window system reports); 1 for every monitor until one is set. Asked
    // at each read, and at once.
    void setRatioSource(std::function<double(const QRect& device)> ratioOf);

    // Device pixels, as the system reports them (capture, pointer fence).
    const QVector<QRect>& all() const { return monitors_; }
    // The same monitors with their ratios: every window placement uses it.
    const desk::Desk& desk() const { return desk_; }
    // The user's choice of output monitor (an index into all(); 0: none).
    void setOutputChoice(int index) { desk_.chosenOutput = index; }
    // The monitor the output goes to, in device pixels; empty with one.
    QRect outputMonitor() const { return desk_.outputDevice(); }
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
    void readRatios();
    Monitors& source_;
    QVector<QRect> monitors_;
    desk::Desk desk_;
    std::function<double(const QRect&)> ratioOf_;
};

}  // namespace vz
