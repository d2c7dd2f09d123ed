// The floating toolbar: its look, Run/Stop, the placement rules, the
// keep-on-top tick and auto-hide, on the fake platform.

#include "app_fixture.h"

#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/movable_panel.h"
#include "ui/widgets/onoff_checkbox.h"

#include <QAction>
#include <QApplication>
#include <QFile>

#include <functional>

namespace vz::test {
namespace {

const QString HintText = QStringLiteral(" \n   Move cursor to upper left corner to show hidden Toolbar.          ");

// Activates `w` afresh, as the window manager would on a click.
void activate(QWidget* w) {
    QApplication::setActiveWindow(nullptr);
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QCoreApplication::processEvents();
}

class ToolbarTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
    }
    Toolbar& bar() { return *app->toolbar; }
    TrayIcon& tray() { return *app->tray; }
    bool showsGlyph(const QPixmap& p) { return bar().runStopButton->glyph().toImage() == p.toImage(); }
    QString hint() { return bar().runStopButton->toolTip(); }
    bool running() { return controller().outputRunning(); }
    void clickRunStop() { bar().runStopButton->click(); }

    // Auto-hide on, its hint already switched off.
    void autoHideOnQuietly() {
        controller().tray().setAutoHideHintOff(true);
        if (!controller().tray().autoHide()) tray().autoHideAction->trigger();
    }
    // Fades the toolbar down to its resting opacity, the pointer away from it.
    void fadeAway() {
        desktop.pointer = {900, 600};
        for (int i = 0; i < 160; ++i) bar().autoHideTick();
    }
    // Whether the fade restarted from fully opaque `stepsTaken` ticks ago:
    // away from the toolbar it stays opaque up to its 54th step and shows
    // 198 at the 55th.
    ::testing::AssertionResult fadesFromOpaque(int stepsTaken = 0) {
        desktop.pointer = {900, 600};
        for (int i = stepsTaken; i < 54; ++i) bar().autoHideTick();
        const int before = bar().opacity();
        bar().autoHideTick();
        const int after = bar().opacity();
        if (before == 255 && after == 198) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "opacity " << before << " then " << after << ", expected 255 then 198";
    }
};

TEST_F(ToolbarTest, LayoutAndStartState) {
    EXPECT_EQ(bar().size(), QSize(248, 42));
    const auto flags = bar().windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(bar().panel->geometry(), QRect(0, 0, 248, 42));
    EXPECT_EQ(bar().panel->color(), QColor(67, 74, 84));
    EXPECT_TRUE(bar().panel->dragsWindow());

    struct {
        GlyphButton* b;
        QRect place;
        const char* hint;
    } buttons[] = {
        {bar().settingsButton, {13, 6, 58, 29}, "Settings"},
        {bar().sendButton, {94, 6, 58, 29}, "Send to Second Monitor"},
        {bar().runStopButton, {175, 8, 58, 27}, "Run"},
    };
    for (const auto& c : buttons) {
        EXPECT_EQ(c.b->geometry(), c.place) << c.hint;
        EXPECT_EQ(c.b->toolTip(), QString::fromUtf8(c.hint));
        EXPECT_EQ(c.b->faceColor(), QColor(67, 74, 84)) << c.hint;
        EXPECT_FALSE(c.b->glyph().isNull()) << c.hint;
    }
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_FALSE(bar().showsStopPicture());

    // Rounded outline: the very corners are cut away, the edges' middles are not.
    const QRegion mask = bar().mask();
    for (QPoint corner : {QPoint(0, 0), QPoint(247, 0), QPoint(0, 41), QPoint(247, 41)})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
    for (QPoint inside : {QPoint(124, 0), QPoint(0, 21), QPoint(247, 21), QPoint(124, 41), QPoint(6, 6)})
        EXPECT_TRUE(mask.contains(inside)) << inside.x() << "," << inside.y();

    EXPECT_TRUE(bar().keepOnTopTimer.isActive());
    EXPECT_EQ(bar().keepOnTopTimer.interval(), 1000);
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_FALSE(bar().autoHideTimer.isActive());
    EXPECT_EQ(bar().autoHideTimer.interval(), 200);
}

