// The floating toolbar: its look, Run/Stop, the placement rules, the
// keep-on-top tick and auto-hide, on the fake platform.

#include "app_fixture.h"

#include "capture/capture_cycle.h"
#include "display/image_view.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"
#include "widgets/glyph_button.h"
#include "widgets/glyphs.h"
#include "widgets/movable_panel.h"
#include "widgets/onoff_checkbox.h"

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
    TMainForm& bar() { return *app->mainForm; }
    TStartForm& tray() { return *app->startForm; }
    bool showsGlyph(const QPixmap& p) { return bar().xiTekanje->glyph().toImage() == p.toImage(); }
    QString hint() { return bar().xiTekanje->toolTip(); }
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
        {bar().xbMenu, {13, 6, 58, 29}, "Settings"},
        {bar().SpeedButton8, {94, 6, 58, 29}, "Send to Second Monitor"},
        {bar().xiTekanje, {175, 8, 58, 27}, "Run"},
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

    EXPECT_TRUE(bar().Timer1.isActive());
    EXPECT_EQ(bar().Timer1.interval(), 1000);
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_FALSE(tray().Timer2.isActive());
}

// --- Run/Stop --------------------------------------------------------------

TEST_F(ToolbarTest, RunStopDoesNothingWhileTheOutputIsHidden) {
    state().SourceMode = source::Desktop;
    bar().xiTekanjeClick();
    EXPECT_FALSE(state().OutputRunning);
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_EQ(hint(), "Run");

    app->fmonitor->ShowOnSecondary();
    bar().xiTekanjeClick();
    ASSERT_TRUE(state().OutputRunning);
    app->fmonitor->hide();
    bar().xiTekanjeClick();  // hidden again: stays running
    EXPECT_TRUE(state().OutputRunning);
    EXPECT_TRUE(bar().showsStopPicture());
}

TEST_F(ToolbarTest, RunStopFlipsStateGlyphAndHint) {
    app->fmonitor->ShowOnSecondary();
    state().SourceMode = source::Desktop;

    bar().xiTekanjeClick();
    EXPECT_TRUE(state().OutputRunning);
    EXPECT_TRUE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::stop()));
    EXPECT_EQ(hint(), "Stop");

    bar().xiTekanje->click();  // the button itself is wired
    EXPECT_FALSE(state().OutputRunning);
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_EQ(hint(), "Run");
}

TEST_F(ToolbarTest, RunStopWithNoSourceOnlyShowsRun) {
    app->fmonitor->ShowOnSecondary();
    state().SourceMode = source::Desktop;
    bar().xiTekanjeClick();
    ASSERT_TRUE(bar().showsStopPicture());

    state().SourceMode = source::Stopped;
    bar().xiTekanjeClick();
    EXPECT_TRUE(state().OutputRunning);  // untouched
    EXPECT_FALSE(bar().showsStopPicture());
    EXPECT_TRUE(showsGlyph(glyphs::run()));
    EXPECT_EQ(hint(), "Stop");  // untouched too

    state().OutputRunning = false;
    bar().xiTekanjeClick();
    EXPECT_FALSE(state().OutputRunning);
}

TEST_F(ToolbarTest, RunStopDrivesTheSlideshowStopFlag) {
    app->fmonitor->ShowOnSecondary();
    state().SourceMode = source::Slideshow;
    state().playstop = true;
    bar().xiTekanjeClick();
    EXPECT_TRUE(state().OutputRunning);
    EXPECT_FALSE(state().playstop);
    EXPECT_EQ(hint(), "Stop");
    bar().xiTekanjeClick();
    EXPECT_TRUE(state().playstop);

    // Other sources leave the flag alone.
    state().SourceMode = source::Desktop;
    state().playstop = true;
    bar().xiTekanjeClick();
    EXPECT_TRUE(state().playstop);
}

TEST_F(ToolbarTest, SendToSecondPutsTheFrameOnTheOutput) {
    app->fmonitor->ShowOnSecondary();
    state().SourceMode = source::Desktop;
    state().OutputFrame = QImage(64, 48, QImage::Format_RGB32);
    state().OutputFrame.fill(qRgb(255, 0, 0));
    bar().SpeedButton8->click();
    const QImage shown = app->fmonitor->image->picture();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(ToolbarTest, SettingsButtonShowsTheDialog) {
    bar().xbMenu->click();
    EXPECT_TRUE(app->foptions->isVisible());
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
        bar().FormActivate();
        EXPECT_EQ(bar().pos(), c.expected) << c.from.x() << "," << c.from.y();
    }

    // A smaller primary screen (resolution changed): the left rule applies.
    bar().move(1600, 100);
    desktop.monitors = {QRect(0, 0, 1680, 1050)};
    app->refreshMonitors();  // what a screen change makes the program do
    bar().FormActivate();
    EXPECT_EQ(bar().pos(), QPoint(1430, 100));
}

