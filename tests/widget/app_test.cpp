// Start-up, the single-instance rule, the tray icon's clicks and its menu.

#include "app_fixture.h"

#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "core/settings/autostart.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "core/scaling/view_geometry.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <functional>

namespace vz::test {
namespace {

using Answer = Prompter::Answer;
const QString SimulationQuestion = QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?");

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class AppTest : public AppFixture {
protected:
    TrayIcon& tray() { return *app->tray; }
};

TEST_F(AppTest, StartsStoppedWithNothingShown) {
    startApp();
    EXPECT_EQ(controller().source(), Source::Stopped);
    EXPECT_FALSE(controller().outputRunning());
    EXPECT_EQ(controller().desktopScope(), DesktopScope::NotChosen);
    EXPECT_EQ(controller().sourceChoice(), SourceChoice::None);
    EXPECT_FALSE(controller().frames().ticking());
    EXPECT_EQ(controller().frames().interval(), 200);
    for (QWidget* w : {static_cast<QWidget*>(app->tray.get()), static_cast<QWidget*>(app->toolbar.get()),
                       static_cast<QWidget*>(app->preview.get()), static_cast<QWidget*>(app->output.get()),
                       static_cast<QWidget*>(app->settingsDialog.get())})
        EXPECT_FALSE(w->isVisible()) << qPrintable(w->metaObject()->className());
    EXPECT_EQ(controller().cursorLock().mouseArea(), (Rect4{0, 0, 1920, 1080}));
    EXPECT_EQ(controller().settingsStore().folder(), configDir.path() + QLatin1Char('/'));
}

TEST_F(AppTest, SecondInstanceFromTheSamePathEndsAtOnce) {
    desktop.heldLocks = &heldLocks;
    startApp();

    FakeDesktop other = desktop;  // a second process on the same machine
    Platform otherPlatform = makeFakePlatform(other);
    {
        App second(otherPlatform, AppOptions{configDir.path(), FramePipeline::Mode::Inline});
        EXPECT_FALSE(second.start());
        EXPECT_TRUE(second.isSecondInstance());
        EXPECT_FALSE(second.toolbar);  // nothing was created, nothing will be saved
    }
    other.executablePath = QStringLiteral("/elsewhere/vivivoz");  // another copy runs
    Platform thirdPlatform = makeFakePlatform(other);
    App third(thirdPlatform, AppOptions{configDir.path(), FramePipeline::Mode::Inline});
    EXPECT_TRUE(third.start());

    app.reset();  // the first copy ends: its lock is free again
    platform = Platform{};
    Platform fourthPlatform = makeFakePlatform(desktop);
    App fourth(fourthPlatform, AppOptions{configDir.path(), FramePipeline::Mode::Inline});
    EXPECT_TRUE(fourth.start());
}

TEST_F(AppTest, LockThatCannotBeCreatedAbortsWithTheReason) {
    desktop.lockError = QStringLiteral("Permission denied");
    platform = makeFakePlatform(desktop);
    App a(platform, AppOptions{configDir.path(), FramePipeline::Mode::Inline});
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
    EXPECT_FALSE(controller().tray().simulationPromptOpen());

    desktop.answers = {Answer::Yes};
    tray().onLeftClick();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_EQ(app->output->pos(), QPoint(0, 0));
    EXPECT_TRUE(app->toolbar->isVisible());
    EXPECT_TRUE(app->settingsDialog->isVisible());
    EXPECT_TRUE(tray().outputAction->isChecked());
}

TEST_F(AppTest, ClicksWhileTheQuestionIsOpenDoNothing) {
    useOneMonitor();
    startApp();
    bool sawQuestionOpen = false;
    platform.prompter = std::make_unique<PrompterWithClickWhileOpen>(std::move(platform.prompter), [&] {
        sawQuestionOpen = controller().tray().simulationPromptOpen();
        tray().onLeftClick();
        tray().outputAction->trigger();
        EXPECT_FALSE(app->settingsDialog->isVisible());
    });
    desktop.answers = {Answer::No};
    tray().onLeftClick();
    EXPECT_TRUE(sawQuestionOpen);
    EXPECT_EQ(desktop.asked, QStringList{SimulationQuestion});  // asked once only
    EXPECT_FALSE(app->output->isVisible());
    EXPECT_FALSE(app->settingsDialog->isVisible());
    EXPECT_FALSE(controller().tray().simulationPromptOpen());
}

TEST_F(AppTest, MenuMarksFollowVisibilityAndTheChosenSource) {
    startApp();
    TrayIcon& t = tray();
    Controller& c = controller();
    const QString slideshow = configDir.path() + QStringLiteral("/show.txt");
    writeFile(slideshow, "[Slideshow]\r\n5\r\n");
    struct {
        const char* what;
        std::function<void()> choose;
        QAction* marked;
    } cases[] = {
        {"desktop", [&] { c.startDesktop(); }, t.desktopAction},
        {"area", [&] { c.startArea(); }, t.areaAction},
        {"window", [&] { c.startWindowSource(); }, t.windowAction},
        {"clipboard", [&] { c.startClipboard(); }, t.clipboardAction},
        {"open slideshow", [&] { ASSERT_TRUE(c.openSlideshow(slideshow)); }, t.openSlideshowAction},
        {"make slideshow", [&] { c.makeSlideshow(); }, t.makeSlideshowAction},
        {"stop all", [&] { c.stopAll(); }, nullptr},
    };
    for (const auto& k : cases) {
        k.choose();
        t.onMenuAboutToShow();
        for (QAction* a : {t.desktopAction, t.areaAction, t.windowAction, t.clipboardAction, t.slideshowMenuAction,
                           t.openSlideshowAction, t.makeSlideshowAction})
            EXPECT_EQ(a->isChecked(), a == k.marked) << k.what << ": " << qPrintable(a->text());
    }
    EXPECT_TRUE(c.tray().menuOpen());
    t.menu->aboutToHide();
    EXPECT_FALSE(c.tray().menuOpen());
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
    tray().desktopAction->trigger();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_TRUE(tray().desktopAction->isChecked());
    EXPECT_EQ(controller().source(), Source::Desktop);
    EXPECT_EQ(controller().desktopScope(), DesktopScope::WholePrimary);
    EXPECT_EQ(controller().sourceChoice(), SourceChoice::Desktop);
    EXPECT_TRUE(controller().outputRunning());
    EXPECT_TRUE(app->toolbar->showsStopPicture());
    EXPECT_TRUE(controller().frames().ticking());
}

TEST_F(AppTest, MenuItemsAreVisibleAndEnabled) {
    startApp();
    TrayIcon& t = tray();
    QAction* const items[] = {
        t.areaAction,           t.windowAction,          t.clipboardAction,        t.slideshowMenuAction,
        t.openSlideshowAction,  t.makeSlideshowAction,   t.scrollTextAction,       t.captureAction,
        t.cursorLockAction,     t.mouseAreaSelectAction, t.mouseAreaPrimaryAction, t.shortcutsAction,
        t.monitorDetailsAction, t.desktopAction,         t.stopAllAction,          t.exitAction,
        t.settingsAction,       t.aboutAction,           t.loadAtStartupAction,
    };
    for (QAction* action : items) {
        EXPECT_TRUE(action->isVisible()) << qPrintable(action->text());
        EXPECT_TRUE(action->isEnabled()) << qPrintable(action->text());
    }
}

TEST_F(AppTest, LoadAtStartupWritesAndRemovesTheAutostartEntry) {
    // The settings file's value does not tick the item: only the entry does.
    writeFile(configDir.path() + QStringLiteral("/Vivivoz.cfg"), "[Config]\r\nload=1\r\n");
    startApp();
    const QString entry = autostartFilePath(desktop.configHome);
    EXPECT_FALSE(tray().loadAtStartupAction->isChecked());
    tray().loadAtStartupAction->trigger();
    EXPECT_TRUE(tray().loadAtStartupAction->isChecked());
    EXPECT_TRUE(QFile::exists(entry));
    tray().loadAtStartupAction->trigger();
    EXPECT_FALSE(tray().loadAtStartupAction->isChecked());
    EXPECT_FALSE(QFile::exists(entry));

    // An entry made elsewhere shows when the menu opens.
    ASSERT_TRUE(enableAutostart(desktop.configHome, desktop.executablePath, nullptr));
    tray().onMenuAboutToShow();
    EXPECT_TRUE(tray().loadAtStartupAction->isChecked());
    EXPECT_TRUE(desktop.asked.isEmpty());
}

TEST_F(AppTest, ViewModeItemsMarkOneModeAndApplyIt) {
    startApp();
    tray().viewModeActions[3]->trigger();
    EXPECT_EQ(controller().viewOptions().viewMode(), ViewFit::Optimal);
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Optimal);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(tray().viewModeActions[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(app->settingsDialog->viewModeBoxes[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(app->settingsDialog->viewModeBoxes[n]->text(), n == 3 ? QStringLiteral("On") : QStringLiteral("Off"))
            << n;
    }
}

TEST_F(AppTest, ShowPreviewToolbarAndOutputItemsToggleTheirWindows) {
    startApp();
    struct {
        QAction* item;
        QWidget* window;
    } cases[] = {
        {tray().previewAction, app->preview.get()},
        {tray().toolbarAction, app->toolbar.get()},
        {tray().outputAction, app->output.get()},
    };
    for (const auto& c : cases) {
        c.item->trigger();
        EXPECT_TRUE(c.window->isVisible()) << qPrintable(c.item->text());
        EXPECT_TRUE(c.item->isChecked()) << qPrintable(c.item->text());
        c.item->trigger();
        EXPECT_FALSE(c.window->isVisible()) << qPrintable(c.item->text());
        EXPECT_FALSE(c.item->isChecked()) << qPrintable(c.item->text());
    }
}

TEST_F(AppTest, StopAllBlanksAndStopsTheOutput) {
    startApp();
    tray().quickStartDesktop();
    tray().stopAllAction->trigger();
    EXPECT_EQ(controller().source(), Source::Stopped);
    EXPECT_EQ(controller().sourceChoice(), SourceChoice::None);
    EXPECT_FALSE(controller().outputRunning());
    EXPECT_FALSE(app->toolbar->showsStopPicture());
    EXPECT_EQ(app->toolbar->runStopButton->toolTip(), QStringLiteral("Run"));
    EXPECT_EQ(app->output->outputView->picture().pixel(0, 0), qRgb(0, 0, 0));
    tray().onMenuAboutToShow();
    EXPECT_FALSE(tray().desktopAction->isChecked());
}

TEST_F(AppTest, SettingsAreTakenAtStartAndWrittenAtExit) {
    writeFile(configDir.path() + QStringLiteral("/Vivivoz.cfg"),
              "[Velikost]\r\nLevo=5000\r\nGor=300\r\n\r\n[Options]\r\nrefreshRate=4\r\nMAXrefreshRate=9\r\n"
              "optShowRedPoint=1\r\nHotKey3=Ctrl+F3\r\n\r\n[Display]\r\nDaf=4\r\n");
    startApp();
    EXPECT_EQ(app->toolbar->pos(), QPoint(5, 300));  // beyond the right edge: back at 5
    EXPECT_EQ(controller().frames().interval(), 250);
    EXPECT_EQ(controller().viewOptions().maxUpdateRate(), 9);
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
    app = std::make_unique<App>(platform, AppOptions{blocker + QStringLiteral("/cfg"), FramePipeline::Mode::Inline});
    ASSERT_TRUE(app->start());
    app->closeQuery();
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].contains(blocker + QStringLiteral("/cfg/Vivivoz.cfg")))
        << qPrintable(desktop.asked[0]);
    app->closeQuery();  // the close query runs once
    EXPECT_EQ(desktop.asked.size(), 1);
}

TEST_F(AppTest, ResetAllSettingsAnsweredNoChangesNothing) {
    const QString path = configDir.path() + QStringLiteral("/Vivivoz.cfg");
    writeFile(path, "[Options]\r\nrefreshRate=4\r\n");
    startApp();
    desktop.answers = {Answer::No};
    tray().onResetAll();
    EXPECT_EQ(desktop.asked,
              QStringList{QStringLiteral("All settings will be reset to defaults. Do you want to continue?")});
    EXPECT_EQ(desktop.beeps.value(0), Prompter::Icon::Warning);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(controller().frames().interval(), 250);
}

TEST_F(AppTest, ResetAllSettingsAnsweredYesRestoresDefaults) {
    const QString path = configDir.path() + QStringLiteral("/Vivivoz.cfg");
    writeFile(path,
              "[Velikost]\r\nLevo=600\r\nGor=600\r\n\r\n[Options]\r\nrefreshRate=4\r\noptAutohide=1\r\n"
              "optAutohideagain=1\r\n\r\n[Display]\r\nDaf=4\r\n\r\n[Config]\r\nload=0\r\n");
    // The autostart entry exists: the item shows it whatever the file says, and the reset keeps it.
    ASSERT_TRUE(enableAutostart(desktop.configHome, desktop.executablePath, nullptr));
    startApp();
    tray().onLeftClick();
    ASSERT_TRUE(controller().tray().toolbarShownOnce());
    ASSERT_TRUE(tray().autoHideAction->isChecked());
    ASSERT_TRUE(app->toolbar->autoHideTimer.isActive());
    ASSERT_TRUE(tray().loadAtStartupAction->isChecked());
    ASSERT_EQ(app->output->outputView->fit(), ViewFit::Resize);
    desktop.answers = {Answer::Yes};
    tray().resetAction->trigger();
    EXPECT_FALSE(QFile::exists(path));  // the next save writes it again
    EXPECT_EQ(app->toolbar->pos(), QPoint(1920 - 500, 100));
    EXPECT_EQ(controller().frames().interval(), 200);
    EXPECT_TRUE(tray().loadAtStartupAction->isChecked());
    EXPECT_TRUE(QFile::exists(autostartFilePath(desktop.configHome)));
    EXPECT_FALSE(tray().autoHideAction->isChecked());
    EXPECT_FALSE(app->toolbar->autoHideTimer.isActive());
    EXPECT_FALSE(controller().tray().toolbarShownOnce());
    EXPECT_FALSE(controller().tray().autoHideHintOff());
    // The default view mode reaches the menu, the dialog and the output.
    EXPECT_EQ(controller().viewOptions().viewMode(), ViewFit::Stretch);
    EXPECT_TRUE(tray().viewModeActions[2]->isChecked());
    EXPECT_FALSE(tray().viewModeActions[4]->isChecked());
    EXPECT_EQ(app->settingsDialog->tickedViewMode(), 2);
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Stretch);

    // The toolbar comes back with the next left click, as at the first one.
    app->toolbar->hide();
    tray().onLeftClick();
    EXPECT_TRUE(app->toolbar->isVisible());
}

}  // namespace
}  // namespace vz::test