// --- Run/Stop --------------------------------------------------------------

TEST_F(ToolbarTest, RunStopDoesNothingWhileTheOutputIsHidden) {
    controller().startDesktop();
    clickRunStop();
    EXPECT_FALSE(running());
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_EQ(hint(), "Run");

    app->output->showOnSecondary();
    clickRunStop();
    ASSERT_TRUE(running());
    app->output->hide();
    clickRunStop();  // hidden again: stays running
    EXPECT_TRUE(running());
    EXPECT_TRUE(bar().showsStopPicture());
}

TEST_F(ToolbarTest, RunStopFlipsStateGlyphAndHint) {
    app->output->showOnSecondary();
    controller().startDesktop();

    clickRunStop();
    EXPECT_TRUE(running());
    EXPECT_TRUE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::stop()));
    EXPECT_EQ(hint(), "Stop");

    clickRunStop();
    EXPECT_FALSE(running());
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_EQ(hint(), "Run");
}

TEST_F(ToolbarTest, RunStopWithNoSourceLeavesTheOutputStopped) {
    app->output->showOnSecondary();
    clickRunStop();
    EXPECT_FALSE(running());
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_EQ(hint(), "Run");

    controller().startDesktop();
    clickRunStop();
    ASSERT_TRUE(bar().showsStopPicture());
    controller().stopAll();  // the source goes, and the output stops with it
    EXPECT_FALSE(running());
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_EQ(hint(), "Run");

    clickRunStop();
    EXPECT_FALSE(running());
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_EQ(hint(), "Run");
}

TEST_F(ToolbarTest, RunStopDrivesTheSlideshowStopFlag) {
    app->output->showOnSecondary();
    const QString path = configDir.path() + QStringLiteral("/show.txt");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("5\r\nOn\r\n");
    }
    ASSERT_TRUE(controller().openSlideshow(path));
    playSlideshowsOnThisThread();
    for (int round = 0; round < 2; ++round) {  // Run clears what the previous Stop set
        clickRunStop();
        EXPECT_TRUE(running()) << round;
        EXPECT_FALSE(controller().toolbarStopRequested()) << round;
        EXPECT_TRUE(controller().slideshowPlayback().toolbarPlaying()) << round;
        EXPECT_EQ(hint(), "Stop");
        clickRunStop();
        EXPECT_FALSE(running()) << round;
        EXPECT_TRUE(controller().toolbarStopRequested()) << round;
    }

    // Other sources leave the flag alone.
    controller().startDesktop();
    clickRunStop();
    ASSERT_TRUE(running());
    EXPECT_TRUE(controller().toolbarStopRequested());
    clickRunStop();
    EXPECT_TRUE(controller().toolbarStopRequested());
}

