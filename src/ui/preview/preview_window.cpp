#include "ui/preview/preview_window.h"

#include "core/scaling/output_geometry.h"
#include "ui/widgets/background.h"
#include "ui/widgets/image_view.h"
#include "ui/widgets/stacking.h"

#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

#include <algorithm>

namespace vz {

namespace {

// Width of the sizing frame round the client area.
constexpr int kEdge = 4;
constexpr QSize kClientSize(284, 178);
constexpr QPoint kDesignPos(1348, 145);
constexpr int kBandHeight = 6;
constexpr QSize kMinimumClient(32, 24);

Qt::CursorShape cursorFor(Qt::Edges e) {
    const bool horizontal = e & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = e & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical)
        return (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge)) ? Qt::SizeFDiagCursor
                                                                                            : Qt::SizeBDiagCursor;
    if (horizontal) return Qt::SizeHorCursor;
    if (vertical) return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

}  // namespace

PreviewWindow::PreviewWindow(Controller& controller)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), controller_(controller) {
    setWindowTitle(QStringLiteral("Preview-105202"));
    stacking::yieldToDialogs(this);
    fillBackground(this, Qt::white);
    setMouseTracking(true);  // sizing cursors over the frame

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kEdge, kEdge, kEdge, kEdge);
    layout->setSpacing(0);

    picturePanel = new QWidget(this);
    fillBackground(picturePanel, QColor(68, 68, 68));
    picturePanel->setCursor(Qt::ArrowCursor);
    auto* panelLayout = new QVBoxLayout(picturePanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    previewView = new ImageView(picturePanel);
    previewView->setFit(ViewFit::Resize);
    previewView->setScaleFactor(1.0f);
    previewView->installEventFilter(this);
    panelLayout->addWidget(previewView);
    layout->addWidget(picturePanel, 1);

    bannerStrip = new QLabel(this);
    bannerStrip->setFixedHeight(kBandHeight);
    fillBackground(bannerStrip, Qt::red);
    QFont bandFont(QStringLiteral("Arial Black"));
    bandFont.setPixelSize(5);
    bandFont.setBold(true);
    bannerStrip->setFont(bandFont);
    bannerStrip->setCursor(Qt::ArrowCursor);
    bannerStrip->hide();
    layout->addWidget(bannerStrip);

    contextMenu = new QMenu(this);
    closeAction = contextMenu->addAction(QStringLiteral("Close"));
    connect(closeAction, &QAction::triggered, this, &QWidget::close);

    move(kDesignPos);
    resize(kClientSize + QSize(2 * kEdge, 2 * kEdge));

    connect(&controller_, &Controller::previewPicture, previewView, &ImageView::setPicture);
    connect(&controller_, &Controller::previewCleared, previewView, &ImageView::clearPicture);
    connect(&controller_, &Controller::bannerHideRequested, bannerStrip, &QWidget::hide);
    connect(&controller_, &Controller::bannerSendRequested, this, [this](const BannerOrder& order) {
        // The strip only stands for the banner: its own height and face, no scrolling.
        fillBackground(bannerStrip, order.look.background);
        bannerStrip->setText(order.text);
        QPalette palette = bannerStrip->palette();
        palette.setColor(QPalette::WindowText, order.look.textColour);
        bannerStrip->setPalette(palette);
        dockBand(order.top);
        bannerStrip->show();
    });
}

void PreviewWindow::dockBand(bool atTop) {
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->removeWidget(bannerStrip);
    box->insertWidget(atTop ? 0 : 1, bannerStrip);
}

void PreviewWindow::onActivated() {
    const QPoint p = previewActivationPosition(pos(), controller_.screens().desk().logicalPrimary());
    if (p != pos()) move(p);
}

void PreviewWindow::closeEvent(QCloseEvent* e) {
    // Closing only hides: the window lives until the program ends.
    e->ignore();
    dragging_ = false;
    previewView->clearPicture();
    hide();
}

void PreviewWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    const int left = previewLeftAfterMove(x(), frameGeometry().width(), controller_.screens().desk().logicalPrimary());
    if (left != x()) move(left, y());
}

void PreviewWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != previewView) return QWidget::eventFilter(watched, event);
    // The blank frame is made the size of this view.
    if (event->type() == QEvent::Resize) controller_.setPreviewViewSize(previewView->size());
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            // Any button drags the window by its picture.
            auto* me = static_cast<QMouseEvent*>(event);
            dragging_ = true;
            dragStart_ = me->globalPosition().toPoint();
            windowStart_ = pos();
            break;
        }
        case QEvent::MouseMove: {
            if (!dragging_) break;
            auto* me = static_cast<QMouseEvent*>(event);
            // A release that went elsewhere (to a menu, say) ends the drag.
            if (me->buttons() == Qt::NoButton) {
                dragging_ = false;
                break;
            }
            move(windowStart_ + (me->globalPosition().toPoint() - dragStart_));
            return true;
        }
        case QEvent::MouseButtonRelease: dragging_ = false; break;
        case QEvent::ContextMenu:
            dragging_ = false;
            contextMenu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        default: break;
    }
    return QWidget::eventFilter(watched, event);
}

Qt::Edges PreviewWindow::edgesAt(QPoint p) const {
    Qt::Edges e;
    if (p.x() < kEdge) e |= Qt::LeftEdge;
    if (p.x() >= width() - kEdge) e |= Qt::RightEdge;
    if (p.y() < kEdge) e |= Qt::TopEdge;
    if (p.y() >= height() - kEdge) e |= Qt::BottomEdge;
    return e;
}

void PreviewWindow::mousePressEvent(QMouseEvent* e) {
    const Qt::Edges edges = edgesAt(e->position().toPoint());
    if (e->button() != Qt::LeftButton || !edges) return QWidget::mousePressEvent(e);
    // Let the window manager do it where it can; otherwise resize by hand.
    if (windowHandle() && windowHandle()->startSystemResize(edges)) return;
    resizing_ = edges;
    dragStart_ = e->globalPosition().toPoint();
    resizeStart_ = geometry();
}

void PreviewWindow::mouseMoveEvent(QMouseEvent* e) {
    if (!resizing_) {
        setCursor(cursorFor(edgesAt(e->position().toPoint())));
        return QWidget::mouseMoveEvent(e);
    }
    const QPoint d = e->globalPosition().toPoint() - dragStart_;
    const QSize minimum = kMinimumClient + QSize(2 * kEdge, 2 * kEdge);
    QRect g = resizeStart_;
    if (resizing_ & Qt::LeftEdge) g.setLeft(std::min(g.left() + d.x(), g.right() + 1 - minimum.width()));
    if (resizing_ & Qt::RightEdge) g.setRight(std::max(g.right() + d.x(), g.left() + minimum.width() - 1));
    if (resizing_ & Qt::TopEdge) g.setTop(std::min(g.top() + d.y(), g.bottom() + 1 - minimum.height()));
    if (resizing_ & Qt::BottomEdge) g.setBottom(std::max(g.bottom() + d.y(), g.top() + minimum.height() - 1));
    setGeometry(g);
}

void PreviewWindow::mouseReleaseEvent(QMouseEvent* e) {
    resizing_ = {};
    QWidget::mouseReleaseEvent(e);
}

}  // namespace vz
