#pragma once
// "Lock / Unlock cursor onto screen": while locked, the pointer is fenced
// into the mouse area (in the primary monitor's coordinates, as the capture
// area is). A tick every 250 ms applies the lock, so a pointer warped out of
// the area by another program is brought back.

#include "core/controller/monitor_watch.h"
#include "core/controller/screen_area.h"
#include "platform/platform.h"

#include <QObject>
#include <QTimer>

namespace vz {

class CursorLock : public QObject {
    Q_OBJECT
public:
    // `fence` may be null (no system support): the lock is then a mark only.
    CursorLock(PointerFence* fence, const MonitorWatch& monitors, QObject* parent = nullptr);
    // The fence goes with the program: a pointer held in a small area would
    // otherwise be trapped with nothing left to free it.
    ~CursorLock() override;

    bool locked() const { return locked_; }
    void setLocked(bool on);
    // The menu item: the mark flips; the next tick applies it.
    void toggle();
    const Rect4& mouseArea() const { return mouseArea_; }
    void setMouseArea(const Rect4& area) { mouseArea_ = area; }
    // "Set Mouse Area" > "Primary Monitor".
    void setMouseAreaToPrimary();

    // The ticks run from the settings load until the program ends.
    void startTicking() { timer_.start(); }
    void stopTicking();
    bool ticking() const { return timer_.isActive(); }
    // One tick: the pointer fenced while locked, free otherwise.
    void tick();

signals:
    void lockedChanged(bool on);

private:
    PointerFence* fence_;
    const MonitorWatch& monitors_;
    QTimer timer_;
    bool locked_ = false;
    Rect4 mouseArea_;
};

}  // namespace vz
