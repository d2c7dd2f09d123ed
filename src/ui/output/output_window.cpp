#include "ui/output/output_window.h"

#include "core/controller/slideshow_playback.h"
#include "core/scaling/desk_geometry.h"
#include "core/scaling/output_geometry.h"
#include "ui/widgets/background.h"
#include "ui/widgets/image_view.h"
#include "ui/widgets/transition_view.h"
#include "ui/widgets/scroll_band.h"
#include "ui/widgets/stacking.h"

#include <QAction>
#include <QBoxLayout>
#include <QChildEvent>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace vz {

namespace {

const QString kCaption = QStringLiteral("Vivivoz ");
const QString kSimulationCaption = QStringLiteral("Vivivoz  - Simulation Mode");
const QString kSimulationQuestion = QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?");
constexpr int kBandHeight = 20;

// The picture surfaces lie on top of each other, each filling the whole area;
// only one of them is visible at a time.
class SurfaceArea : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setGeometry(rect());
    }
    void childEvent(QChildEvent* e) override {
        QWidget::childEvent(e);
        if (e->added() && e->child()->isWidgetType()) static_cast<QWidget*>(e->child())->setGeometry(rect());
    }
};

}  // namespace

OutputWindow::OutputWindow(Controller& controller, Platform& platform)
    : QWidget(nullptr, Qt::Window), controller_(controller), platform_(platform) {
    // Shown or re-mapped (a frame change maps the window anew), the output
    // never takes the activation from the window the user works in.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(kCaption);
    fillBackground(this, Qt::black);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    surface_ = new SurfaceArea(this);
    outputView = new ImageView(surface_);
    transitionView = new TransitionView(surface_);
    configureOutputTransitions(*transitionView);
    transitionSurface = transitionView;
    transitionSurface->hide();
    transitionSurface->installEventFilter(this);
    layout->addWidget(surface_, 1);

    banner = new ScrollBand(platform_, this);
    banner->setFixedHeight(kBandHeight);
    banner->hide();
    layout->addWidget(banner);

    contextMenu = new QMenu(this);
    stayOnTopAction = contextMenu->addAction(QStringLiteral("Stay on top"));
    stayOnTopAction->setCheckable(true);
    // A menu click has already inverted the mark.
    connect(stayOnTopAction, &QAction::triggered, this, [this] { applyStayOnTop(); });
    primaryWhenLostAction =
        contextMenu->addAction(QStringLiteral("Stay on the primary monitor when the second one goes"));
    primaryWhenLostAction->setCheckable(true);
    connect(primaryWhenLostAction, &QAction::triggered, this,
            [this](bool on) { controller_.setOutputOnPrimaryWhenLost(on); });
    monitorMenu = contextMenu->addMenu(QStringLiteral("Show on monitor"));
    connect(contextMenu, &QMenu::aboutToShow, this, &OutputWindow::fillMonitorMenu);
    fillMonitorMenu();

    connect(outputView, &ImageView::doubleClicked, this, &OutputWindow::toggleFullScreen);
    surfaceMenu_ = new QMenu(this);
    connect(surfaceMenu_->addAction(QStringLiteral("Close")), &QAction::triggered, this,
            [this] { controller_.requestView(View::Preview, false); });

    const desk::Desk& desk = controller_.screens().desk();
    normalPos_ = desk::simulationCorner(desk) + QPoint(0, 143);
    normalSize_ = desk::quarterWindow(desk).size();
    move(normalPos_);
    resize(normalSize_);
    applyViewMode();

    // The picture view tells the controller its size: frames come scaled for it.
    outputView->installEventFilter(this);

    Controller& c = controller_;
    connect(&c, &Controller::outputPicture, outputView, &ImageView::setPicture);
    connect(&c, &Controller::outputTransition, transitionView, &TransitionView::play);
    // A playing slideshow counts a slide's time from the end of its transition.
    connect(transitionView, &TransitionView::finished, &c.slideshowPlayback(),
            &SlideshowPlayback::outputTransitionEnded);
    connect(&c, &Controller::outputScaledPicture, this, [this](const CapturedFrame& frame) {
        if (frame.scaled &&
            frame.layout == ViewLayout{outputView->pixelSize(), outputView->fit(), outputView->scaleFactor()})
            outputView->setRenderedPicture(frame.picture, frame.render);
        else
            outputView->setPicture(frame.picture);
    });
    connect(&c, &Controller::outputBlanked, this, &OutputWindow::showBlack);
    connect(&c, &Controller::outputPictureDropped, outputView, &ImageView::clearPicture);
    connect(&c, &Controller::outputSurfaceChanged, this, [this](OutputSurface surface) {
        transitionSurface->setVisible(surface == OutputSurface::Transition);
        outputView->setVisible(surface == OutputSurface::Picture);
    });
    connect(&c.viewOptions(), &ViewOptions::viewModeChanged, this, &OutputWindow::applyViewMode);
    connect(&c.viewOptions(), &ViewOptions::scaleValueChanged, this, &OutputWindow::applyViewMode);
    connect(&c, &Controller::settingsApplied, this, &OutputWindow::applyViewMode);
    connect(&c, &Controller::settingsApplied, this,
            [this] { primaryWhenLostAction->setChecked(controller_.outputOnPrimaryWhenLost()); });
    connect(&c, &Controller::outputOnPrimaryRequested, this, &OutputWindow::showOnPrimaryForLostMonitor);
    connect(&c.screens(), &MonitorWatch::resized, this, &OutputWindow::refitToMonitors);
    connect(&c.viewOptions(), &ViewOptions::displaySizeChanged, this, [this](int percent, bool byUser) {
        if (byUser) applyDisplaySize(percent);
    });
    connect(&c, &Controller::outputFullScreenRequested, this, &OutputWindow::goFullScreen);
    connect(&c, &Controller::outputOnSecondMonitorRequested, this, &OutputWindow::moveToSecondMonitor);
    connect(&c, &Controller::outputInPlaceRequested, this, [this] {
        show();
        showCaption();
    });
    connect(&c, &Controller::bannerHideRequested, this, &OutputWindow::hideBanner);
    connect(&c, &Controller::bannerSendRequested, this, &OutputWindow::showBanner);
}

