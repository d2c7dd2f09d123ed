#pragma once
// A rectangle dragged on a frozen picture of the primary monitor (the area
// overlay is the view): for Part of Desktop, or for the mouse area. The
// picture is taken once the windows that should not be in it had time to
// leave the screen; the overlay then shows it.

#include "core/controller/monitor_watch.h"
#include "core/controller/screen_area.h"
#include "platform/platform.h"

#include <QImage>
#include <QObject>
#include <QTimer>

namespace vz {

// What a running area selection is for.
enum class AreaPurpose { None, Capture, MouseArea };

class AreaSelection : public QObject {
    Q_OBJECT
public:
    // `screen` may be null: the user then drags on a black picture.
    AreaSelection(ScreenCapture* screen, const MonitorWatch& monitors, QObject* parent = nullptr);

    AreaPurpose purpose() const { return purpose_; }
    bool pickingMouseArea() const { return purpose_ == AreaPurpose::MouseArea; }
    // True from the start until the overlay is shown.
    bool snapshotPending() const { return snapshotTimer_.isActive(); }
    // The primary monitor as it was when the overlay opened; null otherwise.
    const QImage& snapshot() const { return snapshot_; }

    // One selection at a time: false (nothing done) while one runs.
    bool begin(AreaPurpose purpose);
    // The overlay's result, in the snapshot's pixels.
    void finish(const Rect4& area);
    // Escape: the overlay closes and no area changes.
    void cancel();

signals:
    void overlayRequested(bool show);
    void chosen(vz::AreaPurpose purpose, const vz::Rect4& area);  // the overlay has closed
    void cancelled(vz::AreaPurpose purpose);
    void snapshotFailed();  // the picture is black

private:
    void takeSnapshot();
    void end();

    ScreenCapture* screen_;
    const MonitorWatch& monitors_;
    QTimer snapshotTimer_;  // running: the snapshot is still to be taken
    AreaPurpose purpose_ = AreaPurpose::None;
    QImage snapshot_;
};

}  // namespace vz
