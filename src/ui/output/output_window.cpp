#include "ui/output/output_window.h"

#include "app/app.h"
#include "ui/widgets/image_view.h"
#include "core/scaling/output_geometry.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "ui/toolbar/toolbar.h"
#include "ui/widgets/background.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/track_bar.h"

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

OutputWindow::OutputWindow(App& app) : QWidget(nullptr, Qt::Window), app_(app) {
    setWindowTitle(kCaption);
    fillBackground(this, Qt::black);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    surface_ = new SurfaceArea(this);
    outputView = new ImageView(surface_);
    transitionSurface = new QWidget(surface_);
    fillBackground(transitionSurface, Qt::black);
    transitionSurface->hide();
    transitionSurface->installEventFilter(this);
    layout->addWidget(surface_, 1);

    banner = new QWidget(this);
    banner->setFixedHeight(kBandHeight);
    fillBackground(banner, Qt::gray);
    banner->hide();
    layout->addWidget(banner);

    contextMenu = new QMenu(this);
    stayOnTopAction = contextMenu->addAction(QStringLiteral("Stay on top"));
    stayOnTopAction->setCheckable(true);
    // A menu click has already inverted the mark.
    connect(stayOnTopAction, &QAction::triggered, this, [this] { applyStayOnTop(); });

    connect(outputView, &ImageView::doubleClicked, this, &OutputWindow::toggleFullScreen);

    normalPos_ = QPoint(0, 143);
    normalSize_ = QSize(app_.primaryWidth() / 4, app_.primaryHeight() / 4);
    move(normalPos_);
    resize(normalSize_);

    // desktopFrame is made by the capture cycle at its first capture.
    ViewFit fit = ViewFit::Optimal;
    viewFitFromNumber(app_.state.savedViewMode, &fit);
    outputView->setFit(fit);
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
    if (wasVisible && !isVisible()) show();
}

void OutputWindow::setNormalState(const QRect& geometry) {
    const bool wasVisible = isVisible();
    setFrameless(false);
    fullScreen_ = false;
    move(geometry.topLeft());
    resize(geometry.size());
    normalPos_ = geometry.topLeft();
    normalSize_ = geometry.size();
    if (wasVisible && !isVisible()) show();
}

void OutputWindow::showOnSecondary() {
    keepNormalBounds();
    QRect monitor = secondaryMonitor(app_.monitors(), app_.primaryWidth());
    if (monitor.isNull())  // one monitor: the one nearest to the right of the primary
        monitor = monitorHolding(app_.monitors(),
                                 QRect(QPoint(app_.primaryWidth() + 1, 0), size()));
    if (!monitor.isNull()) normalPos_ = monitor.topLeft();
    setFullScreenOn(monitor.isNull() ? QRect(normalPos_, normalSize_) : monitor);
    show();
    SettingsDialog* dlg = app_.settingsDialog.get();
    if (dlg && dlg->outputBox) dlg->outputBox->setText(QStringLiteral("On"));
    if (dlg && dlg->displaySizeSlider) dlg->displaySizeSlider->setValue(100);
}

void OutputWindow::showSimulated() {
    keepNormalBounds();
    setNormalState(QRect(QPoint(0, 0), normalSize_));
    show();
    SettingsDialog* dlg = app_.settingsDialog.get();
    if (dlg && dlg->outputBox) dlg->outputBox->setText(QStringLiteral("On"));
}

bool OutputWindow::askSimulationQuestion() {
    ProgramState& s = app_.state;
    if (s.simulationPromptOpen) return false;
    s.simulationPromptOpen = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{s.simulationPromptOpen};
    Prompter& prompter = *app_.platform.prompter;
    prompter.beep(Prompter::Icon::Question);
    return prompter.ask(QStringLiteral("Vivivoz"), kSimulationQuestion, Prompter::Buttons::YesNo,
                        Prompter::Icon::Question, Prompter::Answer::Yes) == Prompter::Answer::Yes;
}

