// The floating toolbar: its look, Run/Stop, the placement rules, the
// keep-on-top tick and auto-hide, on the fake platform.

#include "app_fixture.h"

#include "app/capture_cycle.h"
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

namespace vz::test {
namespace {

const QString HintText = QStringLiteral(" \n   Move cursor to upper left corner to show hidden Toolbar.          ");

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
};

TEST_F(ToolbarTest, LayoutAndStartState) {
    EXPECT_EQ(bar().size(), QSize(248, 42));
    const auto flags = bar().windowFlags();
    EXPECT_TRUE(flags & Qt::FramelessWindowHint);
    EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(bar().panel->geometry(), QRect(0, 0, 248, 42));
    EXPECT_EQ(bar().panel->color(), QColor(67, 74, 84));
    EXPECT_TRUE(bar().panel->dragsWindow());

    struct { GlyphButton* b; QRect place; const char* hint; } buttons[] = {
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
    EXPECT_FALSE(tray().autoHideTimer.isActive());
}

// --- Run/Stop --------------------------------------------------------------

TEST_F(ToolbarTest, RunStopDoesNothingWhileTheOutputIsHidden) {
    state().source = source::Desktop;
    bar().toggleRun();
    EXPECT_FALSE(state().outputRunning);
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_EQ(hint(), "Run");

    app->output->showOnSecondary();
    bar().toggleRun();
    ASSERT_TRUE(state().outputRunning);
    app->output->hide();
    bar().toggleRun();  // hidden again: stays running
    EXPECT_TRUE(state().outputRunning);
    EXPECT_TRUE(bar().showsStopPicture());
}

TEST_F(ToolbarTest, RunStopFlipsStateGlyphAndHint) {
    app->output->showOnSecondary();
    state().source = source::Desktop;

    bar().toggleRun();
    EXPECT_TRUE(state().outputRunning);
    EXPECT_TRUE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::stop()));
    EXPECT_EQ(hint(), "Stop");

    bar().runStopButton->click();  // the button itself is wired
    EXPECT_FALSE(state().outputRunning);
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_EQ(hint(), "Run");
}

TEST_F(ToolbarTest, RunStopWithNoSourceOnlyShowsRun) {
    app->output->showOnSecondary();
    state().source = source::Desktop;
    bar().toggleRun();
    ASSERT_TRUE(bar().showsStopPicture());

    state().source = source::Stopped;
    bar().toggleRun();
    EXPECT_TRUE(state().outputRunning);  // untouched
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_EQ(hint(), "Stop");  // untouched too

    state().outputRunning = false;
    bar().toggleRun();
    EXPECT_FALSE(state().outputRunning);
}

TEST_F(ToolbarTest, RunStopDrivesTheSlideshowStopFlag) {
    app->output->showOnSecondary();
    state().source = source::Slideshow;
    state().toolbarStopRequested = true;
    bar().toggleRun();
    EXPECT_TRUE(state().outputRunning);
    EXPECT_FALSE(state().toolbarStopRequested);
    EXPECT_EQ(hint(), "Stop");
    bar().toggleRun();
    EXPECT_TRUE(state().toolbarStopRequested);

    // Other sources leave the flag alone.
    state().source = source::Desktop;
    state().toolbarStopRequested = true;
    bar().toggleRun();
    EXPECT_TRUE(state().toolbarStopRequested);
}

