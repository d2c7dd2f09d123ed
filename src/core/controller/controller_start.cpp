// Start requests: what the command line, or a second start of the program,
// asks the running copy to do.

#include "core/controller/controller.h"

#include <QCoreApplication>

namespace vz {

QString Controller::carryOut(const StartRequest& r) {
    using S = StartRequest::Source;
    // Everything is checked before anything changes.
    const StartPlan plan = planStart(r, platform_.windows.get(), QCoreApplication::applicationPid());
    if (!plan.error.isEmpty()) return plan.error;
    if (r.viewMode) viewOptions_.setViewMode(*r.viewMode);
    if (r.scalePercent) viewOptions_.setScaleValue(r.scalePercent);
    if (r.rate) viewOptions_.setUpdateRate(r.rate);
    if (r.source == S::None) return {};

    if (!isShown(View::Output)) requestView(View::Output, true);
    switch (r.source) {
        case S::Desktop: startDesktop(); break;
        case S::Area:
            captureArea_ =
                Rect4{r.area.left(), r.area.top(), r.area.left() + r.area.width(), r.area.top() + r.area.height()};
            startDesktopCapture(DesktopScope::Area, SourceChoice::Area);
            break;
        case S::Window:
            startWindowSource();
            chooseWindow(plan.window);
            break;
        case S::Clipboard: startClipboard(); break;
        case S::Slideshow:
            takePlayList(plan.playList);
            // No message box for a command; the tray says it.
            if (!plan.playListCut.isEmpty()) emit trayMessageRequested(Prompter::kCaption, plan.playListCut);
            break;
        case S::Text:
            // The banner goes over whatever the output shows; the source stays.
            sendBanner(plan.banner);
            return {};
        case S::None: break;
    }
    if (!running_) toggleRun();
    return {};
}

}  // namespace vz
