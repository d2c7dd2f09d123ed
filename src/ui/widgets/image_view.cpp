#include "ui/widgets/image_view.h"

#include "platform/image_copy.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace vz {

ImageView::ImageView(QWidget* parent) : QWidget(parent), scratch_(std::make_unique<ResampleScratch>()) {
    // Every pixel is painted by paintEvent: the picture or black.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

ImageView::~ImageView() = default;

void ImageView::setPicture(const QImage& picture) {
    if (&picture != &picture_) copyInto(picture, picture_);  // our own picture again: just repaint
    invalidate();
}

void ImageView::clearPicture() {
    picture_ = QImage();
    invalidate();
}

void ImageView::setFit(ViewFit fit) {
    if (fit == fit_) return;
    fit_ = fit;
    invalidate();
}

void ImageView::setScaleFactor(float factor) {
    if (!(factor >= 0.001f)) factor = 0.001f;  // NaN too
    if (factor == factor_) return;
    factor_ = factor;
    invalidate();
}

QRect ImageView::drawnRect() const { return viewGeometry(size(), picture_.size(), fit_, factor_); }

void ImageView::setRenderedPicture(const QImage& picture, const ViewRender& render) {
    picture_ = picture;
    render_ = render;
    renderValid_ = true;
    update();
}

void ImageView::invalidate() {
    renderValid_ = false;
    update();
}

void ImageView::updateScaled() const {
    renderValid_ = true;
    if (renderView(picture_, layout(), render_, *scratch_)) ++resampleCount_;
}

void ImageView::paintContent(QPainter& painter, const QRect& area) const {
    if (!renderValid_) updateScaled();
    const QRect& visible = render_.visible;
    const QRegion background = QRegion(area).subtracted(visible);
    for (const QRect& r : background) painter.fillRect(r, Qt::black);
    if (visible.isEmpty()) return;
    if (render_.direct)
        painter.drawImage(visible.topLeft(), picture_, QRect(render_.sourceAt, visible.size()));
    else
        painter.drawImage(visible.topLeft(), render_.scaled);
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintContent(painter, event->rect());
}

QImage ImageView::rendered() const {
    if (width() <= 0 || height() <= 0) return {};
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintContent(painter, rect());
    return image;
}

void ImageView::resizeEvent(QResizeEvent*) { invalidate(); }

void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The base treats it as a press, so owners that drag the view still see it.
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

}  // namespace vz
