#include "core/controller/view_options.h"

#include <algorithm>

namespace vz {

void ViewOptions::apply(const Settings& v, int displaySize) {
    showCursor_ = v.showCursor;
    showRedPoint_ = v.showRedPoint;
    scaleValue_ = std::clamp(v.scalePercent, 1, 1000);
    maxUpdateRate_ = v.maxUpdateRate;
    // A saved mode outside 1..5 leaves every view-mode box unticked until
    // the user chooses one (the output keeps fitting as Optimal).
    viewMode_ = viewFitFromNumber(v.viewMode);
    displaySize_ = displaySize;
    setUpdateRate(std::clamp(v.updateRate, 1, 1000));
    emit pointerOptionsChanged();
    emit scaleValueChanged(scaleValue_);
    emit viewModeChanged(viewMode_);
    emit displaySizeChanged(displaySize_, false);
}

void ViewOptions::store(Settings& v) const {
    v.scalePercent = scaleValue_;
    v.showCursor = showCursor_;
    v.showRedPoint = showRedPoint_;
    v.viewMode = viewMode_ ? viewFitNumber(*viewMode_) : 0;
    v.updateRate = updateRate_;
    v.maxUpdateRate = maxUpdateRate_;
}

void ViewOptions::setViewMode(ViewFit mode) {
    viewMode_ = mode;
    emit viewModeChanged(mode);
}

void ViewOptions::setScaleValue(int percent) {
    percent = std::clamp(percent, 1, 1000);
    if (percent == scaleValue_) return;
    scaleValue_ = percent;
    emit scaleValueChanged(percent);
}

void ViewOptions::setUpdateRate(int rate) {
    rate = std::clamp(rate, 1, 1000);
    if (rate >= maxUpdateRate_) maxUpdateRate_ = rate;
    updateRate_ = rate;
    emit updateRateChanged(rate);
}

void ViewOptions::setShowCursor(bool on) {
    if (showCursor_ == on) return;
    showCursor_ = on;
    emit pointerOptionsChanged();
}

void ViewOptions::setShowRedPoint(bool on) {
    if (showRedPoint_ == on) return;
    showRedPoint_ = on;
    emit pointerOptionsChanged();
}

void ViewOptions::setDisplaySize(int percent, bool byUser) {
    displaySize_ = std::clamp(percent, 1, 100);
    emit displaySizeChanged(displaySize_, byUser);
}

ViewLayout ViewOptions::layoutFor(QSize view) const {
    ViewLayout layout;
    layout.view = view;
    layout.fit = viewMode_.value_or(ViewFit::Optimal);
    layout.factor = float(scaleValue_) / 100.0f;
    return layout;
}

}  // namespace vz
