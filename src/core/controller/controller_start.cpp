// Start requests: what the command line, or a second start of the program,
// asks the running copy to do.

#include "core/controller/controller.h"
#include "core/picker/window_list.h"
#include "core/scrolltext/scroll_text_file.h"
#include "core/scrolltext/scroll_text_form.h"
#include "core/scrolltext/scroll_text_look.h"
#include "core/slideshow/slideshow_files.h"

#include <QCoreApplication>

#include <optional>

namespace vz {

std::optional<WindowId> Controller::findWindow(const QString& idOrTitle, QString* error) {
    // The program's own service: listing needs no off-screen copies.
    Windows* windows = platform_.windows.get();
    if (!windows) {
        if (error) *error = QStringLiteral("the window list cannot be read");
        return std::nullopt;
    }
    return picker::findListedWindow(windows->listWindows(), QCoreApplication::applicationPid(), idOrTitle, error);
}

QString Controller::carryOut(const StartRequest& r) {
    using S = StartRequest::Source;
    // Everything is checked before anything changes.
    WindowId window = 0;
    QStringList playList;
    QString playListCut;  // said once the slideshow plays
    BannerOrder banner;
    switch (r.source) {
        case S::Window: {
            QString error;
            const std::optional<WindowId> found = findWindow(r.window, &error);
            if (!found) return error;
            window = *found;
            break;
        }
        case S::Slideshow: {
            QString why;
            const std::optional<slideshow::PlayListFile> file = slideshow::readPlayListFile(r.file, &why);
            if (!file) return QStringLiteral("cannot open the slideshow file %1: %2").arg(r.file, why);
            playList = file->lines;
            if (file->droppedLines > 0) playListCut = slideshow::playListCutMessage(r.file, file->droppedLines);
            // Line 1 the duration, line 2 the loop, then the pictures.
            if (playList.size() < 3) return QStringLiteral("the slideshow file %1 lists no pictures").arg(r.file);
            break;
        }
        case S::Text: {
            IniDocument doc = scrollTextDocument();
            const IniDocument::LoadStatus status = doc.load(r.file);
            if (status == IniDocument::LoadStatus::Missing)
                return QStringLiteral("cannot open the scroll-text file %1: the file does not exist").arg(r.file);
            if (status != IniDocument::LoadStatus::Loaded)
                return QStringLiteral("cannot open the scroll-text file %1: %2").arg(r.file, doc.loadError());
            ScrollTextSettings s;
            applyScrollText(doc, s);
            banner.text = s.text;
            banner.interval = unsigned(s.interval);
            banner.step = unsigned(s.step);
            banner.height = scrolltext::bannerHeight(s.trackPosition);
            banner.look = bandLook(s);
            banner.top = !s.bottom;
            break;
        }
        default: break;
    }

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
            chooseWindow(window);
            break;
        case S::Clipboard: startClipboard(); break;
        case S::Slideshow:
            takePlayList(playList);
            // No message box for a command; the tray says it.
            if (!playListCut.isEmpty()) emit trayMessageRequested(Prompter::kCaption, playListCut);
            break;
        case S::Text:
            // The banner goes over whatever the output shows; the source stays.
            sendBanner(banner);
            return {};
        case S::None: break;
    }
    if (!running_) toggleRun();
    return {};
}

}  // namespace vz
