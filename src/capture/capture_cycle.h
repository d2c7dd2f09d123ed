#pragma once
// The capture cycle: the timed copy of the primary screen, a part of it or
// one window into a frame, the hand-off to the preview and the output window,
// and the operations that blank the output.

#include "platform/platform.h"

#include <QObject>
#include <QPoint>
#include <QTimer>

namespace vz {

class App;

class CaptureCycle : public QObject {
    Q_OBJECT
public:
    explicit CaptureCycle(App& app);

    // The capture timer: disabled until a source starts; 200 ms at start.
    QTimer Timer3zaslon;
    // Screen position of the frame's top-left pixel, for the pointer overlay.
    QPoint OverlayOrigin;

    void Timer3zaslonTimer();
    // Fills `frame` from the primary screen or CaptureArea (DesktopScope 0/1).
    void CaptureDesktop(QImage& frame);
    // Draws the red point and/or the cursor at screen position `p`.
    void DrawPointerOverlay(QImage& frame, QPoint p);
    // Fills `frame` with the window's outer area; leaves it alone when the
    // window is gone.
    void CaptureWindow(WindowId window, QImage& frame);
    void SendFrameToOutput();
    void ClearImage();
    void ClearImageLight();
    // The update-rate change: raises MaxUpdateRate, sets the interval to 1000 div rate.
    void UpdateRateChange(int rate);

private:
    // ClearImage and, with `light`, ClearImageLight: the same blanking, the
    // light one without touching Run/Stop or hiding the view.
    void blankOutput(bool light);
    App& app_;
    QImage cursor_;  // reused cursor image
};

// The capture interval in milliseconds for an update rate (1..1000 per second).
int captureIntervalForRate(int rate);

}  // namespace vz
