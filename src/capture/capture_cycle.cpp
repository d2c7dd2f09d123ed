#include "capture/capture_cycle.h"

#include "app/app.h"
#include "capture/pointer_overlay.h"
#include "common/image_copy.h"
#include "display/image_view.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"
#include "widgets/onoff_checkbox.h"

#include <QCoreApplication>

#include <cstdio>

namespace vz {

int captureIntervalForRate(int rate) {
    return 1000 / (rate < 1 ? 1 : rate);
}

CaptureCycle::CaptureCycle(App& app) : app_(app) {
    Timer3zaslon.setTimerType(Qt::PreciseTimer);
    Timer3zaslon.setInterval(200);
    connect(&Timer3zaslon, &QTimer::timeout, this, &CaptureCycle::Timer3zaslonTimer);
}

void CaptureCycle::Timer3zaslonTimer() {
    AppState& s = app_.state;
    if (s.SourceMode == source::Desktop) {
        // The preview and the output get the frame captured at the previous tick.
        if (app_.fslika->isVisible()) app_.fslika->Slika->setPicture(s.DesktopFrame);
        if (app_.fmonitor->isVisible()) {
            QCoreApplication::processEvents();
            copyInto(s.DesktopFrame, s.OutputFrame);
            if (s.OutputRunning) SendFrameToOutput();
        }
        if (s.DesktopScope == 0 || s.DesktopScope == 1) CaptureDesktop(s.DesktopFrame);
    } else if (s.SourceMode == source::Window) {
        if (s.SelectedWindow == 0) {
            ClearImage();
            app_.startForm->BrisiChekS();
            return;
        }
        CaptureWindow(s.SelectedWindow, s.WindowFrame);
        copyInto(s.WindowFrame, s.OutputFrame);
        if (s.OutputRunning) SendFrameToOutput();
        if (app_.fslika->isVisible()) app_.fslika->Slika->setPicture(s.WindowFrame);
        QCoreApplication::processEvents();
    }
}

void CaptureCycle::CaptureDesktop(QImage& frame) {
    AppState& s = app_.state;
    const QRect primary = app_.monitorRect(0);
    const bool showCursor = app_.foptions && app_.foptions->Showcursor1 && app_.foptions->Showcursor1->isChecked();
    const bool showRedPoint = app_.foptions && app_.foptions->RedPOINT && app_.foptions->RedPOINT->isChecked();

    QRect source;
    if (s.DesktopScope == 0) {
        source = primary;
    } else {
        const Rect4& a = s.CaptureArea;
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
        DrawPointerOverlay(frame, app_.platform.pointer->position());
    }
}

void CaptureCycle::DrawPointerOverlay(QImage& frame, QPoint p) {
    PointerOverlay overlay;
    overlay.position = p - OverlayOrigin;
    overlay.redPoint = app_.foptions->RedPOINT->isChecked();
    overlay.cursor = app_.foptions->Showcursor1->isChecked();
    if (overlay.cursor && !app_.platform.pointer->cursorImage(cursor_, overlay.hotSpot)) overlay.cursor = false;
    drawPointerOverlay(frame, overlay, cursor_);
}

void CaptureCycle::CaptureWindow(WindowId window, QImage& frame) {
    // A window that is gone leaves the frame (and so the output) as it was.
    if (app_.platform.windows->outerGeometry(window).isEmpty()) return;
    app_.platform.windows->captureWindow(window, frame);
}

void CaptureCycle::SendFrameToOutput() {
    TFmonitor& out = *app_.fmonitor;
    if (!out.isVisible()) return;
    const int mode = app_.state.SourceMode;
    if (mode != source::Slideshow) {
        out.Pixa->hide();
        out.image->show();
    }
    if (mode != source::Stopped)
        out.image->setPicture(app_.state.OutputFrame);
    else
        ClearImage();
}

namespace {
QImage blackPicture(QSize size) {
    QImage black(size.expandedTo(QSize(0, 0)) + QSize(1, 1), QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
}
}  // namespace

void CaptureCycle::ClearImage() { blankOutput(false); }

void CaptureCycle::ClearImageLight() { blankOutput(true); }

void CaptureCycle::blankOutput(bool light) {
    TFmonitor& out = *app_.fmonitor;
    ImageView& preview = *app_.fslika->Slika;
    QImage black = blackPicture(out.image->size());
    out.image->clearPicture();
    // Only the full clear stops a running output and hides the view meanwhile.
    if (!light && app_.state.OutputRunning) app_.mainForm->xiTekanjeClick();
    if (!light) out.image->hide();
    out.image->setPicture(black);
    preview.setPicture(black);
    preview.clearPicture();
    QCoreApplication::processEvents();
    if (!light) out.image->show();
    copyInto(blackPicture(preview.size()), app_.state.OutputFrame);
    QCoreApplication::processEvents();
}

void CaptureCycle::UpdateRateChange(int rate) {
    if (rate >= app_.state.MaxUpdateRate) app_.state.MaxUpdateRate = rate;
    Timer3zaslon.setInterval(captureIntervalForRate(rate));
}

}  // namespace vz
