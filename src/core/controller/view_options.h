#pragma once
// How the output shows what it is sent and how often the desktop is taken:
// the fit and zoom of the picture, the update rate, the pointer drawn into
// the mirror and the output window's display size. The settings dialog, the
// tray and the keys change them; the output window and the capture follow
// the signals.

#include "core/scaling/view_geometry.h"
#include "core/scaling/view_render.h"
#include "core/settings/settings_file.h"

#include <QObject>
#include <QSize>

#include <optional>

namespace vz {

class ViewOptions : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Taken from the loaded settings, the display size from the monitor
    // count; every view is told.
    void apply(const Settings& settings, int displaySize);
    // Written into settings about to be saved.
    void store(Settings& settings) const;

    // How the output fits its picture; none while no mode is chosen (a
    // stored mode outside 1..5): the output then fits as Optimal.
    std::optional<ViewFit> viewMode() const { return viewMode_; }
    void setViewMode(ViewFit mode);
    int scaleValue() const { return scaleValue_; }  // percent, 1..1000
    void setScaleValue(int percent);
    int updateRate() const { return updateRate_; }  // frames per second, 1..1000
    int maxUpdateRate() const { return maxUpdateRate_; }
    void setUpdateRate(int rate);
    bool showCursor() const { return showCursor_; }
    void setShowCursor(bool on);
    bool showRedPoint() const { return showRedPoint_; }
    void setShowRedPoint(bool on);
    // Display size of the output window, percent; `byUser` when the user
    // moved the slider in the settings dialog (only then the window resizes).
    int displaySize() const { return displaySize_; }
    void setDisplaySize(int percent, bool byUser);

    // How a picture is laid out in a view of `view`'s size.
    ViewLayout layoutFor(QSize view) const;

signals:
    void viewModeChanged(std::optional<vz::ViewFit> mode);
    void scaleValueChanged(int percent);
    void updateRateChanged(int rate);
    void pointerOptionsChanged();
    void displaySizeChanged(int percent, bool byUser);

private:
    std::optional<ViewFit> viewMode_ = ViewFit::Stretch;
    int scaleValue_ = 100;
    int updateRate_ = 5;
    int maxUpdateRate_ = 5;
    bool showCursor_ = false;
    bool showRedPoint_ = false;
    int displaySize_ = 100;
};

}  // namespace vz
