#include "ui/widgets/track_bar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionSlider>

#include <algorithm>

namespace vz {

TrackBar::TrackBar(int min, int max, QWidget* parent) : TrackBar(Qt::Horizontal, min, max, parent) {}

TrackBar::TrackBar(Qt::Orientation orientation, int min, int max, QWidget* parent) : QSlider(orientation, parent) {
    if (max < min) std::swap(min, max);
    setRange(min, max);
    setTickPosition(orientation == Qt::Vertical ? QSlider::TicksRight : QSlider::TicksBelow);
    setTickInterval(std::max(1, (max - min) / 10));
    setPageStep(std::max(1, (max - min) / 10));
    setFocusPolicy(Qt::StrongFocus);
    if (orientation == Qt::Vertical) {
        // The smallest value at the top; Qt's vertical slider would put it
        // at the bottom and let Up and the wheel raise the value, which with
        // the top as the smallest end moves the handle down.
        setInvertedAppearance(true);
        setInvertedControls(true);
    }
}

QSize TrackBar::sizeHint() const { return orientation() == Qt::Vertical ? QSize(30, 150) : QSize(150, 30); }

void TrackBar::keyPressEvent(QKeyEvent* event) {
    // Inverted controls also swap Left and Right; on a vertical track bar
    // Left goes toward the top (the smallest value) like Up.
    if (orientation() == Qt::Vertical && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        triggerAction(event->key() == Qt::Key_Left ? SliderSingleStepSub : SliderSingleStepAdd);
        event->accept();
        return;
    }
    QSlider::keyPressEvent(event);
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
    // Drawn along the groove (a) and across it (c).
    const bool vertical = orientation() == Qt::Vertical;
    auto at = [vertical](int a, int c) { return vertical ? QPoint(c, a) : QPoint(a, c); };
    const int span = vertical ? handle.height() : handle.width();
    const int first = span / 2;
    const int last = (vertical ? height() : width()) - span + span / 2 - 1;
    const int groove = vertical ? handle.center().x() : handle.center().y();

    // Thin sunken groove.
    p.fillRect(QRect(at(first, groove - 2), at(last, groove + 1)), QColor(40, 42, 50));
    p.setPen(QColor(150, 150, 160));
    p.drawLine(at(first, groove + 2), at(last, groove + 2));

    // Ticks beside the groove (below or to the right) at every
    // tickInterval, and at both ends.
    const int interval = tickInterval() > 0 ? tickInterval() : std::max(1, pageStep());
    p.setPen(ink);
    const int tickNear = (vertical ? handle.right() : handle.bottom()) + 2;
    const int tickFar = std::min((vertical ? width() : height()) - 1, tickNear + 3);
    auto tickAt = [&](int value) {
        const int a =
            first + QStyle::sliderPositionFromValue(minimum(), maximum(), value, last - first, opt.upsideDown);
        p.drawLine(at(a, tickNear), at(a, tickFar));
    };
    for (qint64 v = minimum(); v <= maximum(); v += interval) tickAt(int(v));
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