TEST_F(ToolbarTest, SendToSecondPutsTheFrameOnTheOutput) {
    app->output->showOnSecondary();
    state().source = source::Desktop;
    state().outputFrame = QImage(64, 48, QImage::Format_RGB32);
    state().outputFrame.fill(qRgb(255, 0, 0));
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
    struct { QPoint to, expected; } cases[] = {
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
    struct { QPoint from, expected; } cases[] = {
        {{100, 1020}, {100, 1020}},  // top at height - 60: stays
        {{100, 1021}, {100, 1020}},
        {{1600, 1070}, {1600, 1020}},
    };
    for (const auto& c : cases) {
        bar().move(c.from);
        bar().onActivated();
        EXPECT_EQ(bar().pos(), c.expected) << c.from.x() << "," << c.from.y();
    }

    // A smaller primary screen (resolution changed): the left rule applies.
    bar().move(1600, 100);
    desktop.monitors = {QRect(0, 0, 1680, 1050)};
    app->refreshMonitors();  // what a screen change makes the program do
    bar().onActivated();
    EXPECT_EQ(bar().pos(), QPoint(1430, 100));
}

TEST_F(ToolbarTest, ActivationResetsOpacityAndFollowsAutoHide) {
    state().toolbarAlpha = 40;
    bar().setOpacity(40);
    bar().onActivated();
    EXPECT_EQ(state().toolbarAlpha, 255);
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_FALSE(tray().autoHideTimer.isActive());

    state().autoHideHintOff = true;
    tray().onAutoHideAction();
    tray().autoHideTimer.stop();
    bar().onActivated();
    EXPECT_TRUE(tray().autoHideTimer.isActive());
}

TEST_F(ToolbarTest, CloseOnlyHidesAndStopsAutoHide) {
    state().autoHideHintOff = true;
    tray().onAutoHideAction();
    bar().show();
    app->settingsDialog->onActivated();
    ASSERT_TRUE(tray().autoHideTimer.isActive());
    EXPECT_TRUE(bar().close());
    EXPECT_FALSE(bar().isVisible());
    EXPECT_FALSE(tray().autoHideTimer.isActive());
    EXPECT_FALSE(app->settingsDialog->toolbarBox->isChecked());
    bar().show();  // the same window comes back
    EXPECT_TRUE(bar().isVisible());
}

// --- Keep-on-top tick ------------------------------------------------------

TEST_F(ToolbarTest, KeepOnTopTickRestoresInTheCornerUnlessTheMenuIsOpen) {
    bar().show();
    auto faded = [&] {
        state().toolbarAlpha = 3;
        bar().setOpacity(3);
    };
    faded();
    desktop.pointer = {500, 500};
    bar().keepOnTopTick();
    EXPECT_EQ(bar().opacity(), 3);

    desktop.pointer = {1, 1};
    state().menuOpen = true;
    bar().keepOnTopTick();
    EXPECT_EQ(bar().opacity(), 3);

    state().menuOpen = false;
    bar().keepOnTopTick();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_EQ(state().toolbarAlpha, 255);
}

// --- Auto-hide -------------------------------------------------------------

TEST_F(ToolbarTest, AutoHideCommandTogglesTimerAndOpacity) {
    tray().onAutoHideAction();
    EXPECT_TRUE(tray().autoHideAction->isChecked());
    EXPECT_TRUE(tray().autoHideTimer.isActive());

    state().toolbarAlpha = 50;
    bar().setOpacity(50);
    tray().onAutoHideAction();
    EXPECT_FALSE(tray().autoHideAction->isChecked());
    EXPECT_FALSE(tray().autoHideTimer.isActive());
    EXPECT_EQ(state().toolbarAlpha, 255);
    EXPECT_EQ(bar().opacity(), 255);
}

TEST_F(ToolbarTest, AutoHideHintUntilDontShowAgain) {
    tray().onAutoHideAction();  // on: hint, box left unticked
    ASSERT_EQ(desktop.asked, QStringList{HintText});
    EXPECT_FALSE(state().autoHideHintOff);
    tray().onAutoHideAction();  // off: no hint
    EXPECT_EQ(desktop.asked.size(), 1);

    desktop.checkBoxAnswers = {true};
    tray().onAutoHideAction();  // on: hint, "Don't show me again." ticked
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(state().autoHideHintOff);

    tray().onAutoHideAction();
    tray().onAutoHideAction();  // on again: no hint any more
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(tray().autoHideTimer.isActive());
}

TEST_F(ToolbarTest, AutoHideTickFadesAwayAndRestoresOnTheToolbar) {
    state().autoHideHintOff = true;
    bar().show();
    bar().move(100, 100);
    bar().onActivated();
    tray().onAutoHideAction();

    desktop.pointer = {900, 600};
    for (int i = 0; i < 54; ++i) tray().autoHideTick();
    EXPECT_EQ(bar().opacity(), 255);
    tray().autoHideTick();
    EXPECT_EQ(bar().opacity(), 198);
    for (int i = 0; i < 100; ++i) tray().autoHideTick();
    EXPECT_EQ(bar().opacity(), 3);

    // On the right or bottom edge: neither fades nor restores.
    for (QPoint edge : {QPoint(348, 120), QPoint(200, 142)}) {
        desktop.pointer = edge;
        tray().autoHideTick();
        EXPECT_EQ(bar().opacity(), 3) << edge.x() << "," << edge.y();
        EXPECT_EQ(state().toolbarAlpha, 3);
    }

    desktop.pointer = {347, 141};  // just inside
    tray().autoHideTick();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_EQ(state().toolbarAlpha, 255);

    desktop.pointer = {900, 600};
    for (int i = 0; i < 100; ++i) tray().autoHideTick();
    desktop.pointer = {0, 0};  // the top-left corner restores, then fades one step
    tray().autoHideTick();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_EQ(state().toolbarAlpha, 254);
}

}  // namespace
}  // namespace vz::test
