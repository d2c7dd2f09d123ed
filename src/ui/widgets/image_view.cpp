#include "ui/widgets/image_view.h"

#include "core/scaling/desk_geometry.h"
#include "platform/image_copy.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <cmath>

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

QSize ImageView::pixelSize() const { return desk::toDevice(size(), devicePixelRatioF()); }

QRect ImageView::drawnRect() const { return viewGeometry(pixelSize(), picture_.size(), fit_, factor_); }

void ImageView::setRenderedPicture(const QImage& picture, const ViewRender& render) {
    // A render that says what changed since the one shown is painted only
    // there.
    const bool follows = renderValid_ && render.since != 0 && render.since == render_.frame &&
                         render.visible == render_.visible && !render_.direct && !render.direct;
    picture_ = picture;
    render_ = render;
    renderValid_ = true;
    if (follows)
        update(desk::covering(render.changed, 1.0 / devicePixelRatioF()));
    else
        update();
}

void ImageView::invalidate() {
    render_.frame = 0;  // the render made here follows no frame
    renderValid_ = false;
    update();
}

void ImageView::updateScaled() const {
    renderValid_ = true;
    if (renderView(picture_, layout(), render_, *scratch_)) ++resampleCount_;
}

void ImageView::paintContent(QPainter& painter, const QRegion& area) const {
    if (!renderValid_) updateScaled();
    const QRect& visible = render_.visible;
    for (const QRect& r : area.subtracted(visible)) painter.fillRect(r, Qt::black);
    if (visible.isEmpty()) return;
    // Only the parts asked for are drawn.
    for (const QRect& r : area& visible) {
        if (render_.direct)
            painter.drawImage(r.topLeft(), picture_,
                              QRect(render_.sourceAt + (r.topLeft() - visible.topLeft()), r.size()));
        else
            painter.drawImage(r.topLeft(), render_.scaled, r.translated(-visible.topLeft()));
    }
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // The render is in device pixels: painted at 1/ratio, each of its pixels
    // lands on one pixel of the screen.
    const double ratio = devicePixelRatioF();
    if (ratio != 1.0) painter.scale(1.0 / ratio, 1.0 / ratio);
    paintContent(painter, desk::covering(event->region(), ratio) & QRect(QPoint(0, 0), pixelSize()));
}

QImage ImageView::rendered() const {
    if (width() <= 0 || height() <= 0) return {};
    QImage image(pixelSize(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintContent(painter, QRegion(image.rect()));
    return image;
}

void ImageView::resizeEvent(QResizeEvent*) { invalidate(); }

void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The base treats it as a press, so owners that drag the view still see it.
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

}  // namespace vz
