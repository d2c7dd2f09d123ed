#include "display/uslika.h"

#include "app/app.h"
#include "display/image_view.h"
#include "widgets/background.h"
#include "display/output_geometry.h"
#include "display/uoptions.h"

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

TFslika::TFslika(App& app)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), app_(app) {
    setWindowTitle(QStringLiteral("Preview-105202"));
    fillBackground(this, Qt::white);
    setMouseTracking(true);  // sizing cursors over the frame

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kEdge, kEdge, kEdge, kEdge);
    layout->setSpacing(0);

    Panel1 = new QWidget(this);
    fillBackground(Panel1, QColor(68, 68, 68));
    Panel1->setCursor(Qt::ArrowCursor);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    Slika = new ImageView(Panel1);
    Slika->setFit(ViewFit::Resize);
    Slika->setScaleFactor(1.0f);
    Slika->installEventFilter(this);
    panelLayout->addWidget(Slika);
    layout->addWidget(Panel1, 1);

    pscroll = new QLabel(this);
    pscroll->setFixedHeight(kBandHeight);
    fillBackground(pscroll, Qt::red);
    QFont bandFont(QStringLiteral("Arial Black"));
    bandFont.setPixelSize(5);
    bandFont.setBold(true);
    pscroll->setFont(bandFont);
    pscroll->setCursor(Qt::ArrowCursor);
    pscroll->hide();
    layout->addWidget(pscroll);

    PopupA = new QMenu(this);
    Close1 = PopupA->addAction(QStringLiteral("Close"));
    connect(Close1, &QAction::triggered, this, &QWidget::close);

    move(kDesignPos);
    resize(kClientSize + QSize(2 * kEdge, 2 * kEdge));
}

void TFslika::dockBand(bool atTop) {
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->removeWidget(pscroll);
    box->insertWidget(atTop ? 0 : 1, pscroll);
}

void TFslika::FormActivate() {
    const QPoint p = previewActivationPosition(pos(), QSize(app_.primaryWidth(), app_.primaryHeight()));
    if (p != pos()) move(p);
    if (app_.foptions) app_.foptions->FormActivate();
}

void TFslika::closeEvent(QCloseEvent* e) {
    // Closing only hides: the window lives until the program ends.
    e->ignore();
    dragging_ = false;
    Slika->clearPicture();
    hide();
    if (app_.foptions) app_.foptions->FormActivate();
}

void TFslika::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    const int left = previewLeftAfterMove(x(), frameGeometry().width(), app_.primaryWidth());
    if (left != x()) move(left, y());
}

void TFslika::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

bool TFslika::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Slika) return QWidget::eventFilter(watched, event);
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
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        break;
    case QEvent::ContextMenu:
        dragging_ = false;
        PopupA->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

Qt::Edges TFslika::edgesAt(QPoint p) const {
    Qt::Edges e;
    if (p.x() < kEdge) e |= Qt::LeftEdge;
    if (p.x() >= width() - kEdge) e |= Qt::RightEdge;
    if (p.y() < kEdge) e |= Qt::TopEdge;
    if (p.y() >= height() - kEdge) e |= Qt::BottomEdge;
    return e;
}

void TFslika::mousePressEvent(QMouseEvent* e) {
    const Qt::Edges edges = edgesAt(e->position().toPoint());
    if (e->button() != Qt::LeftButton || !edges) return QWidget::mousePressEvent(e);
    // Let the window manager do it where it can; otherwise resize by hand.
    if (windowHandle() && windowHandle()->startSystemResize(edges)) return;
    resizing_ = edges;
    dragStart_ = e->globalPosition().toPoint();
    resizeStart_ = geometry();
}

void TFslika::mouseMoveEvent(QMouseEvent* e) {
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

void TFslika::mouseReleaseEvent(QMouseEvent* e) {
    resizing_ = {};
    QWidget::mouseReleaseEvent(e);
}

}  // namespace vz
