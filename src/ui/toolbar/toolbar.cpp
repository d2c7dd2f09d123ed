#include "ui/toolbar/toolbar.h"

#include "core/controller/autohide_fade.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/movable_panel.h"
#include "ui/widgets/stacking.h"

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

Toolbar::Toolbar(Controller& controller, Platform& platform) : controller_(controller), platform_(platform) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setWindowTitle(QStringLiteral("Vivivoz"));
    setFixedSize(kToolbarWidth, kToolbarHeight);
    setMask(roundedOutline(kToolbarWidth, kToolbarHeight));
    // Its hints show while another window is the active one, as it mostly is.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    stacking::yieldToDialogs(this);

    panel = new MovablePanel(this);
    panel->setGeometry(0, 0, kToolbarWidth, kToolbarHeight);
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
    connect(settingsButton, &QAbstractButton::clicked, this,
            [this] { controller_.requestView(View::SettingsDialog, true); });
    connect(sendButton, &QAbstractButton::clicked, &controller_, &Controller::sendFrameToOutput);
    connect(runStopButton, &QAbstractButton::clicked, &controller_, &Controller::toggleRun);

    keepOnTopTimer.setInterval(1000);
    connect(&keepOnTopTimer, &QTimer::timeout, this, &Toolbar::keepOnTopTick);
    keepOnTopTimer.start();
    autoHideTimer.setInterval(200);
    connect(&autoHideTimer, &QTimer::timeout, this, &Toolbar::autoHideTick);

    connect(&controller_, &Controller::runningChanged, this, [this](bool running) {
        showRunPicture(running);
        runStopButton->setToolTip(running ? QStringLiteral("Stop") : QStringLiteral("Run"));
    });
    connect(&controller_.tray(), &TrayOptions::autoHideChanged, this, [this](bool on) {
        if (!on) {
            alpha_ = autohide::Opaque;
            setOpacity(autohide::Opaque);
        }
        updateFade();
    });
    connect(&controller_, &Controller::settingsApplied, this, &Toolbar::applyLoadedSettings);
}

void Toolbar::applyLoadedSettings() { move(controller_.toolbarPosition()); }

void Toolbar::updateFade() {
    if (controller_.tray().autoHide() && isVisible())
        autoHideTimer.start();
    else
        autoHideTimer.stop();
}

void Toolbar::onActivated() {
    alpha_ = autohide::Opaque;
    setOpacity(autohide::Opaque);
    updateFade();
    // Measured from the primary's corner, wherever it stands.
    const QRect primary = controller_.screens().desk().logicalPrimary();
    if (!primary.isEmpty()) {
        QPoint p = pos() - primary.topLeft();
        if (p.x() > primary.width() - 100) p.setX(primary.width() - 250);
        if (p.y() > primary.height() - 60) p.setY(primary.height() - 60);
        p += primary.topLeft();
        if (p != pos()) move(p);
    }
    raise();
}

void Toolbar::keepOnTopTick() {
    if (controller_.tray().menuOpen() || controller_.isShown(View::WindowPicker) ||
        controller_.isShown(View::Shortcuts))
        return;
    if (isVisible() && !stacking::dialogOpen()) {
        raise();
        update();
    }
    try {
        if (autohide::inTopLeftCorner(platform_.pointer->position())) {
            setOpacity(autohide::Opaque);
            alpha_ = autohide::Opaque;
        }
    } catch (...) {
        // A failed pointer read only skips this check; the next tick tries again.
    }
}

void Toolbar::autoHideTick() {
    try {
        if (!controller_.tray().autoHide()) return;
        const QPoint screen = platform_.pointer->position();
        // geometry() of a top-level window is its client area on the screen.
        const QPoint client = screen - geometry().topLeft();
        const auto r = autohide::autoHideTick(alpha_, client, screen, size());
        alpha_ = r.alpha;
        if (r.opacityChanged) setOpacity(r.opacity);
    } catch (...) {
        // A failed tick changes nothing; the next one runs normally.
    }
}

void Toolbar::setOpacity(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    opacity_ = alpha;
    // Without a compositing manager a translucent window looks opaque: the
    // toolbar vanishes as soon as it would start to fade.
    const bool fades = opacityShows();
    setVanished(!fades && alpha < autohide::Opaque);
    // The resting toolbar sets the same value five times a second: only a
    // change goes to the window system.
    const qreal level = fades ? alpha / 255.0 : 1.0;
    if (level == windowOpacity_) return;
    windowOpacity_ = level;
    setWindowOpacity(level);
}

bool Toolbar::opacityShows() const {
    const auto& compositing = platform_.compositing;
    return !compositing || compositing();
}

void Toolbar::setVanished(bool vanished) {
    if (vanished == vanished_) return;
    vanished_ = vanished;
    // A shape that lies wholly outside the window: nothing of it is drawn
    // and the pointer reaches what lies below.
    setMask(vanished ? QRegion(-2, -2, 1, 1) : roundedOutline(kToolbarWidth, kToolbarHeight));
}

void Toolbar::showRunPicture(bool stop) {
    stopPicture_ = stop;
    runStopButton->setGlyph(stop ? stopPicture : runPicture);
}

void Toolbar::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    // Keep the toolbar from being dragged off the primary screen's right edge.
    const QRect primary = controller_.screens().desk().logicalPrimary();
    const int limit = primary.left() + primary.width() - width();
    if (!primary.isEmpty() && x() > limit) move(limit - 2, y());
}

void Toolbar::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // Shown with auto-hide on, the toolbar starts opaque and fades as after
    // an activation, whether or not the window manager activates it.
    alpha_ = autohide::Opaque;
    setOpacity(autohide::Opaque);
    updateFade();
}

void Toolbar::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    // Hidden (closed, or switched off from the tray): nothing to fade.
    autoHideTimer.stop();
}

void Toolbar::closeEvent(QCloseEvent* e) {
    // Closing only hides the toolbar; it lives as long as the program.
    hide();
    e->accept();
}

void Toolbar::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

}  // namespace vz
