#include "ui/widgets/track_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

#include <algorithm>

namespace vz {

TrackBar::TrackBar(int min, int max, QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    if (max < min)
        std::swap(min, max);
    setRange(min, max);
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(std::max(1, (max - min) / 10));
    setPageStep(std::max(1, (max - min) / 10));
    setFocusPolicy(Qt::StrongFocus);
}

QSize TrackBar::sizeHint() const {
    return {150, 30};
}

// Painted by hand so it reads well on the dark panels; the style's own
// geometry (groove and handle rectangles) is kept, so clicks and drags land
// exactly where the handle is drawn.
void TrackBar::paintEvent(QPaintEvent*) {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);

    QPainter p(this);
    const QColor ink = isEnabled() ? QColor(Qt::white) : QColor(150, 150, 150);
    const int span = handle.width();
    const int left = span / 2;
    const int right = width() - span + span / 2 - 1;
    const int grooveY = handle.center().y();

    // Thin sunken groove.
    p.fillRect(QRect(left, grooveY - 2, right - left + 1, 4), QColor(40, 42, 50));
    p.setPen(QColor(150, 150, 160));
    p.drawLine(left, grooveY + 2, right, grooveY + 2);

    // Ticks below the groove at every tickInterval, and at both ends.
    const int interval = tickInterval() > 0 ? tickInterval() : std::max(1, pageStep());
    p.setPen(ink);
    const int tickTop = handle.bottom() + 2;
    const int tickBottom = std::min(height() - 1, tickTop + 3);
    auto tickAt = [&](int value) {
        const int x = left + QStyle::sliderPositionFromValue(minimum(), maximum(), value, right - left,
                                                             opt.upsideDown);
        p.drawLine(x, tickTop, x, tickBottom);
    };
    for (qint64 v = minimum(); v <= maximum(); v += interval)
        tickAt(int(v));
    tickAt(maximum());

    // Handle: a small rounded block, lighter while dragged.
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF knob = QRectF(handle).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(ink, 1));
    p.setBrush(isSliderDown() ? QColor(160, 165, 180) : QColor(124, 124, 124));
    p.drawRoundedRect(knob, 2, 2);
    if (hasFocus()) {
        p.setPen(QPen(QColor(255, 255, 255, 110), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

}  // namespace vz
