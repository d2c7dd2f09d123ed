#pragma once
// What a start of the program asks of the running copy: a source to start,
// a view mode, an update rate. The command line makes one; a second start
// hands its own to the copy that runs (see app/instance_channel.h).

#include "core/scaling/view_geometry.h"
#include "core/scrolltext/banner_order.h"
#include "platform/platform.h"

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

namespace vz {

struct StartRequest {
    enum class Source { None, Desktop, Area, Window, Clipboard, Slideshow, Text };
    Source source = Source::None;
    QRect area;                       // Area: root coordinates, width and height at least 1
    QString window;                   // Window: a window id (decimal or 0x hex) or a part of a title
    QString file;                     // Slideshow (.vsl) and Text (.sct): an absolute path
    std::optional<ViewFit> viewMode;  // none: unchanged
    int scalePercent = 0;             // 1..1000 with the Scale mode; 0: unchanged
    int rate = 0;                     // frames per second, 1..1000; 0: unchanged

    bool isEmpty() const { return source == Source::None && !viewMode && rate == 0; }
    bool operator==(const StartRequest&) const = default;
};

// A start request read and checked before anything changes: what carrying
// it out needs, or why it cannot be.
struct StartPlan {
    QString error;         // non-empty: refused, in words for the user
    WindowId window = 0;   // Window: the one found
    QStringList playList;  // Slideshow: the file's lines
    QString playListCut;   // Slideshow: said once it plays, when lines were dropped
    BannerOrder banner;    // Text: the file's text and look
};

// Reads the file the request names, or finds its window among those the
// window picker would list (`windows` null: the list cannot be read; the
// program's own windows, of process `ownPid`, are not listed). An id
// (decimal or 0x hex) or a part of a title names a window; the first match
// in the window manager's order counts.
StartPlan planStart(const StartRequest& request, Windows* windows, qint64 ownPid);

}  // namespace vz
