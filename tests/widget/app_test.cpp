// Start-up, the single-instance rule, the tray icon's clicks and its menu.

#include "app_fixture.h"

#include "app/capture_cycle.h"
#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "core/settings/autostart.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/onoff_checkbox.h"
#include "core/scaling/view_geometry.h"

#include <QAction>
#include <QFile>

namespace vz::test {
namespace {

using Answer = Prompter::Answer;
const QString SimulationQuestion = QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?");

class AppTest : public AppFixture {
protected:
    TrayIcon& tray() { return *app->tray; }
};

TEST_F(AppTest, StartsStoppedWithNothingShown) {
    startApp();
    EXPECT_EQ(state().source, 0);
    EXPECT_FALSE(state().outputRunning);
    EXPECT_EQ(state().desktopScope, -1);
    EXPECT_EQ(state().menuSource, 0);
    EXPECT_FALSE(app->capture->captureTimer.isActive());
    EXPECT_EQ(app->capture->captureTimer.interval(), 200);
    for (QWidget* w : {static_cast<QWidget*>(app->tray.get()), static_cast<QWidget*>(app->toolbar.get()),
                       static_cast<QWidget*>(app->preview.get()), static_cast<QWidget*>(app->output.get()),
                       static_cast<QWidget*>(app->settingsDialog.get())})
        EXPECT_FALSE(w->isVisible()) << qPrintable(w->metaObject()->className());
    EXPECT_EQ(state().mouseArea, (Rect4{0, 0, 1920, 1080}));
    EXPECT_EQ(state().configFolder, configDir.path() + QLatin1Char('/'));
}

TEST_F(AppTest, SecondInstanceFromTheSamePathEndsAtOnce) {
    desktop.heldLocks = &heldLocks;
    startApp();

    FakeDesktop other = desktop;  // a second process on the same machine
    Platform otherPlatform = makeFakePlatform(other);
    {
        App second(otherPlatform, AppOptions{configDir.path()});
        EXPECT_FALSE(second.start());
        EXPECT_TRUE(second.isSecondInstance());
        EXPECT_FALSE(second.toolbar);  // nothing was created, nothing will be saved
    }
    other.executablePath = QStringLiteral("/elsewhere/vivivoz");  // another copy runs
    Platform thirdPlatform = makeFakePlatform(other);
    App third(thirdPlatform, AppOptions{configDir.path()});
    EXPECT_TRUE(third.start());

    app.reset();  // the first copy ends: its lock is free again
    platform = Platform{};
    Platform fourthPlatform = makeFakePlatform(desktop);
    App fourth(fourthPlatform, AppOptions{configDir.path()});
    EXPECT_TRUE(fourth.start());
}

TEST_F(AppTest, LockThatCannotBeCreatedAbortsWithTheReason) {
    desktop.lockError = QStringLiteral("Permission denied");
    platform = makeFakePlatform(desktop);
    App a(platform, AppOptions{configDir.path()});
    QString error;
    EXPECT_FALSE(a.start(&error));
    EXPECT_FALSE(a.isSecondInstance());
    EXPECT_EQ(error, QStringLiteral("Permission denied"));
}

TEST_F(AppTest, LeftClickWithTwoMonitorsShowsOutputToolbarAndDialog) {
    startApp();
    tray().onLeftClick();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_EQ(app->output->geometry(), QRect(1920, 0, 1280, 1024));
    EXPECT_TRUE(app->toolbar->isVisible());
    EXPECT_TRUE(app->settingsDialog->isVisible());
    EXPECT_TRUE(tray().outputAction->isChecked());
    EXPECT_TRUE(desktop.asked.isEmpty());

    // Later clicks no longer bring back a toolbar the user hid.
    app->toolbar->hide();
    tray().onLeftClick();
    EXPECT_FALSE(app->toolbar->isVisible());
}

TEST_F(AppTest, LeftClickWithOneMonitorAsksForSimulation) {
    useOneMonitor();
    startApp();
    desktop.answers = {Answer::No};
    tray().onLeftClick();
    EXPECT_EQ(desktop.asked, QStringList{SimulationQuestion});
    EXPECT_FALSE(app->output->isVisible());
    EXPECT_FALSE(app->toolbar->isVisible());
    EXPECT_FALSE(app->settingsDialog->isVisible());
    EXPECT_FALSE(tray().outputAction->isChecked());
    EXPECT_FALSE(state().simulationPromptOpen);

    desktop.answers = {Answer::Yes};
    tray().onLeftClick();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_EQ(app->output->pos(), QPoint(0, 0));
    EXPECT_TRUE(app->toolbar->isVisible());
    EXPECT_TRUE(app->settingsDialog->isVisible());
    EXPECT_TRUE(tray().outputAction->isChecked());
}

TEST_F(AppTest, LeftClickWhileTheQuestionIsOpenDoesNothing) {
    useOneMonitor();
    startApp();
    state().simulationPromptOpen = true;
    tray().onLeftClick();
    EXPECT_TRUE(desktop.asked.isEmpty());
    EXPECT_FALSE(app->settingsDialog->isVisible());
}

TEST_F(AppTest, MenuMarksFollowVisibilityAndMenuSource) {
    startApp();
    TrayIcon& t = tray();
    QAction* expected[] = {nullptr, t.desktopAction, t.areaAction, t.windowAction, t.clipboardAction, t.openSlideshowAction, t.makeSlideshowAction};
    for (int source = 0; source <= 6; ++source) {
        state().menuSource = source;
        t.onMenuAboutToShow();
        for (QAction* a : {t.desktopAction, t.areaAction, t.windowAction, t.clipboardAction, t.slideshowMenuAction, t.openSlideshowAction, t.makeSlideshowAction})
            EXPECT_EQ(a->isChecked(), a == expected[source]) << source << " " << qPrintable(a->text());
    }
    EXPECT_TRUE(state().menuOpen);
    EXPECT_FALSE(t.toolbarAction->isChecked());
    app->toolbar->show();
    app->preview->show();
    t.onMenuAboutToShow();
    EXPECT_TRUE(t.toolbarAction->isChecked());
    EXPECT_TRUE(t.previewAction->isChecked());
    EXPECT_FALSE(t.outputAction->isChecked());
}

TEST_F(AppTest, QuickStartDesktopMirrorsAtOnce) {
    startApp();
    tray().quickStartDesktop();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_TRUE(tray().desktopAction->isChecked());
    EXPECT_EQ(state().source, source::Desktop);
    EXPECT_EQ(state().desktopScope, 0);
    EXPECT_EQ(state().menuSource, 1);
    EXPECT_TRUE(state().outputRunning);
    EXPECT_TRUE(app->toolbar->showsStopPicture());
    EXPECT_TRUE(app->capture->captureTimer.isActive());
}

TEST_F(AppTest, UnbuiltFeaturesAreVisibleButDisabled) {
    startApp();
    TrayIcon& t = tray();
    for (QAction* a : {t.areaAction, t.windowAction, t.clipboardAction, t.openSlideshowAction, t.makeSlideshowAction, t.scrollTextAction, t.captureAction, t.cursorLockAction,
                       t.shortcutsAction, t.monitorDetailsAction}) {
        EXPECT_TRUE(a->isVisible()) << qPrintable(a->text());
        EXPECT_FALSE(a->isEnabled()) << qPrintable(a->text());
    }
    for (QAction* a : {t.desktopAction, t.stopAllAction, t.exitAction, t.settingsAction, t.aboutAction, t.loadAtStartupAction})
        EXPECT_TRUE(a->isEnabled()) << qPrintable(a->text());
}

TEST_F(AppTest, LoadAtStartupWritesAndRemovesTheAutostartEntry) {
    startApp();
    const QString entry = autostartFilePath(desktop.configHome);
    tray().loadAtStartupAction->setChecked(false);
    tray().onLoadAtStartup();
    EXPECT_TRUE(tray().loadAtStartupAction->isChecked());
    EXPECT_TRUE(QFile::exists(entry));
    tray().onLoadAtStartup();
    EXPECT_FALSE(tray().loadAtStartupAction->isChecked());
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(AppTest, ViewModeItemsMarkOneModeAndApplyIt) {
    startApp();
    tray().onViewModeAction(3);
    EXPECT_EQ(state().viewMode, 3);
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Optimal);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(tray().viewModeActions[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(app->settingsDialog->viewModeBoxes[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(app->settingsDialog->viewModeBoxes[n]->text(), n == 3 ? QStringLiteral("On") : QStringLiteral("Off")) << n;
    }
}

TEST_F(AppTest, ShowPreviewAndToolbarToggle) {
    startApp();
    tray().onPreviewAction();
    EXPECT_TRUE(app->preview->isVisible());
    EXPECT_TRUE(tray().previewAction->isChecked());
    tray().onPreviewAction();
    EXPECT_FALSE(app->preview->isVisible());
    EXPECT_FALSE(tray().previewAction->isChecked());
    tray().onToolbarAction();
    EXPECT_TRUE(app->toolbar->isVisible());
    EXPECT_TRUE(tray().toolbarAction->isChecked());
}

TEST_F(AppTest, EnableSecondaryMonitorTogglesTheOutput) {
    startApp();
    tray().onOutputAction();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_TRUE(tray().outputAction->isChecked());
    tray().onOutputAction();
    EXPECT_FALSE(app->output->isVisible());
    EXPECT_FALSE(tray().outputAction->isChecked());
}

TEST_F(AppTest, StopAllBlanksAndLeavesOutputRunningSet) {
    startApp();
    tray().quickStartDesktop();
    tray().onStopAll();
    EXPECT_EQ(state().source, 0);
    EXPECT_EQ(state().menuSource, 0);
    EXPECT_TRUE(state().outputRunning);
    EXPECT_FALSE(app->toolbar->showsStopPicture());
    EXPECT_EQ(app->output->outputView->picture().pixel(0, 0), qRgb(0, 0, 0));
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(AppTest, SettingsAreTakenAtStartAndWrittenAtExit) {
    writeFile(configDir.path() + QStringLiteral("/Vivivoz.cfg"),
              "[Velikost]\r\nLevo=5000\r\nGor=300\r\n\r\n[Options]\r\nrefreshRate=4\r\nMAXrefreshRate=9\r\n"
              "optShowRedPoint=1\r\nHotKey3=Ctrl+F3\r\n\r\n[Display]\r\nDaf=4\r\n");
    startApp();
    EXPECT_EQ(app->toolbar->pos(), QPoint(5, 300));  // beyond the right edge: back at 5
    EXPECT_EQ(app->capture->captureTimer.interval(), 250);
    EXPECT_EQ(state().maxUpdateRate, 9);
    EXPECT_TRUE(app->settingsDialog->redPointBox->isChecked());
    EXPECT_TRUE(app->settingsDialog->viewModeBoxes[4]->isChecked());
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Resize);

    app->closeQuery();
    const QByteArray saved = readFile(configDir.path() + QStringLiteral("/Vivivoz.cfg"));
    EXPECT_TRUE(saved.contains("\r\nLevo=5\r\n"));
    EXPECT_TRUE(saved.contains("\r\noptShowredpoint=1\r\n"));
    EXPECT_TRUE(saved.contains("\r\nHotKey3=Ctrl+F3\r\n"));  // another owner's key survives
    EXPECT_TRUE(saved.contains("\r\nDaf=4\r\n"));
    EXPECT_TRUE(saved.contains("\r\nrefreshRate=4\r\n"));
    EXPECT_TRUE(desktop.asked.isEmpty());
}

TEST_F(AppTest, FailedSaveAtExitIsReportedWithThePath) {
    // A folder that cannot exist: its parent is a regular file (fails for root too).
    const QString blocker = configDir.path() + QStringLiteral("/blocker");
    writeFile(blocker, "x");
    platform = makeFakePlatform(desktop);
    app = std::make_unique<App>(platform, AppOptions{blocker + QStringLiteral("/cfg")});
    ASSERT_TRUE(app->start());
    app->closeQuery();
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].contains(blocker + QStringLiteral("/cfg/Vivivoz.cfg"))) << qPrintable(desktop.asked[0]);
    app->closeQuery();  // the close query runs once
    EXPECT_EQ(desktop.asked.size(), 1);
}

TEST_F(AppTest, ResetAllSettingsAnsweredNoChangesNothing) {
    const QString path = configDir.path() + QStringLiteral("/Vivivoz.cfg");
    writeFile(path, "[Options]\r\nrefreshRate=4\r\n");
    startApp();
    desktop.answers = {Answer::No};
    tray().onResetAll();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("All settings will be reset to defaults. Do you want to continue?")});
    EXPECT_EQ(desktop.beeps.value(0), Prompter::Icon::Warning);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(app->capture->captureTimer.interval(), 250);
}

TEST_F(AppTest, ResetAllSettingsAnsweredYesRestoresDefaults) {
    const QString path = configDir.path() + QStringLiteral("/Vivivoz.cfg");
    writeFile(path, "[Velikost]\r\nLevo=600\r\nGor=600\r\n\r\n[Options]\r\nrefreshRate=4\r\noptAutohide=1\r\n"
                    "optAutohideagain=1\r\n\r\n[Config]\r\nload=0\r\n");
    startApp();
    tray().onLeftClick();
    ASSERT_TRUE(state().toolbarShown);
    ASSERT_TRUE(tray().autoHideAction->isChecked());
    desktop.answers = {Answer::Yes};
    tray().onResetAll();
    EXPECT_FALSE(QFile::exists(path));  // the next save writes it again
    EXPECT_EQ(app->toolbar->pos(), QPoint(1920 - 500, 100));
    EXPECT_EQ(app->capture->captureTimer.interval(), 200);
    EXPECT_TRUE(tray().loadAtStartupAction->isChecked());
    EXPECT_FALSE(tray().autoHideAction->isChecked());
    EXPECT_FALSE(app->tray->autoHideTimer.isActive());
    EXPECT_FALSE(state().toolbarShown);
    EXPECT_FALSE(state().autoHideHintOff);
}

}  // namespace
}  // namespace vz::test
