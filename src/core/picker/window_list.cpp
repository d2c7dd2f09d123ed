#include "core/picker/window_list.h"

#include <QPainter>

#include <algorithm>
#include <vector>

namespace vz::picker {

namespace {

const QString kEmpty = QStringLiteral("Empty");

// Captions of windows that are never listed: the desktop, this program's
// windows (also those of its earlier versions) and the start menu.
const QString kExcludedTitles[] = {
    QStringLiteral("Program Manager"), QStringLiteral("MainForm14142135"),
    QStringLiteral("Vivivoz Options"), QStringLiteral("Vivivoz - Display"),
    QStringLiteral("Start"),           QStringLiteral("StartForm"),
    QStringLiteral("Preview-105202"),
};

QImage makePlaceholder() {
    QImage image(128, 120, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    p.fillRect(QRect(4, 4, 120, 112), QColor(236, 236, 236));
    p.fillRect(QRect(4, 4, 120, 16), QColor(0, 84, 166));
    p.fillRect(QRect(108, 8, 12, 8), QColor(232, 17, 35));
    p.fillRect(QRect(12, 30, 104, 2), QColor(200, 200, 200));
    return image;
}

std::optional<WindowId> windowIdOf(const QString& text) {
    bool ok = false;
    const qulonglong id = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toULongLong(&ok, 16)
                                                                                    : text.toULongLong(&ok, 10);
    if (!ok || id == 0) return std::nullopt;
    return WindowId(id);
}

}  // namespace

QSize thumbnailSize(QSize size) {
    const int w = std::max(size.width(), 1);
    const int h = std::max(size.height(), 1);
    // 64-bit products: a picture may be up to the X limit of 32767 a side.
    if (w > h) return {kThumbnailSide, std::max(1, int(qint64(h) * kThumbnailSide / w))};
    return {std::max(1, int(qint64(w) * kThumbnailSide / h)), kThumbnailSide};
}

int countDistinctColours(const QImage& image, int stopAt) {
    if (image.isNull() || stopAt <= 0) return 0;
    const QImage rgb = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    // Few colours are the common question: a short list answers it without
    // the 2 MiB bit set.
    std::vector<QRgb> few;
    std::vector<std::uint64_t> seen;
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = line[x] & 0xffffffu;
            if (seen.empty()) {
                if (std::find(few.begin(), few.end(), c) != few.end()) continue;
                few.push_back(c);
                if (++count >= stopAt) return count;
                if (few.size() == 16) {
                    seen.assign((1u << 24) / 64, 0);
                    for (QRgb f : few) seen[f >> 6] |= std::uint64_t(1) << (f & 63);
                }
                continue;
            }
            std::uint64_t& word = seen[c >> 6];
            const std::uint64_t bit = std::uint64_t(1) << (c & 63);
            if (word & bit) continue;
            word |= bit;
            if (++count >= stopAt) return count;
        }
    }
    return count;
}

const QImage& placeholderPicture() {
    static const QImage image = makePlaceholder();
    return image;
}

QString listedTitle(const QString& title) { return title.isEmpty() ? kEmpty : title.left(kMaxTextLength); }

QString listedClassName(const QString& className) {
    return className.isEmpty() ? kEmpty : className.left(kMaxTextLength);
}

QString titleBarText(const QString& listedTitle) { return QLatin1Char(' ') + listedTitle.toUpper(); }

bool titleLeftAligned(const QString& listedTitle) { return listedTitle.size() > kCentredTitleLength; }

bool pathLeftAligned(int rowWidth, int textWidth) { return rowWidth < textWidth + 10; }

bool excludedWindow(const WindowInfo& window, qint64 ownProcessId) {
    if (window.desktopOrPanel) return true;
    if (ownProcessId != 0 && window.processId == ownProcessId) return true;
    const QString title = listedTitle(window.title);
    if (title.startsWith(QLatin1String("Vivivoz"))) return true;
    for (const QString& t : kExcludedTitles)
        if (title == t) return true;
    return title == kEmpty && listedClassName(window.className) == QLatin1String("Shell_TrayWnd");
}

QVector<WindowInfo> candidates(QVector<WindowInfo> windows) {
    if (windows.size() > kMaxEntries) windows.resize(kMaxEntries);
    return windows;
}

std::optional<Entry> entryFromPicture(const WindowInfo& window, QImage picture, bool gone, qint64 ownProcessId) {
    if (gone || excludedWindow(window, ownProcessId)) return std::nullopt;
    Entry entry;
    if (countDistinctColours(picture, 3) < 3) {
        picture = placeholderPicture();
        entry.placeholder = true;
    }
    const QSize size = picture.size().expandedTo(QSize(1, 1));
    if (size.width() < kMinWindowSide || size.height() < kMinWindowSide) return std::nullopt;
    entry.id = window.id;
    entry.title = listedTitle(window.title);
    entry.className = listedClassName(window.className);
    entry.processId = window.processId;
    entry.programPath = window.programPath;
    entry.thumbnail = picture.scaled(thumbnailSize(size), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    return entry;
}

std::optional<Entry> makeEntry(Windows& windows, const WindowInfo& window, qint64 ownProcessId, bool atOnce) {
    if (excludedWindow(window, ownProcessId)) return std::nullopt;
    QImage picture;
    bool gone = false;
    const bool taken =
        atOnce ? windows.captureWindowNow(window.id, picture) : windows.captureWindow(window.id, picture);
    if (!taken) {
        picture = QImage();
        // A minimised window is still there and gets the placeholder; a
        // window that closed meanwhile is not listed.
        gone = windows.outerGeometry(window.id).isEmpty();
    }
    return entryFromPicture(window, std::move(picture), gone, ownProcessId);
}

std::optional<WindowId> findListedWindow(const QVector<WindowInfo>& windows, qint64 ownProcessId,
                                         const QString& idOrTitle, QString* error) {
    QVector<WindowInfo> listed;
    for (const WindowInfo& w : windows)
        if (!excludedWindow(w, ownProcessId)) listed << w;
    // A number names a window by its id; one that names none may still be
    // part of a title ("2026").
    if (const std::optional<WindowId> id = windowIdOf(idOrTitle.trimmed())) {
        for (const WindowInfo& w : listed)
            if (w.id == *id) return w.id;
    }
    for (const WindowInfo& w : listed)
        if (w.title.contains(idOrTitle, Qt::CaseInsensitive)) return w.id;
    if (error) *error = QStringLiteral("no window has the id or a title containing '%1'").arg(idOrTitle);
    return std::nullopt;
}

}  // namespace vz::picker
