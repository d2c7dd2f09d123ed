#include "display/umonitor.h"

#include "app/app.h"
#include "display/image_view.h"
#include "display/output_geometry.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/mainunit.h"
#include "widgets/background.h"
#include "widgets/onoff_checkbox.h"
#include "widgets/spin_edit.h"
#include "widgets/track_bar.h"

#include <QAction>
#include <QBoxLayout>
#include <QChildEvent>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

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

QString percentText(int p) { return QString::number(p) + QStringLiteral(" %"); }

}  // namespace

TFmonitor::TFmonitor(App& app) : QWidget(nullptr, Qt::Window), app_(app) {
    setWindowTitle(kCaption);
    fillBackground(this, Qt::black);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    surface_ = new SurfaceArea(this);
    image = new ImageView(surface_);
    Pixa = new QWidget(surface_);
    fillBackground(Pixa, Qt::black);
    Pixa->hide();
    Pixa->installEventFilter(this);
    layout->addWidget(surface_, 1);

    rtmdis = new QWidget(this);
    rtmdis->setFixedHeight(kBandHeight);
    fillBackground(rtmdis, Qt::gray);
    rtmdis->hide();
    layout->addWidget(rtmdis);

    PopupMenu1 = new QMenu(this);
    sot = PopupMenu1->addAction(QStringLiteral("Stay on top"));
    sot->setCheckable(true);
    // A menu click has already inverted the mark.
    connect(sot, &QAction::triggered, this, [this] { applyStayOnTop(); });

    connect(image, &ImageView::doubleClicked, this, &TFmonitor::PixaDblClick);

    normalPos_ = QPoint(0, 143);
    normalSize_ = QSize(app_.primaryWidth() / 4, app_.primaryHeight() / 4);
    move(normalPos_);
    resize(normalSize_);

    // DesktopFrame is made by the capture cycle at its first capture.
    ViewFit fit = ViewFit::Optimal;
    viewFitFromNumber(app_.state.SavedViewMode, &fit);
    image->setFit(fit);
}

void TFmonitor::dockBand(bool atTop) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->removeWidget(rtmdis);
    layout->insertWidget(atTop ? 0 : 1, rtmdis);
}

void TFmonitor::keepNormalBounds() {
    if (fullScreen_) return;
    normalPos_ = pos();
    normalSize_ = size();
}

void TFmonitor::setFrameless(bool frameless) {
    if (windowFlags().testFlag(Qt::FramelessWindowHint) != frameless) setWindowFlag(Qt::FramelessWindowHint, frameless);
}

void TFmonitor::setFullScreenOn(const QRect& monitor) {
    // Changing the frame hides the window; it comes back only if it was up.
    const bool wasVisible = isVisible();
    setFrameless(true);
    fullScreen_ = true;
    // The window is given the monitor's geometry itself rather than asking
    // the window manager to maximise it, which some managers refuse or do
    // on another monitor.
    setGeometry(monitor);
    if (wasVisible && !isVisible()) show();
}

void TFmonitor::setNormalState(const QRect& geometry) {
    const bool wasVisible = isVisible();
    setFrameless(false);
    fullScreen_ = false;
    move(geometry.topLeft());
    resize(geometry.size());
    normalPos_ = geometry.topLeft();
    normalSize_ = geometry.size();
    if (wasVisible && !isVisible()) show();
}

void TFmonitor::ShowOnSecondary() {
    keepNormalBounds();
    QRect monitor = secondaryMonitor(app_.monitors(), app_.primaryWidth());
    if (monitor.isNull())  // one monitor: the one nearest to the right of the primary
        monitor = monitorHolding(app_.monitors(),
                                 QRect(QPoint(app_.primaryWidth() + 1, 0), size()));
    if (!monitor.isNull()) normalPos_ = monitor.topLeft();
    setFullScreenOn(monitor.isNull() ? QRect(normalPos_, normalSize_) : monitor);
    show();
    TFoptions* dlg = app_.foptions.get();
    if (dlg && dlg->bcMonitor) dlg->bcMonitor->setText(QStringLiteral("On"));
    if (dlg && dlg->X2Size) dlg->X2Size->setValue(100);
}

void TFmonitor::ShowSimulated() {
    keepNormalBounds();
    setNormalState(QRect(QPoint(0, 0), normalSize_));
    show();
    TFoptions* dlg = app_.foptions.get();
    if (dlg && dlg->bcMonitor) dlg->bcMonitor->setText(QStringLiteral("On"));
}

bool TFmonitor::askSimulationQuestion() {
    AppState& s = app_.state;
    if (s.SimulationPromptOpen) return false;
    s.SimulationPromptOpen = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{s.SimulationPromptOpen};
    Prompter& prompter = *app_.platform.prompter;
    prompter.beep(Prompter::Icon::Question);
    return prompter.ask(QStringLiteral("Vivivoz"), kSimulationQuestion, Prompter::Buttons::YesNo,
                        Prompter::Icon::Question, Prompter::Answer::Yes) == Prompter::Answer::Yes;
}

