#include "ui/area/area_overlay.h"

#include "ui/widgets/background.h"
#include "ui/widgets/ui_font.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vz {

namespace {

const QString kInstruction = QStringLiteral(
    "   Hold down the left mouse button on the desktop and drag the mouse to define the bounded area, and release "
    "the button   ");

// The picture is the primary monitor in device pixels; the mouse speaks
// logical ones.
QPoint pixelOf(const QMouseEvent* event, double ratio) {
    const QPointF p = event->position() * ratio;
    return QPoint(int(std::floor(p.x())), int(std::floor(p.y())));
}

}  // namespace

AreaOverlay::AreaOverlay(Controller& controller)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint),
      controller_(controller) {
    setWindowTitle(QStringLiteral("Vivivoz"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);

    banner = new QLabel(kInstruction, this);
    banner->setTextFormat(Qt::PlainText);
    banner->setGeometry(32, 40, 843, 16);
    fillBackground(banner, QColor(255, 0, 0));
    QPalette palette = banner->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    banner->setPalette(palette);
    QFont font = uiFont(9, true);
    font.setPixelSize(13);
    banner->setFont(font);
    // The whole caption shows whatever the font's width.
    banner->resize(std::max(banner->width(), banner->sizeHint().width()), banner->height());
    // Presses on the banner stay there: they neither start nor end a drag.
    banner->setAttribute(Qt::WA_NoMousePropagation);
}

AreaOverlay::~AreaOverlay() = default;

void AreaOverlay::bringUp() {
    picture_ = controller_.area().snapshot();
    dragging_ = false;
    frameShown_ = false;
    // The whole primary monitor, so that a point of the picture is the point
    // of the screen it shows (a panel at the top or left would otherwise
    // shift one against the other).
    QRect primary = controller_.screens().desk().logicalPrimary();
    if (primary.isEmpty()) primary = QRect(QPoint(0, 0), picture_.size());
    setGeometry(primary);
    show();
    raise();
    activateWindow();
}

void AreaOverlay::invertFrame(QImage& picture, QPoint a, QPoint b) {
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.setPen(QPen(Qt::red, 3, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(a, b).normalized());
}

void AreaOverlay::showFrame(QPoint end) {
    hideFrame();
    end_ = end;
    invertFrame(picture_, anchor_, end_);
    frameShown_ = true;
    update();
}

void AreaOverlay::hideFrame() {
    if (!frameShown_) return;
    invertFrame(picture_, anchor_, end_);  // inverting again restores the picture
    frameShown_ = false;
    update();
}

void AreaOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    // One picture pixel on each screen pixel.
    const double ratio = devicePixelRatioF();
    if (ratio != 1.0) painter.scale(1.0 / ratio, 1.0 / ratio);
    painter.drawImage(0, 0, picture_);
}

void AreaOverlay::mousePressEvent(QMouseEvent* event) {
    // Any button starts the drag; a second press starts it again.
    hideFrame();
    anchor_ = end_ = pixelOf(event, devicePixelRatioF());
    dragging_ = true;
    event->accept();
}

void AreaOverlay::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) showFrame(pixelOf(event, devicePixelRatioF()));
    event->accept();
}

void AreaOverlay::mouseReleaseEvent(QMouseEvent* event) {
    // The overlay keeps the mouse from the press on, so a release beyond it
    // (over a panel, on another monitor) ends the drag too, with coordinates
    // outside the picture. A release with no press on the picture is ignored.
    event->accept();
    if (!dragging_) return;
    dragging_ = false;
    hideFrame();
    controller_.area().finish(areaBetween(anchor_, pixelOf(event, devicePixelRatioF())));
}

void AreaOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        dragging_ = false;
        controller_.area().cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void AreaOverlay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The window manager does not manage the overlay: it takes the keyboard
    // itself so that Escape reaches it.
    activateWindow();
    setFocus();
    grabKeyboard();
}

void AreaOverlay::hideEvent(QHideEvent* event) {
    releaseKeyboard();
    dragging_ = false;
    frameShown_ = false;
    picture_ = QImage();
    QWidget::hideEvent(event);
}

}  // namespace vz
