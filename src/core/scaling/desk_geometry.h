#pragma once
// Device pixels and Qt's logical pixels, and the monitor the output goes to.
//
// The system gives monitors, screen copies, window contents and pictures in
// device pixels. Qt places and sizes widgets in logical pixels: a screen
// keeps its device top-left corner, its size is its device size divided by
// its device pixel ratio (Xft.dpi / 96 or QT_SCALE_FACTOR), and a point on it
// lies at corner + (device point - corner) / ratio. Every conversion between
// the two goes through these functions; they round as Qt does (to nearest,
// halves away from zero), so a rectangle converted here is the one Qt gives.

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QVector>

namespace vz::desk {

// The monitor the output goes to: the one the user chose (`chosen`, an
// index into the list that is not the primary's and still there), else the
// first that is not the primary (the primary is first in the list), wherever
// it stands. -1 with fewer than two.
int outputMonitorIndex(const QVector<QRect>& monitors, int chosen = 0);

// Sizes: logical = device / ratio, device = logical * ratio, each rounded.
// A ratio that is not positive counts as 1.
QSize toLogical(QSize device, double ratio);
QSize toDevice(QSize logical, double ratio);

// A point of the screen whose device rectangle is `screen`.
QPoint toLogical(QPoint device, const QRect& screen, double ratio);
QPoint toDevice(QPoint logical, const QRect& screen, double ratio);

// A rectangle on that screen: its corner as a point, its size as a size.
QRect toLogical(const QRect& device, const QRect& screen, double ratio);
QRect toDevice(const QRect& logical, const QRect& screen, double ratio);

// What a region covers once its coordinates are multiplied by `scale` (the
// ratio towards device pixels, its inverse towards logical ones): every
// pixel partly covered counts, for repaints that must miss none.
QRegion covering(const QRegion& region, double scale);

// The screen itself in logical pixels: the same corner, the size divided.
inline QRect logicalScreen(const QRect& screen, double ratio) { return toLogical(screen, screen, ratio); }

// A window `window` large centred on `monitor` (integer halves, as dialogs
// that centre themselves have always done).
QPoint centredOn(const QRect& monitor, QSize window);

// The monitors as the windows see them. `device` is the system's list, the
// primary first; `ratios` holds each monitor's device pixel ratio (missing
// entries count as 1). Every window placement starts from here, measured
// from the real monitor rectangles, never from 0,0.
struct Desk {
    QVector<QRect> device;
    QVector<double> ratios;
    int chosenOutput = 0;  // the user's choice of output monitor; 0: none

    double ratio(int index) const;
    // Monitor `index` in logical pixels; empty when there is no such monitor.
    QRect logical(int index) const;
    QRect logicalPrimary() const { return logical(0); }
    QVector<QRect> logicalAll() const;
    // The monitor the output goes to (see outputMonitorIndex); empty with one.
    int outputIndex() const { return outputMonitorIndex(device, chosenOutput); }
    QRect outputDevice() const;
    QRect outputLogical() const;
    // The monitor holding `deviceRect` (by overlap, else nearest) and its index.
    int monitorOf(const QRect& deviceRect) const;
    // A window rectangle in logical pixels, converted on the monitor that
    // holds most of it.
    QRect toDevice(const QRect& logical) const;
    // The ratio of the monitor that holds a logical rectangle.
    double ratioAt(const QRect& logical) const;
};

// Where each window goes, in logical pixels.
// The output window with one monitor, and after a monitor went: the
// primary's top-left corner.
QPoint simulationCorner(const Desk& desk);
// The quarter-size window after a double-click on a full-screen output: a
// quarter of the primary, at its corner.
QRect quarterWindow(const Desk& desk);
// Dialogs that centre themselves (window picker, Scroll Text, Shortcuts,
// slideshow editor) centre on the primary.
QPoint centredOnPrimary(const Desk& desk, QSize window);

}  // namespace vz::desk
