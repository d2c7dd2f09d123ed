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
    QTimer captureTimer;
    // Screen position of the frame's top-left pixel, for the pointer overlay.
    QPoint OverlayOrigin;

    void captureTick();
    // Fills `frame` from the primary screen or captureArea (desktopScope 0/1).
    void captureDesktop(QImage& frame);
    // Draws the red point and/or the cursor at screen position `p`.
    void drawPointer(QImage& frame, QPoint p);
    // Fills `frame` with the window's outer area; leaves it alone when the
    // window is gone.
    void captureSelectedWindow(WindowId window, QImage& frame);
    void sendFrameToOutput();
    void clearOutput();
    void clearOutputLight();
    // The update-rate change: raises maxUpdateRate, sets the interval to 1000 div rate.
    void setUpdateRate(int rate);

private:
    // clearOutput and, with `light`, clearOutputLight: the same blanking, the
    // light one without touching Run/Stop or hiding the view.
    void blankOutput(bool light);
    App& app_;
    QImage cursor_;  // reused cursor image
};

// The capture interval in milliseconds for an update rate (1..1000 per second).
int captureIntervalForRate(int rate);

}  // namespace vz