TEST_F(ToolbarTest, SendToSecondPutsTheFrameOnTheOutput) {
    desktop.screen = QImage(1920, 1080, QImage::Format_RGB32);
    desktop.screen.fill(qRgb(255, 0, 0));
    app->output->showOnSecondary();
    controller().startDesktop();
    controller().frames().tick();  // the first capture starts
    controller().frames().tick();  // its frame becomes the one to send
    ASSERT_FALSE(running());
    EXPECT_EQ(app->output->outputView->picture().pixel(5, 5), qRgb(0, 0, 0));  // not running: nothing sent yet
    bar().sendButton->click();
    const QImage shown = app->output->outputView->picture();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(ToolbarTest, SettingsButtonShowsTheDialog) {
    bar().settingsButton->click();
    EXPECT_TRUE(app->settingsDialog->isVisible());
}

// --- Placement -------------------------------------------------------------

TEST_F(ToolbarTest, MoveRuleKeepsItOffTheRightEdge) {
    bar().show();
    struct {
        QPoint to, expected;
    } cases[] = {
        {{1672, 300}, {1672, 300}},  // exactly at the edge: stays
        {{1673, 300}, {1670, 300}},  // one past: back to width - 250
        {{2500, 300}, {1670, 300}},  // on the second monitor
        {{-30, 300}, {-30, 300}},    // the left edge has no rule
    };
    for (const auto& c : cases) {
        bar().move(c.to);
        EXPECT_EQ(bar().pos(), c.expected) << c.to.x();
    }
}

TEST_F(ToolbarTest, ActivationClampsToThePrimaryScreen) {
    bar().show();
    struct {
        QPoint from, expected;
    } cases[] = {
        {{100, 1020}, {100, 1020}},  // top at height - 60: stays
        {{100, 1021}, {100, 1020}},
        {{1600, 1070}, {1600, 1020}},
    };
    for (const auto& c : cases) {
        bar().move(c.from);
        activate(&bar());
        EXPECT_EQ(bar().pos(), c.expected) << c.from.x() << "," << c.from.y();
    }

    // A smaller primary screen (resolution changed): the left rule applies.
    bar().move(1600, 100);
    desktop.monitors = {QRect(0, 0, 1680, 1050)};
    controller().refreshMonitors();  // what a screen change makes the program do
    activate(&bar());
    EXPECT_EQ(bar().pos(), QPoint(1430, 100));
}

TEST_F(ToolbarTest, ActivationResetsOpacityAndFollowsAutoHide) {
    bar().show();
    bar().setOpacity(40);
    activate(&bar());
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_FALSE(bar().autoHideTimer.isActive());

    // A faded toolbar comes back opaque and fades again from the start.
    autoHideOnQuietly();
    fadeAway();
    ASSERT_EQ(bar().opacity(), 3);
    bar().autoHideTimer.stop();
    activate(&bar());
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_TRUE(bar().autoHideTimer.isActive());
    EXPECT_TRUE(fadesFromOpaque());
}

TEST_F(ToolbarTest, ClosingOrHidingStopsTheFadeAndShowingResumesIt) {
    autoHideOnQuietly();
    struct {
        const char* how;
        std::function<void()> hide;
    } ways[] = {
        {"closed", [&] { EXPECT_TRUE(bar().close()); }},  // closing only hides
        {"tray item", [&] { tray().toolbarAction->trigger(); }},
    };
    for (const auto& w : ways) {
        bar().show();
        ASSERT_TRUE(bar().autoHideTimer.isActive()) << w.how;
        ASSERT_TRUE(app->settingsDialog->toolbarBox->isChecked()) << w.how;
        w.hide();
        EXPECT_FALSE(bar().isVisible()) << w.how;
        EXPECT_FALSE(bar().autoHideTimer.isActive()) << w.how;
        EXPECT_FALSE(app->settingsDialog->toolbarBox->isChecked()) << w.how;
    }
    bar().show();  // the same window comes back, fading again
    EXPECT_TRUE(bar().isVisible());
    EXPECT_TRUE(bar().autoHideTimer.isActive());
    EXPECT_TRUE(app->settingsDialog->toolbarBox->isChecked());
}

// --- Keep-on-top tick ------------------------------------------------------

TEST_F(ToolbarTest, KeepOnTopTickRestoresInTheCornerUnlessTheMenuIsOpen) {
    bar().show();
    autoHideOnQuietly();
    fadeAway();
    ASSERT_EQ(bar().opacity(), 3);
    desktop.pointer = {500, 500};
    bar().keepOnTopTick();
    EXPECT_EQ(bar().opacity(), 3);

    desktop.pointer = {1, 1};
    controller().tray().setMenuOpen(true);
    bar().keepOnTopTick();
    EXPECT_EQ(bar().opacity(), 3);

    controller().tray().setMenuOpen(false);
    bar().keepOnTopTick();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_TRUE(fadesFromOpaque());
}

// Without a compositing manager the fade would not show: the toolbar
// vanishes where it would start to fade (its window stays shown, cut to
// nothing) and comes back when the pointer comes to its place. With one it
// fades and never vanishes.
TEST_F(ToolbarTest, AutoHideVanishesWithoutCompositingAndFadesWithIt) {
    bool compositing = false;
    platform.compositing = [&compositing] { return compositing; };
    bar().show();
    autoHideOnQuietly();
    desktop.pointer = {900, 600};
    for (int i = 0; i < 54; ++i) bar().autoHideTick();
    EXPECT_FALSE(bar().vanished());
    bar().autoHideTick();
    EXPECT_TRUE(bar().vanished());
    EXPECT_TRUE(bar().isVisible());
    EXPECT_FALSE(bar().mask().intersects(bar().rect()));
    EXPECT_DOUBLE_EQ(bar().windowOpacity(), 1.0);

    desktop.pointer = bar().geometry().center();
    bar().autoHideTick();
    EXPECT_FALSE(bar().vanished());
    EXPECT_TRUE(bar().mask().contains(bar().rect().center()));

    compositing = true;
    fadeAway();
    EXPECT_FALSE(bar().vanished());
    EXPECT_NEAR(bar().windowOpacity(), 3 / 255.0, 0.01);
}

// --- Auto-hide -------------------------------------------------------------

TEST_F(ToolbarTest, AutoHideCommandTogglesTimerAndOpacity) {
    tray().autoHideAction->trigger();
    EXPECT_TRUE(tray().autoHideAction->isChecked());
    EXPECT_FALSE(bar().autoHideTimer.isActive());  // the hidden toolbar does not fade
    bar().show();
    EXPECT_TRUE(bar().autoHideTimer.isActive());

    fadeAway();
    ASSERT_EQ(bar().opacity(), 3);
    tray().autoHideAction->trigger();
    EXPECT_FALSE(tray().autoHideAction->isChecked());
    EXPECT_FALSE(bar().autoHideTimer.isActive());
    EXPECT_EQ(bar().opacity(), 255);

    tray().autoHideAction->trigger();  // on again: the fade starts from opaque
    EXPECT_TRUE(bar().autoHideTimer.isActive());
    EXPECT_TRUE(fadesFromOpaque());
}

TEST_F(ToolbarTest, AutoHideHintUntilDontShowAgain) {
    bar().show();
    tray().autoHideAction->trigger();  // on: hint, box left unticked
    ASSERT_EQ(desktop.asked, QStringList{HintText});
    EXPECT_FALSE(controller().tray().autoHideHintOff());
    tray().autoHideAction->trigger();  // off: no hint
    EXPECT_EQ(desktop.asked.size(), 1);

    desktop.checkBoxAnswers = {true};
    tray().autoHideAction->trigger();  // on: hint, "Don't show me again." ticked
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(controller().tray().autoHideHintOff());

    tray().autoHideAction->trigger();
    tray().autoHideAction->trigger();  // on again: no hint any more
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(bar().autoHideTimer.isActive());
}

TEST_F(ToolbarTest, AutoHideTickFadesAwayAndRestoresOnTheToolbar) {
    bar().show();
    bar().move(100, 100);
    activate(&bar());
    autoHideOnQuietly();

    desktop.pointer = {900, 600};
    for (int i = 0; i < 54; ++i) bar().autoHideTick();
    EXPECT_EQ(bar().opacity(), 255);
    bar().autoHideTick();
    EXPECT_EQ(bar().opacity(), 198);
    for (int i = 0; i < 100; ++i) bar().autoHideTick();
    EXPECT_EQ(bar().opacity(), 3);

    // On the right or bottom edge: neither fades nor restores.
    for (QPoint edge : {QPoint(348, 120), QPoint(200, 142)}) {
        desktop.pointer = edge;
        bar().autoHideTick();
        EXPECT_EQ(bar().opacity(), 3) << edge.x() << "," << edge.y();
    }
    desktop.pointer = {900, 600};  // still resting: the edges left the fade where it was
    bar().autoHideTick();
    EXPECT_EQ(bar().opacity(), 3);

    desktop.pointer = {347, 141};  // just inside
    bar().autoHideTick();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_TRUE(fadesFromOpaque());

    fadeAway();
    desktop.pointer = {0, 0};  // the top-left corner restores, then fades one step
    bar().autoHideTick();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_TRUE(fadesFromOpaque(1));
}

}  // namespace
}  // namespace vz::test
