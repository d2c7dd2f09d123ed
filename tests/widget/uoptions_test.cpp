// The settings dialog: its source commands, toggles, view-mode boxes, update
// rate, initialisation and the slideshow file reader, on the fake platform.

#include "app_fixture.h"

#include "app/features.h"
#include "capture/capture_cycle.h"
#include "display/image_view.h"
#include "display/umonitor.h"
#include "display/uoptions.h"
#include "display/uslika.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"
#include "widgets/glyph_button.h"
#include "widgets/onoff_checkbox.h"
#include "widgets/spin_edit.h"
#include "widgets/track_bar.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

#include <functional>

namespace vz::test {
namespace {

class OptionsTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
    }
    TFoptions& dlg() { return *app->foptions; }
    bool timerOn() { return app->capture->Timer3zaslon.isActive(); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = configDir.path() + QLatin1Char('/') + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

using Command = void (TFoptions::*)();
using ButtonOf = GlyphButton* TFoptions::*;

struct SourceCase {
    const char* name;
    Command before;  // run first (nullptr: none)
    Command command;
    int sourceMode;
    int menuSource;
    int desktopScope;
    bool outputRunning;
    ButtonOf marked;
    bool timerActive;
};

// The output window is up, as when a source is chosen for real. After Stop
// All the Run/Stop flag stays set; the next command's ClearImage presses
// Run/Stop with the new source and so brings it back to false.
const SourceCase kSourceCases[] = {
    {"Desktop", nullptr, &TFoptions::SBMonitorClick, 2, 1, 0, false, &TFoptions::SBMonitor, true},
    {"DesktopAfterStopAll", &TFoptions::sbStopClick, &TFoptions::SBMonitorClick, 2, 1, 0, false,
     &TFoptions::SBMonitor, true},
    {"StopAllKeepsTimerAndFlag", &TFoptions::SBMonitorClick, &TFoptions::sbStopClick, 0, 0, 0, true,
     &TFoptions::sbStop, true},
    {"ClipboardStopsTimer", &TFoptions::SBMonitorClick, &TFoptions::SbClipboardClick, 4, 4, 0, false,
     &TFoptions::SbClipboard, false},
    {"PartOfDesktop", nullptr, &TFoptions::SBPartClick, 2, 2, 1, false, &TFoptions::SBPart, true},
    {"SingleApplication", &TFoptions::SBMonitorClick, &TFoptions::SbWindowClick, 3, 3, 0, false,
     &TFoptions::SbWindow, false},
    {"MakeSlideshow", &TFoptions::sbStopClick, &TFoptions::CreateSlideshow1Click, 5, 6, -1, false,
     &TFoptions::sbSlideShow, false},
};

TEST_F(OptionsTest, SourceCommandsSetTheSharedStateAndTheMarker) {
    for (const SourceCase& c : kSourceCases) {
        SCOPED_TRACE(c.name);
        startApp();
        app->fmonitor->ShowOnSecondary();
        if (c.before) (dlg().*c.before)();
        (dlg().*c.command)();
        EXPECT_EQ(state().SourceMode, c.sourceMode);
        EXPECT_EQ(state().MenuSource, c.menuSource);
        EXPECT_EQ(state().DesktopScope, c.desktopScope);
        EXPECT_EQ(state().OutputRunning, c.outputRunning);
        EXPECT_EQ(timerOn(), c.timerActive);
        GlyphButton* expected = dlg().*c.marked;
        EXPECT_EQ(dlg().markedSource(), expected);
        EXPECT_FALSE(dlg().redall->isHidden());
        EXPECT_EQ(dlg().redall->x(), expected->x());
        EXPECT_EQ(dlg().sbred->glyph().cacheKey(), expected->glyph().cacheKey());
    }
}

TEST_F(OptionsTest, MarkerStartsOverStopAllAndIsADisabledBluePanel) {
    EXPECT_EQ(dlg().markedSource(), dlg().sbStop);
    EXPECT_EQ(dlg().redall->x(), dlg().sbStop->x());
    EXPECT_EQ(dlg().redall->size(), QSize(53, 33));
    EXPECT_EQ(dlg().sbred->size(), QSize(53, 33));
    EXPECT_FALSE(dlg().redall->isEnabled());
    EXPECT_EQ(dlg().redall->palette().color(QPalette::Window), QColor(0, 128, 255));
}

TEST_F(OptionsTest, StopAllShowsTheImageHidesTheBandAndPutsTheRunPictureBack) {
    TFmonitor& out = *app->fmonitor;
    out.ShowOnSecondary();
    dlg().SBMonitorClick();
    app->mainForm->xiTekanjeClick();  // Run: the toolbar shows Stop
    ASSERT_TRUE(state().OutputRunning);
    out.image->hide();
    out.Pixa->show();
    out.rtmdis->show();
    app->fslika->pscroll->show();

    dlg().sbStopClick();

    EXPECT_FALSE(out.image->isHidden());
    EXPECT_TRUE(out.Pixa->isHidden());
    EXPECT_TRUE(out.rtmdis->isHidden());
    EXPECT_TRUE(app->fslika->pscroll->isHidden());
    EXPECT_TRUE(state().OutputRunning);
    EXPECT_FALSE(app->mainForm->showsStopPicture());
}

TEST_F(OptionsTest, PartOfDesktopBringsAVisibleDialogBackToItsPlace) {
    dlg().move(200, 150);
    dlg().show();
    const QPoint before = dlg().pos();
    const int toolbarTop = app->mainForm->y();
    dlg().SBPartClick();
    EXPECT_TRUE(dlg().isVisible());
    EXPECT_EQ(dlg().pos(), before);
    EXPECT_EQ(app->mainForm->y(), toolbarTop);
    EXPECT_TRUE(state().AreaSnapshot.isNull());
}

TEST_F(OptionsTest, PartOfDesktopLeavesAHiddenDialogHidden) {
    dlg().SBPartClick();
    EXPECT_FALSE(dlg().isVisible());
}

TEST_F(OptionsTest, UpdateRateSetsTheIntervalAndRaisesOnlyTheMaximum) {
    struct {
        int rate, interval, maxAfter;
    } const cases[] = {{10, 100, 10}, {3, 333, 10}, {4, 250, 10}, {1000, 1, 1000}, {1, 1000, 1000}};
    state().MaxUpdateRate = 5;
    dlg().spinrefresh->setValue(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        dlg().spinrefresh->setValue(c.rate);
        EXPECT_EQ(app->capture->Timer3zaslon.interval(), c.interval);
        EXPECT_EQ(state().MaxUpdateRate, c.maxAfter);
    }
}

TEST_F(OptionsTest, SpinEditsAndSliderHaveTheirRanges) {
    for (SpinEdit* spin : {dlg().spinrefresh, dlg().SpinScaleVrednost}) {
        EXPECT_EQ(spin->minimum(), 1);
        EXPECT_EQ(spin->maximum(), 1000);
    }
    EXPECT_EQ(dlg().X2Size->minimum(), 1);
    EXPECT_EQ(dlg().X2Size->maximum(), 100);
    EXPECT_EQ(dlg().X2Size->tickInterval(), 10);
}

TEST_F(OptionsTest, FormCreateTakesTheHeldValues) {
    struct Case {
        const char* name;
        int monitors;
        int savedViewMode;
        int slider;      // expected
        int tickedMode;  // expected
    } const cases[] = {
        {"OneMonitor", 1, 4, 30, 4},
        {"TwoMonitors", 2, 1, 100, 1},
        {"DafZero", 2, 0, 100, 0},
        {"DafSix", 1, 6, 30, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.monitors = {QRect(0, 0, 1920, 1080)};
        if (c.monitors == 2) desktop.monitors.append(QRect(1920, 0, 1280, 1024));
        startApp();
        // Reset All Settings runs the initialisation again over a used dialog.
        dlg().tickViewModeBox(3);
        app->startForm->vm[3]->setChecked(true);
        dlg().markSource(dlg().SBMonitor);
        state().SavedViewMode = c.savedViewMode;
        state().optShowcursor = true;
        state().optShowRedPoint = false;
        state().opScaleValue = 250;
        state().optLeft = 120;
        state().optTop = 90;
        dlg().FormCreate();

        EXPECT_EQ(dlg().markedSource(), dlg().sbStop);
        EXPECT_EQ(dlg().X2Size->value(), c.slider);
        EXPECT_EQ(dlg().Label18->text(), QStringLiteral("%1 %").arg(c.slider));
        EXPECT_EQ(dlg().pos(), QPoint(120, 90));
        EXPECT_TRUE(dlg().Showcursor1->isChecked());
        EXPECT_EQ(dlg().Showcursor1->text(), QStringLiteral("On"));
        EXPECT_FALSE(dlg().RedPOINT->isChecked());
        EXPECT_EQ(dlg().RedPOINT->text(), QStringLiteral("Off"));
        EXPECT_EQ(dlg().SpinScaleVrednost->value(), 250);
        EXPECT_EQ(dlg().tickedViewMode(), c.tickedMode);
        for (int n = 1; n <= 5; ++n) {
            const bool on = n == c.tickedMode;
            EXPECT_EQ(dlg().SM[n]->isChecked(), on) << n;
            EXPECT_EQ(dlg().SM[n]->text(), on ? QStringLiteral("On") : QStringLiteral("Off")) << n;
            EXPECT_EQ(app->startForm->vm[n]->isChecked(), on) << n;
        }
    }
}

TEST_F(OptionsTest, FormCreateAppliesTheRateEvenWhenItIsUnchanged) {
    state().refreshRate = dlg().spinrefresh->value();
    app->capture->Timer3zaslon.setInterval(999);
    state().MaxUpdateRate = 1;
    dlg().FormCreate();
    EXPECT_EQ(app->capture->Timer3zaslon.interval(), 1000 / state().refreshRate);
    EXPECT_EQ(state().MaxUpdateRate, state().refreshRate);
}

TEST_F(OptionsTest, TogglesShowAndHideTheirWindowsAndFormActivateFollows) {
    app->fslika->show();
    app->mainForm->show();
    dlg().FormActivate();
    EXPECT_TRUE(dlg().bcSlika->isChecked());
    EXPECT_EQ(dlg().bcSlika->text(), QStringLiteral("On"));
    EXPECT_FALSE(dlg().bcMonitor->isChecked());
    EXPECT_EQ(dlg().bcMonitor->text(), QStringLiteral("Off"));

    dlg().bcSlika->click();
    EXPECT_FALSE(app->fslika->isVisible());
    EXPECT_EQ(dlg().bcSlika->text(), QStringLiteral("Off"));
    dlg().bcToolBar->click();
    EXPECT_FALSE(app->mainForm->isVisible());
    EXPECT_EQ(dlg().bcToolBar->text(), QStringLiteral("Off"));
    dlg().bcToolBar->click();
    EXPECT_TRUE(app->mainForm->isVisible());
    EXPECT_EQ(dlg().bcToolBar->text(), QStringLiteral("On"));

    // The monitor box hands over to the output window, which captions it.
    dlg().bcMonitor->click();
    EXPECT_TRUE(app->fmonitor->isVisible());
    EXPECT_EQ(dlg().bcMonitor->text(), QStringLiteral("On"));

    // Reopening the dialog shows the preview box unticked.
    dlg().show();
    dlg().close();
    dlg().show();
    dlg().FormActivate();
    EXPECT_FALSE(dlg().bcSlika->isChecked());
    EXPECT_EQ(dlg().bcSlika->text(), QStringLiteral("Off"));
    EXPECT_TRUE(dlg().bcMonitor->isChecked());
    EXPECT_EQ(dlg().bcMonitor->text(), QStringLiteral("On"));
}

TEST_F(OptionsTest, PointerOptionBoxesCaptionThemselvesOnClick) {
    for (OnOffCheckBox* box : {dlg().RedPOINT, dlg().Showcursor1}) {
        box->click();
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(box->text(), QStringLiteral("On"));
        box->click();
        EXPECT_EQ(box->text(), QStringLiteral("Off"));
    }
}

TEST_F(OptionsTest, ViewModeBoxClickChoosesTheModeAlone) {
    app->fmonitor->ShowOnSecondary();
    dlg().SM[1]->click();
    EXPECT_EQ(app->fmonitor->image->fit(), ViewFit::Normal);
    dlg().SM[3]->click();
    EXPECT_EQ(state().ViewMode, 3);
    EXPECT_EQ(app->fmonitor->image->fit(), ViewFit::Optimal);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(dlg().SM[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(dlg().SM[n]->text(), n == 3 ? QStringLiteral("On") : QStringLiteral("Off")) << n;
        EXPECT_EQ(app->startForm->vm[n]->isChecked(), n == 3) << n;
    }
    // Clicking the box that is on keeps it on.
    dlg().SM[3]->click();
    EXPECT_TRUE(dlg().SM[3]->isChecked());
    EXPECT_EQ(dlg().tickedViewMode(), 3);
}

TEST_F(OptionsTest, ButtonsOfFeaturesNotBuiltStayVisibleAndDisabled) {
    struct {
        ButtonOf button;
        const char* hint;
        bool built;
    } const cases[] = {
        {&TFoptions::sbStop, "Stop All", true},
        {&TFoptions::SBMonitor, "Desktop", true},
        {&TFoptions::SBPart, "Part of Desktop", features::AreaSelection},
        {&TFoptions::SbWindow, "Single Application", features::WindowPicker},
        {&TFoptions::SbClipboard, "Clipboard", features::ClipboardSource},
        {&TFoptions::sbSlideShow, "Images", features::Slideshow},
        {&TFoptions::sbSkrol, "Scroll Text", features::ScrollText},
        {&TFoptions::sbCapture, "Capture an Image from a second display", features::ImageCapture},
    };
    dlg().show();
    int lastX = -1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hint);
        GlyphButton* b = dlg().*c.button;
        EXPECT_TRUE(b->isVisible());
        EXPECT_EQ(b->isEnabled(), c.built);
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(c.hint));
        EXPECT_GT(b->x(), lastX);  // one row, left to right
        lastX = b->x();
    }
}

TEST_F(OptionsTest, OpenSlideshowReadsTheFileIntoTheSharedLines) {
    const QString path = writeFile(QStringLiteral("show.vsl"), "5\r\nOn\r\n/pics/a.jpg\r\n/pics/b.png\r\n");
    app->fmonitor->ShowOnSecondary();
    dlg().SBMonitorClick();
    ASSERT_TRUE(dlg().openSlideshowFile(path));
    EXPECT_EQ(state().slidelines,
              QStringList({QStringLiteral("5"), QStringLiteral("On"), QStringLiteral("/pics/a.jpg"),
                           QStringLiteral("/pics/b.png")}));
    EXPECT_EQ(state().slidecount, 4);
    EXPECT_TRUE(state().slideloaded);
    EXPECT_EQ(state().SourceMode, source::Slideshow);
    EXPECT_EQ(state().MenuSource, 5);
    EXPECT_EQ(dlg().markedSource(), dlg().sbSlideShow);
    EXPECT_FALSE(timerOn());  // the slideshow editor's close stops the capture
}

TEST_F(OptionsTest, ImagesOpensItsMenuBelowTheButton) {
    dlg().move(100, 100);
    dlg().show();
    dlg().sbSlideShowClick();
    ASSERT_TRUE(dlg().pop1->isVisible());
    EXPECT_EQ(dlg().pop1->pos(), dlg().sbSlideShow->mapToGlobal(QPoint(0, dlg().sbSlideShow->height())));
    const auto items = dlg().pop1->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Open Slideshow"));
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), QStringLiteral("Make Slideshow"));
    dlg().pop1->hide();
}