void OutputWindow::showBanner(const BannerOrder& order) {
    BandTicker& ticker = banner->ticker();
    banner->setText(order.text);
    ticker.setInterval(order.interval);
    ticker.setStep(order.step);
    banner->setFixedHeight(order.height);
    banner->setLook(order.look);
    dockBand(order.top);
    banner->show();
    // Resumes from the positions the banner last had.
    ticker.setActive(true);
}

void OutputWindow::hideBanner() {
    banner->hide();
    banner->ticker().setActive(false);
}

void OutputWindow::fillMonitorMenu() {
    monitorMenu->clear();
    const desk::Desk& desk = controller_.screens().desk();
    monitorMenu->menuAction()->setVisible(desk.device.size() >= 3);
    for (int i = 1; i < desk.device.size(); ++i) {
        const QRect& m = desk.device[i];
        // The window system's name for it (a screen keeps its device corner).
        QString name = QStringLiteral("Monitor %1").arg(i + 1);
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen->geometry().topLeft() == m.topLeft()) name = screen->name();
        QAction* item = monitorMenu->addAction(QStringLiteral("%1  %2 x %3").arg(name).arg(m.width()).arg(m.height()));
        item->setCheckable(true);
        item->setChecked(i == desk.outputIndex());
        connect(item, &QAction::triggered, this, [this, i] { controller_.chooseOutputMonitor(i); });
    }
}

void OutputWindow::showBlack() {
    QImage black(outputView->pixelSize() + QSize(1, 1), QImage::Format_RGB32);
    black.fill(Qt::black);
    outputView->setPicture(black);
}

void OutputWindow::bringUp() {
    if (controller_.screens().count() > 1) {
        showOnSecondary();
        return;
    }
    if (controller_.tray().askSimulationQuestion()) showSimulated();
}

void OutputWindow::dockBand(bool atTop) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->removeWidget(banner);
    layout->insertWidget(atTop ? 0 : 1, banner);
}

void OutputWindow::keepNormalBounds() {
    if (fullScreen_) return;
    normalPos_ = pos();
    normalSize_ = size();
}

void OutputWindow::setFrameless(bool frameless) {
    if (windowFlags().testFlag(Qt::FramelessWindowHint) != frameless) setWindowFlag(Qt::FramelessWindowHint, frameless);
}

