// Start-up, the single-instance rule, the tray icon's clicks and its menu.

#include "app_fixture.h"

#include "capture/capture_cycle.h"
#include "display/image_view.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/autostart.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"
#include "widgets/onoff_checkbox.h"
#include "display/view_geometry.h"

#include <QAction>
#include <QFile>

namespace vz::test {
namespace {

using Answer = Prompter::Answer;
const QString SimulationQuestion = QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?");

class AppTest : public AppFixture {
protected:
    TStartForm& tray() { return *app->startForm; }
};

TEST_F(AppTest, StartsStoppedWithNothingShown) {
    startApp();
    EXPECT_EQ(state().SourceMode, 0);
    EXPECT_FALSE(state().OutputRunning);
    EXPECT_EQ(state().DesktopScope, -1);
    EXPECT_EQ(state().MenuSource, 0);
    EXPECT_FALSE(app->capture->Timer3zaslon.isActive());
    EXPECT_EQ(app->capture->Timer3zaslon.interval(), 200);
    for (QWidget* w : {static_cast<QWidget*>(app->startForm.get()), static_cast<QWidget*>(app->mainForm.get()),
                       static_cast<QWidget*>(app->fslika.get()), static_cast<QWidget*>(app->fmonitor.get()),
                       static_cast<QWidget*>(app->foptions.get())})
        EXPECT_FALSE(w->isVisible()) << qPrintable(w->metaObject()->className());
    EXPECT_EQ(state().MouseArea, (Rect4{0, 0, 1920, 1080}));
    EXPECT_EQ(state().zacetnamapa, configDir.path() + QLatin1Char('/'));
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
        EXPECT_FALSE(second.mainForm);  // nothing was created, nothing will be saved
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
    tray().trayLeftClick();
    EXPECT_TRUE(app->fmonitor->isVisible());
    EXPECT_EQ(app->fmonitor->geometry(), QRect(1920, 0, 1280, 1024));
    EXPECT_TRUE(app->mainForm->isVisible());
    EXPECT_TRUE(app->foptions->isVisible());
    EXPECT_TRUE(tray().ShowSecondMonitor1->isChecked());
    EXPECT_TRUE(desktop.asked.isEmpty());

    // Later clicks no longer bring back a toolbar the user hid.
    app->mainForm->hide();
    tray().trayLeftClick();
    EXPECT_FALSE(app->mainForm->isVisible());
}

TEST_F(AppTest, LeftClickWithOneMonitorAsksForSimulation) {
    useOneMonitor();
    startApp();
    desktop.answers = {Answer::No};
    tray().trayLeftClick();
    EXPECT_EQ(desktop.asked, QStringList{SimulationQuestion});
    EXPECT_FALSE(app->fmonitor->isVisible());
    EXPECT_FALSE(app->mainForm->isVisible());
    EXPECT_FALSE(app->foptions->isVisible());
    EXPECT_FALSE(tray().ShowSecondMonitor1->isChecked());
    EXPECT_FALSE(state().SimulationPromptOpen);

    desktop.answers = {Answer::Yes};
    tray().trayLeftClick();
    EXPECT_TRUE(app->fmonitor->isVisible());
    EXPECT_EQ(app->fmonitor->pos(), QPoint(0, 0));
    EXPECT_TRUE(app->mainForm->isVisible());
    EXPECT_TRUE(app->foptions->isVisible());
    EXPECT_TRUE(tray().ShowSecondMonitor1->isChecked());
}

TEST_F(AppTest, LeftClickWhileTheQuestionIsOpenDoesNothing) {
    useOneMonitor();
    startApp();
    state().SimulationPromptOpen = true;
    tray().trayLeftClick();
    EXPECT_TRUE(desktop.asked.isEmpty());
    EXPECT_FALSE(app->foptions->isVisible());
}

TEST_F(AppTest, MenuMarksFollowVisibilityAndMenuSource) {
    startApp();
    TStartForm& t = tray();
    QAction* expected[] = {nullptr, t.S1, t.S2, t.S3, t.S4, t.S6, t.S7};
    for (int source = 0; source <= 6; ++source) {
        state().MenuSource = source;
        t.PopupAPopup();
        for (QAction* a : {t.S1, t.S2, t.S3, t.S4, t.S5, t.S6, t.S7})
            EXPECT_EQ(a->isChecked(), a == expected[source]) << source << " " << qPrintable(a->text());
    }
    EXPECT_TRUE(state().MenuOpen);
    EXPECT_FALSE(t.Showtoolbar1->isChecked());
    app->mainForm->show();
    app->fslika->show();
    t.PopupAPopup();
    EXPECT_TRUE(t.Showtoolbar1->isChecked());
    EXPECT_TRUE(t.CaptureImage1->isChecked());
    EXPECT_FALSE(t.ShowSecondMonitor1->isChecked());
}

TEST_F(AppTest, QuickStartDesktopMirrorsAtOnce) {
    startApp();
    tray().S1Click();
    EXPECT_TRUE(app->fmonitor->isVisible());
    EXPECT_TRUE(tray().S1->isChecked());
    EXPECT_EQ(state().SourceMode, source::Desktop);
    EXPECT_EQ(state().DesktopScope, 0);
    EXPECT_EQ(state().MenuSource, 1);
    EXPECT_TRUE(state().OutputRunning);
    EXPECT_TRUE(app->mainForm->showsStopPicture());
    EXPECT_TRUE(app->capture->Timer3zaslon.isActive());
}

TEST_F(AppTest, UnbuiltFeaturesAreVisibleButDisabled) {
    startApp();
    TStartForm& t = tray();
    for (QAction* a : {t.S2, t.S3, t.S4, t.S6, t.S7, t.ScrollText1, t.CaptureanImage1, t.LockKurzor,
                       t.CreateKeyboardShortcuts1, t.MonitorDetails1}) {
        EXPECT_TRUE(a->isVisible()) << qPrintable(a->text());
        EXPECT_FALSE(a->isEnabled()) << qPrintable(a->text());
    }
    for (QAction* a : {t.S1, t.StopAll1, t.Close1, t.Options1, t.About1, t.LoadatStartup})
        EXPECT_TRUE(a->isEnabled()) << qPrintable(a->text());
}

TEST_F(AppTest, LoadAtStartupWritesAndRemovesTheAutostartEntry) {
    startApp();
    const QString entry = autostartFilePath(desktop.configHome);
    tray().LoadatStartup->setChecked(false);
    tray().LoadatStartupClick();
    EXPECT_TRUE(tray().LoadatStartup->isChecked());
    EXPECT_TRUE(QFile::exists(entry));
    tray().LoadatStartupClick();
    EXPECT_FALSE(tray().LoadatStartup->isChecked());
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(AppTest, ViewModeItemsMarkOneModeAndApplyIt) {
    startApp();
    tray().vmClick(3);
    EXPECT_EQ(state().ViewMode, 3);
    EXPECT_EQ(app->fmonitor->image->fit(), ViewFit::Optimal);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(tray().vm[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(app->foptions->SM[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(app->foptions->SM[n]->text(), n == 3 ? QStringLiteral("On") : QStringLiteral("Off")) << n;
    }
}

TEST_F(AppTest, ShowPreviewAndToolbarToggle) {
    startApp();
    tray().CaptureImage1Click();
    EXPECT_TRUE(app->fslika->isVisible());
    EXPECT_TRUE(tray().CaptureImage1->isChecked());
    tray().CaptureImage1Click();
    EXPECT_FALSE(app->fslika->isVisible());
    EXPECT_FALSE(tray().CaptureImage1->isChecked());
    tray().Showtoolbar1Click();
    EXPECT_TRUE(app->mainForm->isVisible());
    EXPECT_TRUE(tray().Showtoolbar1->isChecked());
}

TEST_F(AppTest, EnableSecondaryMonitorTogglesTheOutput) {
    startApp();
    tray().ShowSecondMonitor1Click();
    EXPECT_TRUE(app->fmonitor->isVisible());
    EXPECT_TRUE(tray().ShowSecondMonitor1->isChecked());
    tray().ShowSecondMonitor1Click();
    EXPECT_FALSE(app->fmonitor->isVisible());
    EXPECT_FALSE(tray().ShowSecondMonitor1->isChecked());
}

TEST_F(AppTest, StopAllBlanksAndLeavesOutputRunningSet) {
    startApp();
    tray().S1Click();
    tray().StopAll1Click();
    EXPECT_EQ(state().SourceMode, 0);
    EXPECT_EQ(state().MenuSource, 0);
    EXPECT_TRUE(state().OutputRunning);
    EXPECT_FALSE(app->mainForm->showsStopPicture());
    EXPECT_EQ(app->fmonitor->image->picture().pixel(0, 0), qRgb(0, 0, 0));
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
    EXPECT_EQ(app->mainForm->pos(), QPoint(5, 300));  // beyond the right edge: back at 5
    EXPECT_EQ(app->capture->Timer3zaslon.interval(), 250);
    EXPECT_EQ(state().MaxUpdateRate, 9);
    EXPECT_TRUE(app->foptions->RedPOINT->isChecked());
    EXPECT_TRUE(app->foptions->SM[4]->isChecked());
    EXPECT_EQ(app->fmonitor->image->fit(), ViewFit::Resize);

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
    tray().ResetAllOptions1Click();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("All settings will be reset to defaults. Do you want to continue?")});
    EXPECT_EQ(desktop.beeps.value(0), Prompter::Icon::Warning);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(app->capture->Timer3zaslon.interval(), 250);
}

TEST_F(AppTest, ResetAllSettingsAnsweredYesRestoresDefaults) {
    const QString path = configDir.path() + QStringLiteral("/Vivivoz.cfg");
    writeFile(path, "[Velikost]\r\nLevo=600\r\nGor=600\r\n\r\n[Options]\r\nrefreshRate=4\r\noptAutohide=1\r\n"
                    "optAutohideagain=1\r\n\r\n[Config]\r\nload=0\r\n");
    startApp();
    tray().trayLeftClick();
    ASSERT_TRUE(state().ToolbarShown);
    ASSERT_TRUE(tray().AutoHide1->isChecked());
    desktop.answers = {Answer::Yes};
    tray().ResetAllOptions1Click();
    EXPECT_FALSE(QFile::exists(path));  // the next save writes it again
    EXPECT_EQ(app->mainForm->pos(), QPoint(1920 - 500, 100));
    EXPECT_EQ(app->capture->Timer3zaslon.interval(), 200);
    EXPECT_TRUE(tray().LoadatStartup->isChecked());
    EXPECT_FALSE(tray().AutoHide1->isChecked());
    EXPECT_FALSE(app->startForm->Timer2.isActive());
    EXPECT_FALSE(state().ToolbarShown);
    EXPECT_FALSE(state().AutoHideHintOff);
}

}  // namespace
}  // namespace vz::test
