#include "ui/toolbar/toolbar.h"

#include "app/app.h"
#include "app/capture_cycle.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "core/controller/autohide_fade.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/movable_panel.h"

#include <QAction>
#include <QCloseEvent>
#include <QPainterPath>
#include <QRegion>

#include <algorithm>

namespace vz {

namespace {

const QColor kPanelColor(67, 74, 84);

// The window's outline: a rectangle whose corners are quarter ellipses of
// 13 x 13 pixels.
QRegion roundedOutline(int w, int h) {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, w, h), 6.5, 6.5);
    return QRegion(path.toFillPolygon().toPolygon());
}

}  // namespace

Toolbar::Toolbar(App& app) : app_(app) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setWindowTitle(QStringLiteral("Vivivoz"));
    setFixedSize(ToolbarWidth, ToolbarHeight);
    setMask(roundedOutline(ToolbarWidth, ToolbarHeight));

    panel = new MovablePanel(this);
    panel->setGeometry(0, 0, ToolbarWidth, ToolbarHeight);
    panel->setColor(kPanelColor);
    panel->setDragsWindow(true);

    runPicture = glyphs::run();
    stopPicture = glyphs::stop();

    auto makeButton = [this](const QRect& place, const QPixmap& glyph, const char* hint) {
        auto* b = new GlyphButton(panel);
        b->setGeometry(place);
        b->setFaceColor(kPanelColor);
        b->setGlyph(glyph);
        b->setToolTip(QString::fromUtf8(hint));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    settingsButton = makeButton(QRect(13, 6, 58, 29), glyphs::cog(), "Settings");
    sendButton = makeButton(QRect(94, 6, 58, 29), glyphs::sendToSecond(), "Send to Second Monitor");
    runStopButton = makeButton(QRect(175, 8, 58, 27), runPicture, "Run");
    connect(settingsButton, &QAbstractButton::clicked, this, &Toolbar::onSettingsClicked);
    connect(sendButton, &QAbstractButton::clicked, this, &Toolbar::onSendClicked);
    connect(runStopButton, &QAbstractButton::clicked, this, &Toolbar::toggleRun);

    keepOnTopTimer.setInterval(1000);
    connect(&keepOnTopTimer, &QTimer::timeout, this, &Toolbar::keepOnTopTick);
    keepOnTopTimer.start();
}

void Toolbar::toggleRun() {
    ProgramState& s = app_.state;
    if (app_.isSlideshowEditorVisible() || !app_.output || !app_.output->isVisible()) return;
    if (s.source == source::Stopped) {
        showRunPicture(false);
        return;
    }
    if (s.outputRunning) {
        s.outputRunning = false;
        showRunPicture(false);
        if (s.source == source::Slideshow) s.toolbarStopRequested = true;
        runStopButton->setToolTip(QStringLiteral("Run"));
        return;
    }
    s.outputRunning = true;
    showRunPicture(true);
    // The hint goes first: a press during playback stops it and sets "Run",
    // which must not be overwritten when the player returns.
    runStopButton->setToolTip(QStringLiteral("Stop"));
    if (s.source == source::Slideshow) {
        s.toolbarStopRequested = false;
        playSlideshow();
    }
}

void Toolbar::playSlideshow() {
    // The toolbar's slideshow player plugs in here; playback is not built yet.
}

void Toolbar::onSettingsClicked() {
    if (app_.settingsDialog) app_.settingsDialog->bringUp();
}

void Toolbar::onSendClicked() {
    if (app_.capture) app_.capture->sendFrameToOutput();
}

void Toolbar::onActivated() {
    if (TrayIcon* start = app_.tray.get()) {
        if (start->autoHideAction->isChecked())
            start->autoHideTimer.start();
        else
            start->autoHideTimer.stop();
    }
    app_.state.toolbarAlpha = autohide::Opaque;
    setOpacity(autohide::Opaque);
    if (app_.settingsDialog) app_.settingsDialog->onActivated();

    const int pw = app_.primaryWidth(), ph = app_.primaryHeight();
    if (pw > 0 && ph > 0) {
        QPoint p = pos();
        if (p.x() > pw - 100) p.setX(pw - 250);
        if (p.y() > ph - 60) p.setY(ph - 60);
        if (p != pos()) move(p);
    }
    raise();
}

bool Toolbar::isTopmost() const {
    // X11 offers no reliable way to ask whether the window manager keeps us
    // above the others, so we assume it does not and raise again; raising a
    // window that is already on top changes nothing.
    return false;
}

void Toolbar::keepOnTopTick() {
    const ProgramState& s = app_.state;
    if (s.menuOpen || app_.isWindowPickerVisible() || app_.isShortcutsWindowVisible() || isTopmost()) return;

    auto bringToFront = [](QWidget* w) {
        w->raise();
        w->update();
    };
    if (isVisible()) bringToFront(this);
    if (app_.preview && app_.preview->isVisible()) bringToFront(app_.preview.get());
    if (app_.output && app_.output->stayOnTopAction && app_.output->stayOnTopAction->isChecked()) bringToFront(app_.output.get());

    try {
        if (autohide::inTopLeftCorner(app_.platform.pointer->position())) {
            setOpacity(autohide::Opaque);
            app_.state.toolbarAlpha = autohide::Opaque;
        }
    } catch (...) {
        // A failed pointer read only skips this check; the next tick tries again.
    }
}

void Toolbar::setOpacity(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    // The resting toolbar sets the same value five times a second: only a
    // change goes to the window system.
    if (alpha == opacity_) return;
    opacity_ = alpha;
    setWindowOpacity(opacity_ / 255.0);
}

void Toolbar::showRunPicture(bool stop) {
    stopPicture_ = stop;
    runStopButton->setGlyph(stop ? stopPicture : runPicture);
}

void Toolbar::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    // Keep the toolbar from being dragged off the primary screen's right edge.
    const int pw = app_.primaryWidth();
    if (pw > 0 && x() > pw - width()) move(pw - width() - 2, y());
}

void Toolbar::closeEvent(QCloseEvent* e) {
    if (app_.tray) app_.tray->autoHideTimer.stop();
    // Closing only hides the toolbar; it lives as long as the program. Hide
    // before the settings dialog refreshes, so its toolbar box reads "Off".
    hide();
    if (app_.settingsDialog) app_.settingsDialog->onActivated();
    e->accept();
}

void Toolbar::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

}  // namespace vz
