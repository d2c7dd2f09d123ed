#pragma once
// What a start of the program asks of the running copy: a source to start,
// a view mode, an update rate. The command line makes one; a second start
// hands its own to the copy that runs (see app/instance_channel.h).

#include "core/scaling/view_geometry.h"

#include <QRect>
#include <QString>

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

}  // namespace vz
