#include "ui/widgets/transition_view.h"

#include <QPaintEvent>
#include <QPainter>

namespace vz {

using transitions::TransitionEngine;

TransitionView::TransitionView(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted here: no erase by the parent or by Qt.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    engine_.setClientSize(size());
    connect(&engine_, &TransitionEngine::frameReady, this, [this] { update(); });
    connect(&engine_, &TransitionEngine::stopped, this, &TransitionView::finished);
}

TransitionView::~TransitionView() {
    // A transition cut short by the view's end is nobody's business.
    blockSignals(true);
    engine_.stop();
}

void TransitionView::syncClientSize() {
    // A hidden widget gets its resize event only when shown: the size is
    // taken again wherever the screen rectangle matters.
    if (engine_.clientSize() != size()) engine_.setClientSize(size());
}

void TransitionView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    syncClientSize();
}

void TransitionView::play(const QImage& picture, int style) {
    syncClientSize();
    engine_.setPicture(picture);
    engine_.execute();
    engine_.setStyle(style);
    // No picture, or one that could not be prepared: nothing runs.
    if (!engine_.busy()) emit finished();
}

void TransitionView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    syncClientSize();
    update();
}

void TransitionView::paintEvent(QPaintEvent*) {
    syncClientSize();
    QPainter painter(this);
    const QImage frame = engine_.currentFrame();  // re-arms frameReady
    const QRect client = rect();
    const QRect target = engine_.screenRect();
    const QColor color = engine_.color();
    const auto mode = engine_.backgroundMode();
    const QImage background = engine_.backgroundPicture();
    if (frame.isNull() || target.isEmpty()) {
        transitions::paintBackground(painter, client, client, mode, background, color);
        return;
    }
    // The frame, stretched by nearest neighbour (the frames are composed at
    // the size they are shown at when the picture was decoded for this view).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (target.size() == frame.size())
        painter.drawImage(target.topLeft(), frame);
    else
        painter.drawImage(target, frame);
    // The frame round the picture, drawn inside the frame width.
    const int fw = engine_.frameWidth();
    QRect inner = client.adjusted(fw, fw, -fw, -fw);
    if (fw > 0) {
        painter.fillRect(QRect(client.left(), client.top(), client.width(), fw), engine_.frameColor());
        painter.fillRect(QRect(client.left(), client.bottom() - fw + 1, client.width(), fw), engine_.frameColor());
        painter.fillRect(QRect(client.left(), client.top(), fw, client.height()), engine_.frameColor());
        painter.fillRect(QRect(client.right() - fw + 1, client.top(), fw, client.height()), engine_.frameColor());
    }
    // The background in the four bands round the picture.
    const QRect bands[] = {
        QRect(QPoint(inner.left(), inner.top()), QPoint(inner.right(), target.top() - 1)),
        QRect(QPoint(inner.left(), target.bottom() + 1), QPoint(inner.right(), inner.bottom())),
        QRect(QPoint(inner.left(), target.top()), QPoint(target.left() - 1, target.bottom())),
        QRect(QPoint(target.right() + 1, target.top()), QPoint(inner.right(), target.bottom())),
    };
    for (const QRect& band : bands)
        if (band.isValid()) transitions::paintBackground(painter, client, band, mode, background, color);
}

void configureOutputTransitions(TransitionView& view) {
    TransitionEngine& e = view.engine();
    e.setProportional(true);
    e.setCenter(true);
    e.setColor(Qt::black);
    e.setDelay(80);
    e.setStyle(163);
}

}  // namespace vz
