#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vz {
namespace {

using S = StartRequest::Source;

StartRequest request(S source, QRect area = {}, QString window = {}, QString file = {}) {
    StartRequest r;
    r.source = source;
    r.area = area;
    r.window = window;
    r.file = file;
    return r;
}

StartRequest viewAndRate(int mode, int percent, int rate) {
    StartRequest r;
    r.viewMode = viewFitFromNumber(mode);  // 0: none
    r.scalePercent = percent;
    r.rate = rate;
    return r;
}

TEST(CommandLine, ParsesEveryOption) {
    struct Case {
        QStringList args;
        bool help, version;
        const char* dir;
        StartRequest request;
    };
    const Case cases[] = {
        {{}, false, false, "", {}},
        {{"--help"}, true, false, "", {}},
        {{"-h"}, true, false, "", {}},
        {{"--version"}, false, true, "", {}},
        {{"--config-dir", "/tmp/c"}, false, false, "/tmp/c", {}},
        {{"--config-dir=/tmp/d", "--start", "desktop"}, false, false, "/tmp/d", request(S::Desktop)},
        {{"--start=desktop"}, false, false, "", request(S::Desktop)},
        {{"--start", "clipboard"}, false, false, "", request(S::Clipboard)},
        {{"--start", "area", "100,100,400,300"}, false, false, "", request(S::Area, QRect(100, 100, 400, 300))},
        {{"--start=area", "-50, 0,1,1"}, false, false, "", request(S::Area, QRect(-50, 0, 1, 1))},
        {{"--start", "window", "0x1a00007"}, false, false, "", request(S::Window, {}, "0x1a00007")},
        {{"--start", "window", "Mozilla Firefox"}, false, false, "", request(S::Window, {}, "Mozilla Firefox")},
        // Files are made absolute against the working folder.
        {{"--start", "slideshow", "shows/a.vsl"},
         false,
         false,
         "",
         request(S::Slideshow, {}, {}, "/work/here/shows/a.vsl")},
        {{"--start", "text", "/x/../y/b.sct"}, false, false, "", request(S::Text, {}, {}, "/y/b.sct")},
        // A name starting with ':' is a file here, not one of Qt's resources.
        {{"--start", "text", ":"}, false, false, "", request(S::Text, {}, {}, "/work/here/:")},
        {{"--start", "text", ":/a.sct"}, false, false, "", request(S::Text, {}, {}, "/work/here/:/a.sct")},
        // The last --start wins, and leaves nothing of the one before.
        {{"--start", "window", "x", "--start", "desktop"}, false, false, "", request(S::Desktop)},
        {{"--view", "stretch", "--rate", "25"}, false, false, "", viewAndRate(2, 0, 25)},
        {{"--view=Scale:250"}, false, false, "", viewAndRate(5, 250, 0)},
        {{"--view", "scale", "--rate=1000"}, false, false, "", viewAndRate(5, 0, 1000)},
        {{"--view", "normal", "--rate", "1"}, false, false, "", viewAndRate(1, 0, 1)},
        // The last --view wins, without the percentage of the one before.
        {{"--view", "scale:220", "--view=optimal"}, false, false, "", viewAndRate(3, 0, 0)},
        {{"--view", "scale:220", "--view", "scale"}, false, false, "", viewAndRate(5, 0, 0)},
    };
    for (const Case& c : cases) {
        const CommandLine cl = parseCommandLine(c.args, QStringLiteral("/work/here"));
        const QString what = c.args.join(QLatin1Char(' '));
        EXPECT_TRUE(cl.error.isEmpty()) << qPrintable(what) << ": " << qPrintable(cl.error);
        EXPECT_EQ(cl.help, c.help) << qPrintable(what);
        EXPECT_EQ(cl.version, c.version) << qPrintable(what);
        EXPECT_EQ(cl.configDir, QString::fromUtf8(c.dir)) << qPrintable(what);
        EXPECT_TRUE(cl.request == c.request) << qPrintable(what);
        // What a second start hands on reads back as the same request.
        EXPECT_TRUE(parseCommandLine(requestArguments(cl.request)).request == cl.request) << qPrintable(what);
    }
}

TEST(CommandLine, RefusesWrongValuesWithAMessage) {
    const QStringList cases[] = {
        {"--start", "window"},           // no value
        {"--start", "windows", "x"},     // unknown source
        {"--start", "area", "1,2"},      // too few numbers
        {"--start", "area", "1,2,0,5"},  // empty
        {"--start", "area", "1,2,-3,5"},
        {"--start", "area", "a,b,c,d"},
        {"--start", "area", "32000,0,1000,10"},  // beyond X11's coordinates
        {"--start", "area", "1,2,3,99999999999"},
        {"--start", "window", " "},
        {"--start", "slideshow", ""},
        {"--start", "text"},
        {"--view", "zoom"},
        {"--view", "stretch:50"},  // only scale takes a percentage
        {"--view", "scale:0"},
        {"--view", "scale:1001"},
        {"--view", "scale:"},
        {"--rate", "0"},
        {"--rate", "1001"},
        {"--rate", "fast"},
        {"--rate"},
        {"--config-dir"},
        {"--bogus"},
        {"stray"},
    };
    for (const QStringList& args : cases) {
        const CommandLine cl = parseCommandLine(args);
        EXPECT_FALSE(cl.error.isEmpty()) << qPrintable(args.join(QLatin1Char(' ')));
    }
    EXPECT_EQ(
        parseCommandLine({"--start", "area", "1,2"}).error,
        QStringLiteral("--start area needs X,Y,WIDTH,HEIGHT (whole numbers, width and height at least 1), not '1,2'"));
}

// The line a later start sends to the running copy.
TEST(CommandLine, RequestLineCarriesTheArgumentsOrIsRefused) {
    const QStringList odd = {"--start", "text", QString::fromUtf8("/tmp/caf\xC3\xA9 \"x\"\\\n.sct"), ""};
    EXPECT_EQ(argumentsOfRequestLine(requestLine(odd)), odd);
    EXPECT_TRUE(requestLine(odd).endsWith('\n'));
    EXPECT_EQ(argumentsOfRequestLine("[]"), QStringList());
    for (const char* line : {"", "--start desktop\n", "{\"a\":1}\n", "[\"--start\",5]\n", "[[\"--start\"]]\n",
                             "[\"--start\"\n", "[\"--start\",\"text\",\"\\ud800.sct\"]\n"})
        EXPECT_FALSE(argumentsOfRequestLine(line).has_value()) << line;
}

}  // namespace
}  // namespace vz
