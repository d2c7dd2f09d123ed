#include "app/capture_cycle.h"

#include "app/app.h"
#include "core/capture/pointer_overlay.h"
#include "core/capture/image_copy.h"
#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/onoff_checkbox.h"

#include <QCoreApplication>

#include <cstdio>

namespace vz {

int captureIntervalForRate(int rate) {
    return 1000 / (rate < 1 ? 1 : rate);
}

CaptureCycle::CaptureCycle(App& app) : app_(app) {
    captureTimer.setTimerType(Qt::PreciseTimer);
    captureTimer.setInterval(200);
    connect(&captureTimer, &QTimer::timeout, this, &CaptureCycle::captureTick);
}

void CaptureCycle::captureTick() {
    ProgramState& s = app_.state;
    if (s.source == source::Desktop) {
        // The preview and the output get the frame captured at the previous tick.
        if (app_.preview->isVisible()) app_.preview->previewView->setPicture(s.desktopFrame);
        if (app_.output->isVisible()) {
            QCoreApplication::processEvents();
            copyInto(s.desktopFrame, s.outputFrame);
            if (s.outputRunning) sendFrameToOutput();
        }
        if (s.desktopScope == 0 || s.desktopScope == 1) captureDesktop(s.desktopFrame);
    } else if (s.source == source::Window) {
        if (s.selectedWindow == 0) {
            clearOutput();
            app_.tray->clearSourceMarks();
            return;
        }
        captureSelectedWindow(s.selectedWindow, s.windowFrame);
        copyInto(s.windowFrame, s.outputFrame);
        if (s.outputRunning) sendFrameToOutput();
        if (app_.preview->isVisible()) app_.preview->previewView->setPicture(s.windowFrame);
        QCoreApplication::processEvents();
    }
}

void CaptureCycle::captureDesktop(QImage& frame) {
    ProgramState& s = app_.state;
    const QRect primary = app_.monitorRect(0);
    const bool showCursor = app_.settingsDialog && app_.settingsDialog->showCursorBox && app_.settingsDialog->showCursorBox->isChecked();
    const bool showRedPoint = app_.settingsDialog && app_.settingsDialog->redPointBox && app_.settingsDialog->redPointBox->isChecked();

    QRect source;
    if (s.desktopScope == 0) {
        source = primary;
    } else {
        const Rect4& a = s.captureArea;
        source = QRect(a.Left, a.Top, a.Right - a.Left, a.Bottom - a.Top).translated(primary.topLeft());
        if (source.isEmpty()) {
            frame = QImage();  // a zero-sized area gives an empty frame
            return;
        }
    }
    if (!app_.platform.screen->captureScreen(source, frame)) {
        static bool reported = false;
        if (!reported) std::fprintf(stderr, "vivivoz: the screen could not be captured\n");
        reported = true;
        return;
    }
    if (showCursor || showRedPoint) {
        OverlayOrigin = source.topLeft();
        drawPointer(frame, app_.platform.pointer->position());
    }
}

void CaptureCycle::drawPointer(QImage& frame, QPoint p) {
    PointerOverlay overlay;
    overlay.position = p - OverlayOrigin;
    overlay.redPoint = app_.settingsDialog->redPointBox->isChecked();
    overlay.cursor = app_.settingsDialog->showCursorBox->isChecked();
    if (overlay.cursor && !app_.platform.pointer->cursorImage(cursor_, overlay.hotSpot)) overlay.cursor = false;
    drawPointerOverlay(frame, overlay, cursor_);
}

void CaptureCycle::captureSelectedWindow(WindowId window, QImage& frame) {
    // A window that is gone leaves the frame (and so the output) as it was.
    if (app_.platform.windows->outerGeometry(window).isEmpty()) return;
    app_.platform.windows->captureWindow(window, frame);
}

void CaptureCycle::sendFrameToOutput() {
    OutputWindow& out = *app_.output;
    if (!out.isVisible()) return;
    const int mode = app_.state.source;
    if (mode != source::Slideshow) {
        out.transitionSurface->hide();
        out.outputView->show();
    }
    if (mode != source::Stopped)
        out.outputView->setPicture(app_.state.outputFrame);
    else
        clearOutput();
}

namespace {
QImage blackPicture(QSize size) {
    QImage black(size.expandedTo(QSize(0, 0)) + QSize(1, 1), QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
}
}  // namespace

void CaptureCycle::clearOutput() { blankOutput(false); }

void CaptureCycle::clearOutputLight() { blankOutput(true); }

void CaptureCycle::blankOutput(bool light) {
    OutputWindow& out = *app_.output;
    ImageView& preview = *app_.preview->previewView;
    QImage black = blackPicture(out.outputView->size());
    out.outputView->clearPicture();
    // Only the full clear stops a running output and hides the view meanwhile.
    if (!light && app_.state.outputRunning) app_.toolbar->toggleRun();
    if (!light) out.outputView->hide();
    out.outputView->setPicture(black);
    preview.setPicture(black);
    preview.clearPicture();
    QCoreApplication::processEvents();
    if (!light) out.outputView->show();
    copyInto(blackPicture(preview.size()), app_.state.outputFrame);
    QCoreApplication::processEvents();
}

void CaptureCycle::setUpdateRate(int rate) {
    if (rate >= app_.state.maxUpdateRate) app_.state.maxUpdateRate = rate;
    captureTimer.setInterval(captureIntervalForRate(rate));
}

}  // namespace vz
