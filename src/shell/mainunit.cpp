#include "shell/mainunit.h"

#include "app/app.h"
#include "capture/capture_cycle.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/autohide_fade.h"
#include "shell/ustartform.h"
#include "widgets/glyph_button.h"
#include "widgets/glyphs.h"
#include "widgets/movable_panel.h"

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

TMainForm::TMainForm(App& app) : app_(app) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
    setWindowTitle(QStringLiteral("Vivivoz"));
    setFixedSize(ToolbarWidth, ToolbarHeight);
    setMask(roundedOutline(ToolbarWidth, ToolbarHeight));

    panel = new MovablePanel(this);
    panel->setGeometry(0, 0, ToolbarWidth, ToolbarHeight);
    panel->setColor(kPanelColor);
    panel->setDragsWindow(true);

    ImgRun = glyphs::run();
    ImgStop = glyphs::stop();

    auto makeButton = [this](const QRect& place, const QPixmap& glyph, const char* hint) {
        auto* b = new GlyphButton(panel);
        b->setGeometry(place);
        b->setFaceColor(kPanelColor);
        b->setGlyph(glyph);
        b->setToolTip(QString::fromUtf8(hint));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    xbMenu = makeButton(QRect(13, 6, 58, 29), glyphs::cog(), "Settings");
    SpeedButton8 = makeButton(QRect(94, 6, 58, 29), glyphs::sendToSecond(), "Send to Second Monitor");
    xiTekanje = makeButton(QRect(175, 8, 58, 27), ImgRun, "Run");
    connect(xbMenu, &QAbstractButton::clicked, this, &TMainForm::xbMenuClick);
    connect(SpeedButton8, &QAbstractButton::clicked, this, &TMainForm::SpeedButton8Click);
    connect(xiTekanje, &QAbstractButton::clicked, this, &TMainForm::xiTekanjeClick);

    Timer1.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &TMainForm::Timer1Timer);
    Timer1.start();
}

void TMainForm::xiTekanjeClick() {
    AppState& s = app_.state;
    if (app_.isSlideshowEditorVisible() || !app_.fmonitor || !app_.fmonitor->isVisible()) return;
    if (s.SourceMode == source::Stopped) {
        showRunPicture(false);
        return;
    }
    if (s.OutputRunning) {
        s.OutputRunning = false;
        showRunPicture(false);
        if (s.SourceMode == source::Slideshow) s.playstop = true;
        xiTekanje->setToolTip(QStringLiteral("Run"));
        return;
    }
    s.OutputRunning = true;
    showRunPicture(true);
    // The hint goes first: a press during playback stops it and sets "Run",
    // which must not be overwritten when the player returns.
    xiTekanje->setToolTip(QStringLiteral("Stop"));
    if (s.SourceMode == source::Slideshow) {
        s.playstop = false;
        playSlideshow();
    }
}

void TMainForm::playSlideshow() {
    // The toolbar's slideshow player plugs in here; playback is not built yet.
}

void TMainForm::xbMenuClick() {
    if (app_.foptions) app_.foptions->bringUp();
}

void TMainForm::SpeedButton8Click() {
    if (app_.capture) app_.capture->SendFrameToOutput();
}

void TMainForm::FormActivate() {
    if (TStartForm* start = app_.startForm.get()) {
        if (start->AutoHide1->isChecked())
            start->Timer2.start();
        else
            start->Timer2.stop();
    }
    app_.state.ToolbarAlpha = autohide::Opaque;
    setOpacity(autohide::Opaque);
    if (app_.foptions) app_.foptions->FormActivate();

    const int pw = app_.primaryWidth(), ph = app_.primaryHeight();
    if (pw > 0 && ph > 0) {
        QPoint p = pos();
        if (p.x() > pw - 100) p.setX(pw - 250);
        if (p.y() > ph - 60) p.setY(ph - 60);
        if (p != pos()) move(p);
    }
    raise();
}

bool TMainForm::isTopmost() const {
    // X11 offers no reliable way to ask whether the window manager keeps us
    // above the others, so we assume it does not and raise again; raising a
    // window that is already on top changes nothing.
    return false;
}

void TMainForm::Timer1Timer() {
    const AppState& s = app_.state;
    if (s.MenuOpen || app_.isWindowPickerVisible() || app_.isShortcutsWindowVisible() || isTopmost()) return;

    auto bringToFront = [](QWidget* w) {
        w->raise();
        w->update();
    };
    if (isVisible()) bringToFront(this);
    if (app_.fslika && app_.fslika->isVisible()) bringToFront(app_.fslika.get());
    if (app_.fmonitor && app_.fmonitor->sot && app_.fmonitor->sot->isChecked()) bringToFront(app_.fmonitor.get());

    try {
        if (autohide::inTopLeftCorner(app_.platform.pointer->position())) {
            setOpacity(autohide::Opaque);
            app_.state.ToolbarAlpha = autohide::Opaque;
        }
    } catch (...) {
        // A failed pointer read only skips this check; the next tick tries again.
    }
}

void TMainForm::setOpacity(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    // The resting toolbar sets the same value five times a second: only a
    // change goes to the window system.
    if (alpha == opacity_) return;
    opacity_ = alpha;
    setWindowOpacity(opacity_ / 255.0);
}

void TMainForm::showRunPicture(bool stop) {
    stopPicture_ = stop;
    xiTekanje->setGlyph(stop ? ImgStop : ImgRun);
}

void TMainForm::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    // Keep the toolbar from being dragged off the primary screen's right edge.
    const int pw = app_.primaryWidth();
    if (pw > 0 && x() > pw - width()) move(pw - width() - 2, y());
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (app_.startForm) app_.startForm->Timer2.stop();
    // Closing only hides the toolbar; it lives as long as the program. Hide
    // before the settings dialog refreshes, so its toolbar box reads "Off".
    hide();
    if (app_.foptions) app_.foptions->FormActivate();
    e->accept();
}

void TMainForm::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

}  // namespace vz
