#pragma once
// The arithmetic of the scrolling-text dialog, apart from its widgets: the
// banner height from the height track bar, where the preview sits, and the
// Top/Bottom pair of which exactly one is ticked.

#include <QPoint>
#include <QSize>
#include <QString>

namespace vz::scrolltext {

inline constexpr int TrackMinimum = 1;
inline constexpr int TrackMaximum = 194;
inline constexpr int TrackStart = 180;
inline constexpr int PreviewMinimumHeight = 7;

// 200 - position, the position clamped to the track bar's range: 199..6.
int bannerHeight(int trackPosition);
// The preview banner is never lower than PreviewMinimumHeight.
int previewHeight(int trackPosition);
QString heightLabel(int trackPosition);  // "Height: 20 px"

// The preview's top after a height change and after a text change (typing,
// clearing, loading a file).
int previewTopAfterHeightChange(int previewHeight);
int previewTopAfterTextChange(int previewHeight);

// The edge boxes. Clicking one toggles it and gives the other the opposite
// state, so exactly one is ticked at any time; bottom at start.
class EdgeChoice {
public:
    bool top() const { return !bottom_; }
    bool bottom() const { return bottom_; }
    void clickTop() { bottom_ = top(); }
    void clickBottom() { bottom_ = !bottom_; }
    void setBottom(bool bottom) { bottom_ = bottom; }
    // The caption of a box in that state.
    static QString caption(bool ticked) { return ticked ? QStringLiteral("On") : QStringLiteral("Off"); }

private:
    bool bottom_ = true;
};

}  // namespace vz::scrolltext
