#pragma once
// The window picker's list without any window: which top-level windows are
// listed, how big their thumbnails are, how their titles are laid out, and
// the thumbnail of one window made through the Windows service.

#include "platform/platform.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

#include <optional>

namespace vz::picker {

// The list has this many places; windows beyond them are not listed.
constexpr int kMaxEntries = 501;
// The longer side of a thumbnail.
constexpr int kThumbnailSide = 120;
// A window's picture must be at least this wide and high to be listed.
constexpr int kMinWindowSide = 20;
// Titles longer than this are shown left-aligned, shorter ones centred.
constexpr int kCentredTitleLength = 45;
// Titles and class names are read up to this many characters.
constexpr int kMaxTextLength = 255;

// Thumbnail size for a picture of `size`: 120 pixels on the longer side,
// the other side in proportion (integer division, at least 1 pixel).
QSize thumbnailSize(QSize size);

// Number of distinct 24-bit RGB colours in `image`, counting stops as soon
// as `stopAt` colours were found. An empty image has none.
int countDistinctColours(const QImage& image, int stopAt = 1 << 24);

// The picture shown for a window whose own picture is unavailable: a 128 x
// 120 generic window (blue title bar, light grey body).
const QImage& placeholderPicture();

// Title as listed: "Empty" when the window has none; at most 255 characters.
QString listedTitle(const QString& title);
// Class name as listed: "Empty" when empty; at most 255 characters.
QString listedClassName(const QString& className);
// The title bar's text: a blank and the title in upper case.
QString titleBarText(const QString& listedTitle);
// Whether the title bar shows the title left-aligned (else centred).
bool titleLeftAligned(const QString& listedTitle);
// Whether the path row shows the path left-aligned: the row is narrower than
// the text plus 10 pixels.
bool pathLeftAligned(int rowWidth, int textWidth);

// Windows that are never listed, whatever their picture: the desktop, the
// panels and the taskbar, this program's own windows (by process, and by the
// captions they all begin with).
bool excludedWindow(const WindowInfo& window, qint64 ownProcessId);

// One listed window.
struct Entry {
    WindowId id = 0;
    QString title;      // as listed ("Empty" for none)
    QString className;  // as listed
    qint64 processId = 0;
    QString programPath;  // empty when unknown
    QImage thumbnail;     // thumbnailSize() of the window's picture (or the placeholder)
    bool placeholder = false;
};

// The windows a rebuild goes through: the first 501 of the list.
QVector<WindowInfo> candidates(QVector<WindowInfo> windows);

// The window `idOrTitle` names among those the picker would list: by its id
// (decimal or 0x hex) when one has it, else the first whose title contains
// it (case-insensitive), in the given order. None, with the reason in
// `error`, when no window matches.
std::optional<WindowId> findListedWindow(const QVector<WindowInfo>& windows, qint64 ownProcessId,
                                         const QString& idOrTitle, QString* error);

// Makes the entry of `window` from a picture of it: none when the window is
// excluded, its picture is smaller than 20 x 20 pixels, or the window
// vanished before its picture could be taken. A picture with fewer than 3
// colours (a minimised window, one that draws nothing) is replaced by the
// placeholder.
// `atOnce`: the picture is taken without waiting for the applications to
// redraw what was covered (see Windows::redrawnBy).
std::optional<Entry> makeEntry(Windows& windows, const WindowInfo& window, qint64 ownProcessId, bool atOnce = false);

// The same from a picture already taken (`captured` false: none could be
// taken, `gone`: because the window no longer exists).
std::optional<Entry> entryFromPicture(const WindowInfo& window, QImage picture, bool gone, qint64 ownProcessId);

}  // namespace vz::picker
