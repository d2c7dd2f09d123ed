// The tray's and the toolbar's own options with no window: auto-hide and its
// hint kept through the settings file, the autostart entry. (The simulation
// question asked while it is open is the output window's tests'.)

#include "core/controller/controller.h"
#include "core/settings/autostart.h"
#include "platform/fake/fake_platform.h"

#include <QFile>
#include <QVector>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace vz::test {
namespace {

class TrayOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.configHome = configDir.path() + QStringLiteral("/config");
        restart();
    }
    // Another run of the program on the same settings file.
    void restart() {
        c.reset();
        platform = makeFakePlatform(desktop);
        c = std::make_unique<Controller>(platform, FramePipeline::Mode::Inline);
        c->settingsStore().setFolder(configDir.path() + QLatin1Char('/'));
        c->refreshMonitors();
        c->loadSettings();
    }

    QTemporaryDir configDir;
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<Controller> c;
};

TEST_F(TrayOptionsTest, AutoHideAndItsHintAreKeptInTheSettingsFile) {
    TrayOptions& tray = c->tray();
    QVector<bool> changed;  // every autoHideChanged
    QObject::connect(&tray, &TrayOptions::autoHideChanged, [&](bool on) { changed << on; });
    desktop.checkBoxAnswers = {true};  // "Don't show me again." ticked
    tray.toggleAutoHide();
    EXPECT_EQ(desktop.asked.size(), 1);
    ASSERT_TRUE(tray.autoHide());
    ASSERT_TRUE(tray.autoHideHintOff());
    EXPECT_EQ(changed, QVector<bool>{true});
    QString error;
    ASSERT_TRUE(c->saveSettings(&error)) << error.toStdString();

    restart();
    EXPECT_TRUE(c->tray().autoHide());
    EXPECT_TRUE(c->tray().autoHideHintOff());
    c->tray().toggleAutoHide();
    c->tray().toggleAutoHide();  // on again: no hint
    EXPECT_EQ(desktop.asked.size(), 1);

    // A reset takes both back to their defaults, and says auto-hide is off.
    changed.clear();
    QObject::connect(&c->tray(), &TrayOptions::autoHideChanged, [&](bool on) { changed << on; });
    c->resetSettings();
    EXPECT_FALSE(c->tray().autoHide());
    EXPECT_FALSE(c->tray().autoHideHintOff());
    EXPECT_EQ(changed, QVector<bool>{false});
}

TEST_F(TrayOptionsTest, LoadAtStartupFollowsTheAutostartEntry) {
    TrayOptions& tray = c->tray();
    QVector<bool> marks;  // every loadAtStartupChanged
    QObject::connect(&tray, &TrayOptions::loadAtStartupChanged, [&](bool on) { marks << on; });
    EXPECT_FALSE(tray.loadAtStartup());
    tray.toggleLoadAtStartup();
    EXPECT_TRUE(QFile::exists(autostartFilePath(desktop.configHome)));
    tray.toggleLoadAtStartup();
    EXPECT_FALSE(QFile::exists(autostartFilePath(desktop.configHome)));
    EXPECT_EQ(marks, (QVector<bool>{true, false}));
    EXPECT_TRUE(desktop.asked.isEmpty());

    // An entry that cannot be written is said, and the mark stays off.
    QFile blocker(configDir.path() + QStringLiteral("/blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    desktop.configHome = blocker.fileName();  // a file where the folder should be
    restart();
    c->tray().toggleLoadAtStartup();
    EXPECT_FALSE(c->tray().loadAtStartup());
    EXPECT_EQ(desktop.asked.size(), 1);
}

}  // namespace
}  // namespace vz::test
