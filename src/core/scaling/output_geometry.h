#pragma once
// Display-size arithmetic of the output window and the placement rules of the
// preview window. Pure functions: no widgets, no screens.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

namespace vz {

// Slider positions from this one up mean "full screen".
constexpr int FullScreenPercent = 96;
// The display size of the output window with one monitor (simulation).
constexpr int SimulationPercent = 30;

// Round(extent / 100 * percent) in double precision, rounding half to even.
// The percent is clamped to 1..100 and the result is never negative.
int percentOfExtent(int extent, int percent);

// The client size for a display-size slider position below full screen:
// `percent` of `monitor` in both directions.
QSize displaySizeForPercent(QSize monitor, int percent);

// The slider position that matches an output window `outerWidth` wide on a
// primary screen `primaryWidth` wide: Trunc(100 / (primary / outer)), kept
// within 1..100.
int percentFromOuterWidth(int primaryWidth, int outerWidth);

// The monitor that holds `window`: the one it overlaps most, else the one
// nearest to its centre, else the first. Empty when the list is empty.
QRect monitorHolding(const QVector<QRect>& monitors, const QRect& window);
// The same, as an index into `monitors`; -1 when the list is empty.
int monitorIndexHolding(const QVector<QRect>& monitors, const QRect& window);

// Where the preview goes when activated: pulled back from the primary
// screen's right and bottom edges. `primary` is the primary monitor's
// rectangle (wherever it stands).
QPoint previewActivationPosition(QPoint topLeft, const QRect& primary);

// The preview's left edge after a move: its right edge never passes the
// primary screen's right edge (it stops 2 pixels inside).
int previewLeftAfterMove(int left, int outerWidth, const QRect& primary);

}  // namespace vz
