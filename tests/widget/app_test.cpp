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

}  // namespace
}  // namespace vz::test