void TFmonitor::bcMonitorClick() {
    OnOffCheckBox* toggle = app_.foptions ? app_.foptions->bcMonitor : nullptr;
    if (toggle && !toggle->isChecked()) {
        hide();
        toggle->setText(QStringLiteral("Off"));
        return;
    }
    if (app_.monitorCount() > 1) {
        ShowOnSecondary();
        return;
    }
    if (askSimulationQuestion()) ShowSimulated();
}

void TFmonitor::PixaDblClick() {
    if (fullScreen_) {
        setNormalState(QRect(0, 0, app_.primaryWidth() / 4, app_.primaryHeight() / 4));
        return;
    }
    keepNormalBounds();
    const QRect monitor = monitorHolding(app_.monitors(), frameGeometry());
    if (!monitor.isNull()) setFullScreenOn(monitor);
}

void TFmonitor::X2SizeChange() {
    TFoptions* dlg = app_.foptions.get();
    if (!dlg || !dlg->X2Size) return;
    const int p = dlg->X2Size->value();
    if (dlg->Label18) dlg->Label18->setText(percentText(p));
    // Positions set by the program itself must not resize the window.
    if (!dlg->isActiveWindow()) return;

    keepNormalBounds();
    const QVector<QRect> monitors = app_.monitors();
    if (app_.monitorCount() > 1) {
        if (p >= FullScreenPercent) {
            const QRect monitor = secondaryMonitor(monitors, app_.primaryWidth());
            normalPos_ = monitor.topLeft();
            setFullScreenOn(monitor);
        } else {
            setNormalState(QRect(normalPos_, displaySizeForPercent(app_.monitorRect(1).size(), p)));
        }
        return;
    }
    if (p >= FullScreenPercent) {
        const QRect monitor = monitorHolding(monitors, frameGeometry());
        if (!monitor.isNull()) setFullScreenOn(monitor);
    } else {
        const QSize primary(app_.primaryWidth(), app_.primaryHeight());
        setNormalState(QRect(normalPos_, displaySizeForPercent(primary, p)));
    }
}

void TFmonitor::sbhideClick() {
    if (!isVisible()) return;
    TFoptions* dlg = app_.foptions.get();
    if (dlg && dlg->X2Size) dlg->X2Size->setValue(100);
    keepNormalBounds();
    const QVector<QRect> monitors = app_.monitors();
    QRect monitor;
    if (app_.monitorCount() > 1) {
        monitor = secondaryMonitor(monitors, app_.primaryWidth());
        normalPos_ = monitor.topLeft();
    } else {
        normalPos_ = QPoint(0, 0);
        monitor = monitorHolding(monitors, QRect(normalPos_, frameGeometry().size()));
    }
    if (!monitor.isNull()) setFullScreenOn(monitor);
    if (dlg && dlg->X2Size) dlg->X2Size->setValue(100);
}

void TFmonitor::ximovetosecondClick() {
    if (app_.monitorCount() < 2) return;
    ShowOnSecondary();
}

void TFmonitor::sotClick() {
    sot->setChecked(!sot->isChecked());
    applyStayOnTop();
}

void TFmonitor::applyStayOnTop() {
    const bool on = sot->isChecked();
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

void TFmonitor::yoom() {
    ViewFit fit;
    if (viewFitFromNumber(app_.state.ViewMode, &fit)) image->setFit(fit);
    TFoptions* dlg = app_.foptions.get();
    const int scale = dlg && dlg->SpinScaleVrednost ? dlg->SpinScaleVrednost->value() : app_.state.opScaleValue;
    image->setScaleFactor(float(scale) / 100.0f);
    image->update();
}

void TFmonitor::chooseViewMode(int n) {
    if (!viewFitFromNumber(n, nullptr)) return;
    app_.state.ViewMode = n;
    yoom();
}

void TFmonitor::FormActivate() {
    setWindowTitle(app_.monitorCount() == 1 ? kSimulationCaption : kCaption);
    if (app_.foptions) app_.foptions->FormActivate();
    yoom();
}

void TFmonitor::closeEvent(QCloseEvent* e) {
    // The window is only ever hidden; it lives until the program ends.
    e->ignore();
    image->clearPicture();
    app_.state.OutputRunning = true;
    if (app_.mainForm) app_.mainForm->xiTekanjeClick();
    hide();
}

void TFmonitor::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!isActiveWindow()) return;
    TFoptions* dlg = app_.foptions.get();
    if (!dlg || !dlg->X2Size) return;
    if (app_.monitorCount() == 1)
        dlg->X2Size->setValue(percentFromOuterWidth(app_.primaryWidth(), frameGeometry().width()));
    if (dlg->Label18) dlg->Label18->setText(percentText(dlg->X2Size->value()));
}

void TFmonitor::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TFmonitor::contextMenuEvent(QContextMenuEvent* e) { PopupMenu1->popup(e->globalPos()); }

bool TFmonitor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Pixa) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            PixaDblClick();
            return true;
        }
        // The player shares the preview's menu: its one item closes the preview.
        if (event->type() == QEvent::ContextMenu && app_.fslika && app_.fslika->PopupA) {
            app_.fslika->PopupA->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vz
