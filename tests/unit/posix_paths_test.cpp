#include "platform/posix/paths.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using vz::PosixPaths;

namespace {

// Sets an environment variable for the life of the object.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value) : name_(name), saved_(qgetenv(name)) {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~EnvOverride() {
        if (saved_.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, saved_);
    }

private:
    const char* name_;
    QByteArray saved_;
};

TEST(PosixPaths, ExecutableIsThisTestProgram) {
    PosixPaths paths;
    const QString exe = paths.executablePath();
    EXPECT_TRUE(QFileInfo(exe).isAbsolute());
    EXPECT_EQ(QFileInfo(exe).canonicalFilePath(), QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    EXPECT_TRUE(paths.executableDir().endsWith(QLatin1Char('/')));
    EXPECT_EQ(paths.executableDir() + QFileInfo(exe).fileName(), exe);
}

TEST(PosixPaths, ConfigHome) {
    struct Case {
        const char* xdg;
        const char* home;
        QString expected;
    };
    const Case cases[] = {
        {"/cfg", "/home/u", QStringLiteral("/cfg")},
        {"/cfg/", "/home/u", QStringLiteral("/cfg")},
        {nullptr, "/home/u", QStringLiteral("/home/u/.config")},
        {"", "/home/u/", QStringLiteral("/home/u/.config")},
        {"relative", "/home/u", QStringLiteral("/home/u/.config")},  // relative values are ignored
        {nullptr, "/", QStringLiteral("/.config")},
    };
    for (const Case& c : cases) {
        EnvOverride xdg("XDG_CONFIG_HOME", c.xdg);
        EnvOverride home("HOME", c.home);
        EXPECT_EQ(PosixPaths().configHome(), c.expected) << (c.xdg ? c.xdg : "(unset)") << " " << c.home;
    }
}

}  // namespace