TEST_F(ToolbarTest, ActivationResetsOpacityAndFollowsAutoHide) {
    state().ToolbarAlpha = 40;
    bar().setOpacity(40);
    bar().FormActivate();
    EXPECT_EQ(state().ToolbarAlpha, 255);
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_FALSE(tray().Timer2.isActive());

    state().AutoHideHintOff = true;
    tray().AutoHide1Click();
    tray().Timer2.stop();
    bar().FormActivate();
    EXPECT_TRUE(tray().Timer2.isActive());
}

TEST_F(ToolbarTest, CloseOnlyHidesAndStopsAutoHide) {
    state().AutoHideHintOff = true;
    tray().AutoHide1Click();
    bar().show();
    app->foptions->FormActivate();
    ASSERT_TRUE(tray().Timer2.isActive());
    EXPECT_TRUE(bar().close());
    EXPECT_FALSE(bar().isVisible());
    EXPECT_FALSE(tray().Timer2.isActive());
    EXPECT_FALSE(app->foptions->bcToolBar->isChecked());
    bar().show();  // the same window comes back
    EXPECT_TRUE(bar().isVisible());
}

// --- Keep-on-top tick ------------------------------------------------------

TEST_F(ToolbarTest, KeepOnTopTickRestoresInTheCornerUnlessTheMenuIsOpen) {
    bar().show();
    auto faded = [&] {
        state().ToolbarAlpha = 3;
        bar().setOpacity(3);
    };
    faded();
    desktop.pointer = {500, 500};
    bar().Timer1Timer();
    EXPECT_EQ(bar().opacity(), 3);

    desktop.pointer = {1, 1};
    state().MenuOpen = true;
    bar().Timer1Timer();
    EXPECT_EQ(bar().opacity(), 3);

    state().MenuOpen = false;
    bar().Timer1Timer();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_EQ(state().ToolbarAlpha, 255);
}

// --- Auto-hide -------------------------------------------------------------

TEST_F(ToolbarTest, AutoHideCommandTogglesTimerAndOpacity) {
    tray().AutoHide1Click();
    EXPECT_TRUE(tray().AutoHide1->isChecked());
    EXPECT_TRUE(tray().Timer2.isActive());

    state().ToolbarAlpha = 50;
    bar().setOpacity(50);
    tray().AutoHide1Click();
    EXPECT_FALSE(tray().AutoHide1->isChecked());
    EXPECT_FALSE(tray().Timer2.isActive());
    EXPECT_EQ(state().ToolbarAlpha, 255);
    EXPECT_EQ(bar().opacity(), 255);
}

TEST_F(ToolbarTest, AutoHideHintUntilDontShowAgain) {
    tray().AutoHide1Click();  // on: hint, box left unticked
    ASSERT_EQ(desktop.asked, QStringList{HintText});
    EXPECT_FALSE(state().AutoHideHintOff);
    tray().AutoHide1Click();  // off: no hint
    EXPECT_EQ(desktop.asked.size(), 1);

    desktop.checkBoxAnswers = {true};
    tray().AutoHide1Click();  // on: hint, "Don't show me again." ticked
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(state().AutoHideHintOff);

    tray().AutoHide1Click();
    tray().AutoHide1Click();  // on again: no hint any more
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(tray().Timer2.isActive());
}

TEST_F(ToolbarTest, AutoHideTickFadesAwayAndRestoresOnTheToolbar) {
    state().AutoHideHintOff = true;
    bar().show();
    bar().move(100, 100);
    bar().FormActivate();
    tray().AutoHide1Click();

    desktop.pointer = {900, 600};
    for (int i = 0; i < 54; ++i) tray().Timer2Timer();
    EXPECT_EQ(bar().opacity(), 255);
    tray().Timer2Timer();
    EXPECT_EQ(bar().opacity(), 198);
    for (int i = 0; i < 100; ++i) tray().Timer2Timer();
    EXPECT_EQ(bar().opacity(), 3);

    // On the right or bottom edge: neither fades nor restores.
    for (QPoint edge : {QPoint(348, 120), QPoint(200, 142)}) {
        desktop.pointer = edge;
        tray().Timer2Timer();
        EXPECT_EQ(bar().opacity(), 3) << edge.x() << "," << edge.y();
        EXPECT_EQ(state().ToolbarAlpha, 3);
    }

    desktop.pointer = {347, 141};  // just inside
    tray().Timer2Timer();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_EQ(state().ToolbarAlpha, 255);

    desktop.pointer = {900, 600};
    for (int i = 0; i < 100; ++i) tray().Timer2Timer();
    desktop.pointer = {0, 0};  // the top-left corner restores, then fades one step
    tray().Timer2Timer();
    EXPECT_EQ(bar().opacity(), 255);
    EXPECT_EQ(state().ToolbarAlpha, 254);
}

}  // namespace
}  // namespace vz::test
