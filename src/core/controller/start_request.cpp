#include "core/controller/start_request.h"

#include "core/picker/window_list.h"
#include "core/scrolltext/scroll_text_file.h"
#include "core/scrolltext/scroll_text_form.h"
#include "core/scrolltext/scroll_text_look.h"
#include "core/settings/ini_document.h"
#include "core/slideshow/slideshow_files.h"

namespace vz {

StartPlan planStart(const StartRequest& r, Windows* windows, qint64 ownPid) {
    using S = StartRequest::Source;
    StartPlan plan;
    switch (r.source) {
        case S::Window: {
            if (!windows) {
                plan.error = QStringLiteral("the window list cannot be read");
                break;
            }
            const std::optional<WindowId> found =
                picker::findListedWindow(windows->listWindows(), ownPid, r.window, &plan.error);
            if (found) plan.window = *found;
            break;
        }
        case S::Slideshow: {
            QString why;
            const std::optional<slideshow::PlayListFile> file = slideshow::readPlayListFile(r.file, &why);
            if (!file) {
                plan.error = QStringLiteral("cannot open the slideshow file %1: %2").arg(r.file, why);
                break;
            }
            plan.playList = file->lines;
            if (file->droppedLines > 0) plan.playListCut = slideshow::playListCutMessage(r.file, file->droppedLines);
            // Line 1 the duration, line 2 the loop, then the pictures.
            if (plan.playList.size() < 3)
                plan.error = QStringLiteral("the slideshow file %1 lists no pictures").arg(r.file);
            break;
        }
        case S::Text: {
            IniDocument doc = scrollTextDocument();
            const IniDocument::LoadStatus status = doc.load(r.file);
            if (status == IniDocument::LoadStatus::Missing) {
                plan.error = QStringLiteral("cannot open the scroll-text file %1: the file does not exist").arg(r.file);
                break;
            }
            if (status != IniDocument::LoadStatus::Loaded) {
                plan.error = QStringLiteral("cannot open the scroll-text file %1: %2").arg(r.file, doc.loadError());
                break;
            }
            ScrollTextSettings s;
            applyScrollText(doc, s);
            plan.banner.text = s.text;
            plan.banner.interval = unsigned(s.interval);
            plan.banner.step = unsigned(s.step);
            plan.banner.height = scrolltext::bannerHeight(s.trackPosition);
            plan.banner.look = bandLook(s);
            plan.banner.top = !s.bottom;
            break;
        }
        default: break;
    }
    return plan;
}

}  // namespace vz