TEST_F(OptionsTest, OpenSlideshowEdgeFiles) {
    // No line end after the last line; an empty file loads nothing.
    ASSERT_TRUE(dlg().openSlideshowFile(writeFile(QStringLiteral("a.vsl"), "3\nOff\n/x.bmp")));
    EXPECT_EQ(state().slidecount, 3);
    EXPECT_EQ(state().slidelines.last(), QStringLiteral("/x.bmp"));

    state().slideloaded = false;
    ASSERT_TRUE(dlg().openSlideshowFile(writeFile(QStringLiteral("empty.vsl"), "")));
    EXPECT_EQ(state().slidecount, 0);
    EXPECT_FALSE(state().slideloaded);

    // Longer than the shared lines can hold: the first 3001 lines are kept.
    QByteArray big = "1\r\nOn\r\n";
    for (int i = 0; i < 3100; ++i) big += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    ASSERT_TRUE(dlg().openSlideshowFile(writeFile(QStringLiteral("big.vsl"), big)));
    EXPECT_EQ(state().slidecount, 3001);
    EXPECT_EQ(state().slidelines.size(), 3001);
    EXPECT_EQ(state().slidelines.last(), QStringLiteral("/p/2998.jpg"));
}

TEST_F(OptionsTest, OpenSlideshowOfAnUnreadableFileSaysSoAndChangesNothing) {
    dlg().SBMonitorClick();
    state().slidelines = {QStringLiteral("old")};
    state().slidecount = 1;
    EXPECT_FALSE(dlg().openSlideshowFile(configDir.path() + QStringLiteral("/missing.vsl")));
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked.first().startsWith(QStringLiteral("Cannot open file \"")));
    EXPECT_EQ(state().SourceMode, source::Desktop);
    EXPECT_EQ(state().slidecount, 1);
    EXPECT_EQ(dlg().markedSource(), dlg().SBMonitor);
}

TEST_F(OptionsTest, EscAndCloseCloseTheDialog) {
    dlg().show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dlg().spinrefresh, &esc);  // reaches the dialog from a child
    EXPECT_FALSE(dlg().isVisible());
    dlg().show();
    dlg().xiOK->click();
    EXPECT_FALSE(dlg().isVisible());
}

TEST_F(OptionsTest, StaysOnThePrimaryScreen) {
    dlg().show();
    const int width = dlg().frameGeometry().width();
    dlg().move(1920 - width + 5, 100);
    EXPECT_EQ(dlg().x(), 1920 - width - 20);
    dlg().move(1920 - width, 100);  // exactly at the edge is allowed
    EXPECT_EQ(dlg().x(), 1920 - width);
}

TEST_F(OptionsTest, DialogIsAFixedSizeDialog) {
    EXPECT_EQ(dlg().windowTitle(), QStringLiteral("Vivivoz - Settings"));
    EXPECT_EQ(dlg().size(), QSize(699, 541));
    EXPECT_EQ(dlg().minimumSize(), dlg().maximumSize());
    EXPECT_TRUE(dlg().windowFlags().testFlag(Qt::Dialog));
}

}  // namespace
}  // namespace vz::test