void OutputWindow::setFullScreenOn(const QRect& monitor) {
    // Changing the frame hides the window; it comes back only if it was up.
    const bool wasVisible = isVisible();
    setFrameless(true);
    fullScreen_ = true;
    // The window is given the monitor's geometry itself rather than asking
    // the window manager to maximise it, which some managers refuse or do
    // on another monitor.
    setGeometry(monitor);
    if (stacking::windowSystemPlacesWindows()) {
        // Wayland lets no window place itself: full screen is asked on the
        // monitor's screen (the geometry first, or Qt keeps the old screen).
        if (QScreen* screen = QGuiApplication::screenAt(monitor.center())) setScreen(screen);
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
    if (wasVisible && !isVisible()) show();
}

void OutputWindow::setNormalState(const QRect& geometry) {
    const bool wasVisible = isVisible();
    setFrameless(false);
    fullScreen_ = false;
    if (stacking::windowSystemPlacesWindows()) setWindowState(windowState() & ~Qt::WindowFullScreen);
    move(geometry.topLeft());
    resize(geometry.size());
    normalPos_ = geometry.topLeft();
    normalSize_ = geometry.size();
    if (wasVisible && !isVisible()) show();
}

void OutputWindow::showOnSecondary() {
    keepNormalBounds();
    const desk::Desk& desk = controller_.screens().desk();
    QRect monitor = desk.outputLogical();
    if (monitor.isNull()) monitor = desk.logicalPrimary();  // one monitor
    if (!monitor.isNull()) normalPos_ = monitor.topLeft();
    setFullScreenOn(monitor.isNull() ? QRect(normalPos_, normalSize_) : monitor);
    show();
    showCaption();
    controller_.viewOptions().setDisplaySize(100, false);
}

void OutputWindow::showSimulated() {
    keepNormalBounds();
    setNormalState(QRect(desk::simulationCorner(controller_.screens().desk()), normalSize_));
    show();
}

void OutputWindow::showOnPrimaryForLostMonitor() {
    const desk::Desk& desk = controller_.screens().desk();
    setNormalState(
        QRect(desk::simulationCorner(desk), displaySizeForPercent(desk.logicalPrimary().size(), SimulationPercent)));
    show();
    showCaption();
}

void OutputWindow::showCaption() { setWindowTitle(controller_.screens().count() == 1 ? kSimulationCaption : kCaption); }

void OutputWindow::refitToMonitors() {
    if (!isVisible() || !fullScreen_) return;
    const desk::Desk& desk = controller_.screens().desk();
    const QRect monitor =
        controller_.screens().count() > 1 ? desk.outputLogical() : monitorHolding(desk.logicalAll(), frameGeometry());
    if (!monitor.isNull()) setFullScreenOn(monitor);
}

void OutputWindow::toggleFullScreen() {
    if (fullScreen_) {
        setNormalState(desk::quarterWindow(controller_.screens().desk()));
        return;
    }
    keepNormalBounds();
    const QRect monitor = monitorHolding(controller_.screens().desk().logicalAll(), frameGeometry());
    if (!monitor.isNull()) setFullScreenOn(monitor);
}

void OutputWindow::applyDisplaySize(int p) {
    keepNormalBounds();
    const desk::Desk& desk = controller_.screens().desk();
    if (controller_.screens().count() > 1) {
        const QRect monitor = desk.outputLogical();
        if (p >= FullScreenPercent) {
            normalPos_ = monitor.topLeft();
            setFullScreenOn(monitor);
        } else {
            setNormalState(QRect(normalPos_, displaySizeForPercent(monitor.size(), p)));
        }
        return;
    }
    if (p >= FullScreenPercent) {
        const QRect monitor = monitorHolding(desk.logicalAll(), frameGeometry());
        if (!monitor.isNull()) setFullScreenOn(monitor);
    } else {
        setNormalState(QRect(normalPos_, displaySizeForPercent(desk.logicalPrimary().size(), p)));
    }
}

void OutputWindow::goFullScreen() {
    if (!isVisible()) return;
    controller_.viewOptions().setDisplaySize(100, false);
    keepNormalBounds();
    const desk::Desk& desk = controller_.screens().desk();
    QRect monitor;
    if (controller_.screens().count() > 1) {
        monitor = desk.outputLogical();
        normalPos_ = monitor.topLeft();
    } else {
        normalPos_ = desk::simulationCorner(desk);
        monitor = monitorHolding(desk.logicalAll(), QRect(normalPos_, frameGeometry().size()));
    }
    if (!monitor.isNull()) setFullScreenOn(monitor);
}

void OutputWindow::moveToSecondMonitor() {
    if (controller_.screens().count() < 2) return;
    showOnSecondary();
}

void OutputWindow::applyStayOnTop() {
    const bool on = stayOnTopAction->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    const bool wasVisible = isVisible();
    const QRect frame = frameGeometry();
    const QSize client = size();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // The window stays where it was.
    move(frame.topLeft());
    resize(client);
    if (wasVisible && !isVisible()) show();
}

void OutputWindow::applyViewMode() {
    outputView->setFit(controller_.viewOptions().viewMode().value_or(ViewFit::Optimal));
    outputView->setScaleFactor(float(controller_.viewOptions().scaleValue()) / 100.0f);
    outputView->update();
}

void OutputWindow::onActivated() {
    showCaption();
    applyViewMode();
}

void OutputWindow::closeEvent(QCloseEvent* e) {
    // The window is only ever hidden; it lives until the program ends.
    e->ignore();
    outputView->clearPicture();
    controller_.stopRunning();
    hide();
}

void OutputWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Shown without taking the activation, the window still carries the
    // caption an activation would give it (the simulation suffix with one monitor).
    showCaption();
    controller_.setOutputViewSize(outputView->pixelSize());
}

void OutputWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // With one monitor the user sizes the simulated output by hand: the
    // display-size slider follows.
    const MonitorWatch& screens = controller_.screens();
    if (isActiveWindow() && screens.count() == 1)
        controller_.viewOptions().setDisplaySize(
            percentFromOuterWidth(screens.desk().logicalPrimary().width(), frameGeometry().width()), false);
}

void OutputWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void OutputWindow::contextMenuEvent(QContextMenuEvent* e) { contextMenu->popup(e->globalPos()); }

bool OutputWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == outputView && event->type() == QEvent::Resize)
        controller_.setOutputViewSize(outputView->pixelSize());
    if (watched == transitionSurface) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            toggleFullScreen();
            return true;
        }
        if (event->type() == QEvent::ContextMenu) {
            surfaceMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vz
