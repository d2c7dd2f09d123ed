#include "app/command_line.h"

#include <gtest/gtest.h>

namespace vz {
namespace {

TEST(CommandLine, ParsesEveryOption) {
    struct Case { QStringList args; bool help, version; const char* dir; const char* start; bool error; };
    const Case cases[] = {
        {{}, false, false, "", "", false},
        {{"--help"}, true, false, "", "", false},
        {{"-h"}, true, false, "", "", false},
        {{"--version"}, false, true, "", "", false},
        {{"--config-dir", "/tmp/c"}, false, false, "/tmp/c", "", false},
        {{"--config-dir=/tmp/d", "--start", "desktop"}, false, false, "/tmp/d", "desktop", false},
        {{"--start=desktop"}, false, false, "", "desktop", false},
        {{"--start", "window"}, false, false, "", "window", true},
        {{"--config-dir"}, false, false, "", "", true},
        {{"--bogus"}, false, false, "", "", true},
        {{"stray"}, false, false, "", "", true},
    };
    for (const Case& c : cases) {
        const CommandLine cl = parseCommandLine(c.args);
        const QString what = c.args.join(QLatin1Char(' '));
        EXPECT_EQ(cl.help, c.help) << qPrintable(what);
        EXPECT_EQ(cl.version, c.version) << qPrintable(what);
        EXPECT_EQ(!cl.error.isEmpty(), c.error) << qPrintable(what);
        if (!c.error) {
            EXPECT_EQ(cl.configDir, QString::fromUtf8(c.dir)) << qPrintable(what);
            EXPECT_EQ(cl.start, QString::fromUtf8(c.start)) << qPrintable(what);
        }
    }
}

}  // namespace
}  // namespace vz