void OutputWindow::onOutputBoxClicked() {
    OnOffCheckBox* toggle = app_.settingsDialog ? app_.settingsDialog->outputBox : nullptr;
    if (toggle && !toggle->isChecked()) {
        hide();
        toggle->setText(QStringLiteral("Off"));
        return;
    }
    if (app_.monitorCount() > 1) {
        showOnSecondary();
        return;
    }
    if (askSimulationQuestion()) showSimulated();
}

void OutputWindow::toggleFullScreen() {
    if (fullScreen_) {
        setNormalState(QRect(0, 0, app_.primaryWidth() / 4, app_.primaryHeight() / 4));
        return;
    }
    keepNormalBounds();
    const QRect monitor = monitorHolding(app_.monitors(), frameGeometry());
    if (!monitor.isNull()) setFullScreenOn(monitor);
}

void OutputWindow::onDisplaySizeChanged() {
    SettingsDialog* dlg = app_.settingsDialog.get();
    if (!dlg || !dlg->displaySizeSlider) return;
    const int p = dlg->displaySizeSlider->value();
    if (dlg->displaySizeLabel) dlg->displaySizeLabel->setText(percentText(p));
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

void OutputWindow::goFullScreen() {
    if (!isVisible()) return;
    SettingsDialog* dlg = app_.settingsDialog.get();
    if (dlg && dlg->displaySizeSlider) dlg->displaySizeSlider->setValue(100);
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
    if (dlg && dlg->displaySizeSlider) dlg->displaySizeSlider->setValue(100);
}

void OutputWindow::moveToSecondMonitor() {
    if (app_.monitorCount() < 2) return;
    showOnSecondary();
}

void OutputWindow::toggleStayOnTop() {
    stayOnTopAction->setChecked(!stayOnTopAction->isChecked());
    applyStayOnTop();
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
    ViewFit fit;
    if (viewFitFromNumber(app_.state.viewMode, &fit)) outputView->setFit(fit);
    SettingsDialog* dlg = app_.settingsDialog.get();
    const int scale = dlg && dlg->scaleSpin ? dlg->scaleSpin->value() : app_.state.opScaleValue;
    outputView->setScaleFactor(float(scale) / 100.0f);
    outputView->update();
}

void OutputWindow::chooseViewMode(int n) {
    if (!viewFitFromNumber(n, nullptr)) return;
    app_.state.viewMode = n;
    applyViewMode();
}

void OutputWindow::onActivated() {
    setWindowTitle(app_.monitorCount() == 1 ? kSimulationCaption : kCaption);
    if (app_.settingsDialog) app_.settingsDialog->onActivated();
    applyViewMode();
}

void OutputWindow::closeEvent(QCloseEvent* e) {
    // The window is only ever hidden; it lives until the program ends.
    e->ignore();
    outputView->clearPicture();
    app_.state.outputRunning = true;
    if (app_.toolbar) app_.toolbar->toggleRun();
    hide();
}

void OutputWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!isActiveWindow()) return;
    SettingsDialog* dlg = app_.settingsDialog.get();
    if (!dlg || !dlg->displaySizeSlider) return;
    if (app_.monitorCount() == 1)
        dlg->displaySizeSlider->setValue(percentFromOuterWidth(app_.primaryWidth(), frameGeometry().width()));
    if (dlg->displaySizeLabel) dlg->displaySizeLabel->setText(percentText(dlg->displaySizeSlider->value()));
}

void OutputWindow::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

void OutputWindow::contextMenuEvent(QContextMenuEvent* e) { contextMenu->popup(e->globalPos()); }

bool OutputWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == transitionSurface) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            toggleFullScreen();
            return true;
        }
        // The player shares the preview's menu: its one item closes the preview.
        if (event->type() == QEvent::ContextMenu && app_.preview && app_.preview->contextMenu) {
            app_.preview->contextMenu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vz
