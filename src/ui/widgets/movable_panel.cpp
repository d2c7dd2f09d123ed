#include "ui/widgets/movable_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace vz {

MovablePanel::MovablePanel(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(false);
}

void MovablePanel::setColor(const QColor& color) {
    if (color_ == color) return;
    color_ = color;
    update();
}

void MovablePanel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.fillRect(rect(), color_);
    }
    QFrame::paintEvent(event);
}

void MovablePanel::mousePressEvent(QMouseEvent* event) {
    if (!dragsWindow_ || event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    QWidget* top = window();
    // The window manager moves the window itself where it can: this keeps
    // snapping and edge resistance and needs no pointer grab of our own.
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove()) {
        event->accept();
        return;
    }
    dragging_ = true;
    pressGlobal_ = event->globalPosition().toPoint();
    windowAtPress_ = top->pos();
    event->accept();
}

void MovablePanel::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        dragging_ = false;
        return;
    }
    window()->move(windowAtPress_ + (event->globalPosition().toPoint() - pressGlobal_));
    event->accept();
}

void MovablePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

}  // namespace vz
