// The picker's list rules without any window: thumbnail sizes, which windows
// are left out, how titles are laid out, the colour count and the entry made
// from a window's picture.

#include "core/picker/window_list.h"
#include "platform/fake/fake_platform.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace vz::picker {
namespace {

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

// A picture with three colours: enough to be shown as itself.
QImage striped(QSize size) {
    QImage img = solid(size, qRgb(255, 0, 0));
    QPainter p(&img);
    p.fillRect(QRect(0, 0, size.width(), size.height() / 3 + 1), QColor(0, 255, 0));
    p.fillRect(QRect(0, 0, size.width(), size.height() / 6 + 1), QColor(0, 0, 255));
    return img;
}

TEST(ThumbnailSize, LongerSideIs120OtherInProportion) {
    const struct {
        QSize window, thumbnail;
    } cases[] = {
        {{1920, 1080}, {120, 67}}, {{800, 600}, {120, 90}},      {{600, 800}, {90, 120}}, {{500, 500}, {120, 120}},
        {{20, 20}, {120, 120}},    {{128, 120}, {120, 112}},     {{121, 1}, {120, 1}},    {{32767, 20}, {120, 1}},
        {{0, 0}, {120, 120}},      {{32767, 32767}, {120, 120}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(thumbnailSize(c.window), c.thumbnail) << c.window.width() << "x" << c.window.height();
}

TEST(DistinctColours, CountsEveryRgbValueOnceIgnoringAlpha) {
    EXPECT_EQ(countDistinctColours(QImage()), 0);
    EXPECT_EQ(countDistinctColours(solid({40, 30}, qRgb(1, 2, 3))), 1);
    EXPECT_EQ(countDistinctColours(striped({40, 30})), 3);
    // Alpha is not part of the colour.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(9, 9, 9, 255));
    argb.setPixel(1, 0, qRgba(9, 9, 9, 0));
    EXPECT_EQ(countDistinctColours(argb), 1);
    // Many colours (past the short list): every value of a gradient once.
    QImage ramp(256, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x) ramp.setPixel(x, y, qRgb(x, y, (x + y) & 1));
    EXPECT_EQ(countDistinctColours(ramp), 256 * 64);
    EXPECT_EQ(countDistinctColours(ramp, 3), 3);
    // Other pixel formats count by their RGB value.
    EXPECT_EQ(countDistinctColours(striped({40, 30}).convertToFormat(QImage::Format_RGB888)), 3);
}

TEST(Titles, CentredUpToFortyFiveCharactersUpperCaseAfterABlank) {
    const struct {
        QString title;
        QString listed, bar;
        bool left;
    } cases[] = {
        {QString(), "Empty", " EMPTY", false},
        {"Mail - Inbox", "Mail - Inbox", " MAIL - INBOX", false},
        {QString(45, 'a'), QString(45, 'a'), " " + QString(45, 'A'), false},
        {QString(46, 'a'), QString(46, 'a'), " " + QString(46, 'A'), true},
        {QString(300, 'b'), QString(255, 'b'), " " + QString(255, 'B'), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(listedTitle(c.title), c.listed);
        EXPECT_EQ(titleBarText(listedTitle(c.title)), c.bar);
        EXPECT_EQ(titleLeftAligned(listedTitle(c.title)), c.left) << c.title.size();
    }
    EXPECT_EQ(listedClassName(QString()), "Empty");
    EXPECT_FALSE(pathLeftAligned(110, 100));
    EXPECT_TRUE(pathLeftAligned(109, 100));
}

TEST(Exclusions, DesktopPanelsTaskbarAndOwnWindowsAreNeverListed) {
    constexpr qint64 own = 4242;
    const struct {
        const char* what;
        WindowInfo window;
        bool excluded;
    } cases[] = {
        {"ordinary", {.id = 1, .title = "Editor", .className = "Gedit", .processId = 7}, false},
        {"untitled", {.id = 1, .title = "", .className = "XTerm", .processId = 7}, false},
        {"desktop flag", {.id = 1, .title = "Desktop", .processId = 7, .desktopOrPanel = true}, true},
        {"panel flag", {.id = 1, .title = "", .className = "trayer", .desktopOrPanel = true}, true},
        {"Program Manager", {.id = 1, .title = "Program Manager"}, true},
        {"taskbar", {.id = 1, .title = "", .className = "Shell_TrayWnd"}, true},
        {"titled Shell_TrayWnd", {.id = 1, .title = "x", .className = "Shell_TrayWnd"}, false},
        {"own process", {.id = 1, .title = "About Vivivoz", .processId = own}, true},
        {"own caption", {.id = 1, .title = "Vivivoz - Settings", .processId = 7}, true},
        {"caption beginning so", {.id = 1, .title = "Vivivozzz", .processId = 7}, true},
        {"caption containing it", {.id = 1, .title = "About Vivivoz", .processId = 7}, false},
        {"preview", {.id = 1, .title = "Preview-105202", .processId = 7}, true},
        {"start", {.id = 1, .title = "Start"}, true},
        {"start form", {.id = 1, .title = "StartForm"}, true},
        {"main form", {.id = 1, .title = "MainForm14142135"}, true},
        {"starts with Start", {.id = 1, .title = "Started"}, false},
    };
    for (const auto& c : cases) EXPECT_EQ(excludedWindow(c.window, own), c.excluded) << c.what;
}

TEST(Entry, SizeRulePlaceholderAndVanishedWindows) {
    const WindowInfo info{
        .id = 5, .title = "Editor", .className = "Gedit", .processId = 9, .programPath = "/usr/bin/gedit"};
    const struct {
        const char* what;
        QImage picture;
        bool gone;
        bool listed;
        bool placeholder;
        QSize thumbnail;
    } cases[] = {
        {"ordinary", striped({800, 600}), false, true, false, {120, 90}},
        {"portrait", striped({600, 800}), false, true, false, {90, 120}},
        {"15 high, colourful", striped({300, 15}), false, false, false, {}},
        {"15 high, blank", solid({300, 15}, qRgb(0, 0, 0)), false, true, true, {120, 112}},
        {"two colours",
         [] {
             QImage i = solid({50, 50}, qRgb(1, 1, 1));
             i.setPixel(0, 0, qRgb(2, 2, 2));
             return i;
         }(),
         false,
         true,
         true,
         {120, 112}},
        {"no picture (minimised)", QImage(), false, true, true, {120, 112}},
        {"20 x 20", striped({20, 20}), false, true, false, {120, 120}},
        {"19 wide", striped({19, 40}), false, false, false, {}},
        {"vanished", QImage(), true, false, false, {}},
    };
    for (const auto& c : cases) {
        const auto entry = entryFromPicture(info, c.picture, c.gone, 1);
        ASSERT_EQ(entry.has_value(), c.listed) << c.what;
        if (!entry) continue;
        EXPECT_EQ(entry->placeholder, c.placeholder) << c.what;
        EXPECT_EQ(entry->thumbnail.size(), c.thumbnail) << c.what;
        EXPECT_EQ(entry->id, 5u);
        EXPECT_EQ(entry->programPath, "/usr/bin/gedit");
    }
    // The thumbnail is the picture scaled, not cut: its corners keep their colours.
    const auto entry = entryFromPicture(info, striped({800, 600}), false, 1);
    EXPECT_EQ(entry->thumbnail.pixel(60, 1), qRgb(0, 0, 255));
    EXPECT_EQ(entry->thumbnail.pixel(60, 88), qRgb(255, 0, 0));
    EXPECT_EQ(placeholderPicture().size(), QSize(128, 120));
    EXPECT_GE(countDistinctColours(placeholderPicture()), 3);
}

TEST(Entry, MadeThroughTheWindowsService) {
    FakeDesktop desktop;
    desktop.windows[1] = {QRect(0, 0, 640, 480), striped({640, 480}), "Shown", "App", "/bin/app"};
    desktop.windows[2] = {QRect(0, 0, 640, 480), QImage(), "Minimised", "App", "/bin/app", false};
    Platform platform = makeFakePlatform(desktop);
    const QVector<WindowInfo> list = platform.windows->listWindows();
    auto shown = makeEntry(*platform.windows, list[0], 1);
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->placeholder);
    EXPECT_EQ(shown->thumbnail.size(), QSize(120, 90));
    auto minimised = makeEntry(*platform.windows, list[1], 1);
    ASSERT_TRUE(minimised);
    EXPECT_TRUE(minimised->placeholder);
    // Closed between the listing and its picture: not listed.
    desktop.windows.remove(1);
    EXPECT_FALSE(makeEntry(*platform.windows, list[0], 1));
}

TEST(Candidates, TheFirst501WindowsOnly) {
    QVector<WindowInfo> many(600);
    for (int i = 0; i < many.size(); ++i) many[i].id = WindowId(i + 1);
    const auto list = candidates(many);
    ASSERT_EQ(list.size(), kMaxEntries);
    EXPECT_EQ(list.last().id, 501u);
    EXPECT_EQ(candidates(many.mid(0, 3)).size(), 3);
}

}  // namespace
}  // namespace vz::picker
