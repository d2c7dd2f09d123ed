// The settings dialog: its source commands, toggles, view-mode boxes, update
// rate, initialisation and the slideshow file reader, on the fake platform.

#include "app_fixture.h"

#include "app/features.h"
#include "app/capture_cycle.h"
#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/track_bar.h"

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
    SettingsDialog& dlg() { return *app->settingsDialog; }
    bool timerOn() { return app->capture->captureTimer.isActive(); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = configDir.path() + QLatin1Char('/') + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

using Command = void (SettingsDialog::*)();
using ButtonOf = GlyphButton* SettingsDialog::*;

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
// All the Run/Stop flag stays set; the next command's clearOutput presses
// Run/Stop with the new source and so brings it back to false.
const SourceCase kSourceCases[] = {
    {"Desktop", nullptr, &SettingsDialog::onDesktopClicked, 2, 1, 0, false, &SettingsDialog::desktopButton, true},
    {"DesktopAfterStopAll", &SettingsDialog::onStopAllClicked, &SettingsDialog::onDesktopClicked, 2, 1, 0, false,
     &SettingsDialog::desktopButton, true},
    {"StopAllKeepsTimerAndFlag", &SettingsDialog::onDesktopClicked, &SettingsDialog::onStopAllClicked, 0, 0, 0, true,
     &SettingsDialog::stopAllButton, true},
    {"ClipboardStopsTimer", &SettingsDialog::onDesktopClicked, &SettingsDialog::onClipboardClicked, 4, 4, 0, false,
     &SettingsDialog::clipboardButton, false},
    {"PartOfDesktop", nullptr, &SettingsDialog::onAreaClicked, 2, 2, 1, false, &SettingsDialog::areaButton, true},
    {"SingleApplication", &SettingsDialog::onDesktopClicked, &SettingsDialog::onWindowClicked, 3, 3, 0, false,
     &SettingsDialog::windowButton, false},
    {"MakeSlideshow", &SettingsDialog::onStopAllClicked, &SettingsDialog::onMakeSlideshow, 5, 6, -1, false,
     &SettingsDialog::imagesButton, false},
};

TEST_F(OptionsTest, SourceCommandsSetTheSharedStateAndTheMarker) {
    for (const SourceCase& c : kSourceCases) {
        SCOPED_TRACE(c.name);
        startApp();
        app->output->showOnSecondary();
        if (c.before) (dlg().*c.before)();
        (dlg().*c.command)();
        EXPECT_EQ(state().source, c.sourceMode);
        EXPECT_EQ(state().menuSource, c.menuSource);
        EXPECT_EQ(state().desktopScope, c.desktopScope);
        EXPECT_EQ(state().outputRunning, c.outputRunning);
        EXPECT_EQ(timerOn(), c.timerActive);
        GlyphButton* expected = dlg().*c.marked;
        EXPECT_EQ(dlg().markedSource(), expected);
        EXPECT_FALSE(dlg().sourceMarker->isHidden());
        EXPECT_EQ(dlg().sourceMarker->x(), expected->x());
        EXPECT_EQ(dlg().sourceMarkerGlyph->glyph().cacheKey(), expected->glyph().cacheKey());
    }
}

TEST_F(OptionsTest, MarkerStartsOverStopAllAndIsADisabledBluePanel) {
    EXPECT_EQ(dlg().markedSource(), dlg().stopAllButton);
    EXPECT_EQ(dlg().sourceMarker->x(), dlg().stopAllButton->x());
    EXPECT_EQ(dlg().sourceMarker->size(), QSize(53, 33));
    EXPECT_EQ(dlg().sourceMarkerGlyph->size(), QSize(53, 33));
    EXPECT_FALSE(dlg().sourceMarker->isEnabled());
    EXPECT_EQ(dlg().sourceMarker->palette().color(QPalette::Window), QColor(0, 128, 255));
}

TEST_F(OptionsTest, StopAllShowsTheImageHidesTheBandAndPutsTheRunPictureBack) {
    OutputWindow& out = *app->output;
    out.showOnSecondary();
    dlg().onDesktopClicked();
    app->toolbar->toggleRun();  // Run: the toolbar shows Stop
    ASSERT_TRUE(state().outputRunning);
    out.outputView->hide();
    out.transitionSurface->show();
    out.banner->show();
    app->preview->bannerStrip->show();

    dlg().onStopAllClicked();

    EXPECT_FALSE(out.outputView->isHidden());
    EXPECT_TRUE(out.transitionSurface->isHidden());
    EXPECT_TRUE(out.banner->isHidden());
    EXPECT_TRUE(app->preview->bannerStrip->isHidden());
    EXPECT_TRUE(state().outputRunning);
    EXPECT_FALSE(app->toolbar->showsStopPicture());
}

TEST_F(OptionsTest, PartOfDesktopBringsAVisibleDialogBackToItsPlace) {
    dlg().move(200, 150);
    dlg().show();
    const QPoint before = dlg().pos();
    const int toolbarTop = app->toolbar->y();
    dlg().onAreaClicked();
    EXPECT_TRUE(dlg().isVisible());
    EXPECT_EQ(dlg().pos(), before);
    EXPECT_EQ(app->toolbar->y(), toolbarTop);
    EXPECT_TRUE(state().areaSnapshot.isNull());
}

TEST_F(OptionsTest, PartOfDesktopLeavesAHiddenDialogHidden) {
    dlg().onAreaClicked();
    EXPECT_FALSE(dlg().isVisible());
}

TEST_F(OptionsTest, UpdateRateSetsTheIntervalAndRaisesOnlyTheMaximum) {
    struct {
        int rate, interval, maxAfter;
    } const cases[] = {{10, 100, 10}, {3, 333, 10}, {4, 250, 10}, {1000, 1, 1000}, {1, 1000, 1000}};
    state().maxUpdateRate = 5;
    dlg().updateRateSpin->setValue(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        dlg().updateRateSpin->setValue(c.rate);
        EXPECT_EQ(app->capture->captureTimer.interval(), c.interval);
        EXPECT_EQ(state().maxUpdateRate, c.maxAfter);
    }
}

TEST_F(OptionsTest, SpinEditsAndSliderHaveTheirRanges) {
    for (SpinEdit* spin : {dlg().updateRateSpin, dlg().scaleSpin}) {
        EXPECT_EQ(spin->minimum(), 1);
        EXPECT_EQ(spin->maximum(), 1000);
    }
    EXPECT_EQ(dlg().displaySizeSlider->minimum(), 1);
    EXPECT_EQ(dlg().displaySizeSlider->maximum(), 100);
    EXPECT_EQ(dlg().displaySizeSlider->tickInterval(), 10);
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
        app->tray->viewModeActions[3]->setChecked(true);
        dlg().markSource(dlg().desktopButton);
        state().savedViewMode = c.savedViewMode;
        state().optShowcursor = true;
        state().optShowRedPoint = false;
        state().opScaleValue = 250;
        state().optLeft = 120;
        state().optTop = 90;
        dlg().applyLoadedSettings();

        EXPECT_EQ(dlg().markedSource(), dlg().stopAllButton);
        EXPECT_EQ(dlg().displaySizeSlider->value(), c.slider);
        EXPECT_EQ(dlg().displaySizeLabel->text(), QStringLiteral("%1 %").arg(c.slider));
        EXPECT_EQ(dlg().pos(), QPoint(120, 90));
        EXPECT_TRUE(dlg().showCursorBox->isChecked());
        EXPECT_EQ(dlg().showCursorBox->text(), QStringLiteral("On"));
        EXPECT_FALSE(dlg().redPointBox->isChecked());
        EXPECT_EQ(dlg().redPointBox->text(), QStringLiteral("Off"));
        EXPECT_EQ(dlg().scaleSpin->value(), 250);
        EXPECT_EQ(dlg().tickedViewMode(), c.tickedMode);
        for (int n = 1; n <= 5; ++n) {
            const bool on = n == c.tickedMode;
            EXPECT_EQ(dlg().viewModeBoxes[n]->isChecked(), on) << n;
            EXPECT_EQ(dlg().viewModeBoxes[n]->text(), on ? QStringLiteral("On") : QStringLiteral("Off")) << n;
            EXPECT_EQ(app->tray->viewModeActions[n]->isChecked(), on) << n;
        }
    }
}

TEST_F(OptionsTest, FormCreateAppliesTheRateEvenWhenItIsUnchanged) {
    state().refreshRate = dlg().updateRateSpin->value();
    app->capture->captureTimer.setInterval(999);
    state().maxUpdateRate = 1;
    dlg().applyLoadedSettings();
    EXPECT_EQ(app->capture->captureTimer.interval(), 1000 / state().refreshRate);
    EXPECT_EQ(state().maxUpdateRate, state().refreshRate);
}

TEST_F(OptionsTest, TogglesShowAndHideTheirWindowsAndFormActivateFollows) {
    app->preview->show();
    app->toolbar->show();
    dlg().onActivated();
    EXPECT_TRUE(dlg().previewBox->isChecked());
    EXPECT_EQ(dlg().previewBox->text(), QStringLiteral("On"));
    EXPECT_FALSE(dlg().outputBox->isChecked());
    EXPECT_EQ(dlg().outputBox->text(), QStringLiteral("Off"));

    dlg().previewBox->click();
    EXPECT_FALSE(app->preview->isVisible());
    EXPECT_EQ(dlg().previewBox->text(), QStringLiteral("Off"));
    dlg().toolbarBox->click();
    EXPECT_FALSE(app->toolbar->isVisible());
    EXPECT_EQ(dlg().toolbarBox->text(), QStringLiteral("Off"));
    dlg().toolbarBox->click();
    EXPECT_TRUE(app->toolbar->isVisible());
    EXPECT_EQ(dlg().toolbarBox->text(), QStringLiteral("On"));

    // The monitor box hands over to the output window, which captions it.
    dlg().outputBox->click();
    EXPECT_TRUE(app->output->isVisible());
    EXPECT_EQ(dlg().outputBox->text(), QStringLiteral("On"));

    // Reopening the dialog shows the preview box unticked.
    dlg().show();
    dlg().close();
    dlg().show();
    dlg().onActivated();
    EXPECT_FALSE(dlg().previewBox->isChecked());
    EXPECT_EQ(dlg().previewBox->text(), QStringLiteral("Off"));
    EXPECT_TRUE(dlg().outputBox->isChecked());
    EXPECT_EQ(dlg().outputBox->text(), QStringLiteral("On"));
}

TEST_F(OptionsTest, PointerOptionBoxesCaptionThemselvesOnClick) {
    for (OnOffCheckBox* box : {dlg().redPointBox, dlg().showCursorBox}) {
        box->click();
        EXPECT_TRUE(box->isChecked());
        EXPECT_EQ(box->text(), QStringLiteral("On"));
        box->click();
        EXPECT_EQ(box->text(), QStringLiteral("Off"));
    }
}

TEST_F(OptionsTest, ViewModeBoxClickChoosesTheModeAlone) {
    app->output->showOnSecondary();
    dlg().viewModeBoxes[1]->click();
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Normal);
    dlg().viewModeBoxes[3]->click();
    EXPECT_EQ(state().viewMode, 3);
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Optimal);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(dlg().viewModeBoxes[n]->isChecked(), n == 3) << n;
        EXPECT_EQ(dlg().viewModeBoxes[n]->text(), n == 3 ? QStringLiteral("On") : QStringLiteral("Off")) << n;
        EXPECT_EQ(app->tray->viewModeActions[n]->isChecked(), n == 3) << n;
    }
    // Clicking the box that is on keeps it on.
    dlg().viewModeBoxes[3]->click();
    EXPECT_TRUE(dlg().viewModeBoxes[3]->isChecked());
    EXPECT_EQ(dlg().tickedViewMode(), 3);
}

TEST_F(OptionsTest, ButtonsOfFeaturesNotBuiltStayVisibleAndDisabled) {
    struct {
        ButtonOf button;
        const char* hint;
        bool built;
    } const cases[] = {
        {&SettingsDialog::stopAllButton, "Stop All", true},
        {&SettingsDialog::desktopButton, "Desktop", true},
        {&SettingsDialog::areaButton, "Part of Desktop", features::AreaSelection},
        {&SettingsDialog::windowButton, "Single Application", features::WindowPicker},
        {&SettingsDialog::clipboardButton, "Clipboard", features::ClipboardSource},
        {&SettingsDialog::imagesButton, "Images", features::Slideshow},
        {&SettingsDialog::scrollTextButton, "Scroll Text", features::ScrollText},
        {&SettingsDialog::captureButton, "Capture an Image from a second display", features::ImageCapture},
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
    app->output->showOnSecondary();
    dlg().onDesktopClicked();
    ASSERT_TRUE(dlg().openSlideshowFile(path));
    EXPECT_EQ(state().playList,
              QStringList({QStringLiteral("5"), QStringLiteral("On"), QStringLiteral("/pics/a.jpg"),
                           QStringLiteral("/pics/b.png")}));
    EXPECT_EQ(state().playListCount, 4);
    EXPECT_TRUE(state().playListLoaded);
    EXPECT_EQ(state().source, source::Slideshow);
    EXPECT_EQ(state().menuSource, 5);
    EXPECT_EQ(dlg().markedSource(), dlg().imagesButton);
    EXPECT_FALSE(timerOn());  // the slideshow editor's close stops the capture
}

TEST_F(OptionsTest, ImagesOpensItsMenuBelowTheButton) {
    dlg().move(100, 100);
    dlg().show();
    dlg().onImagesClicked();
    ASSERT_TRUE(dlg().imagesMenu->isVisible());
    EXPECT_EQ(dlg().imagesMenu->pos(), dlg().imagesButton->mapToGlobal(QPoint(0, dlg().imagesButton->height())));
    const auto items = dlg().imagesMenu->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Open Slideshow"));
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), QStringLiteral("Make Slideshow"));
    dlg().imagesMenu->hide();
}

TEST_F(OptionsTest, OpenSlideshowEdgeFiles) {
    // No line end after the last line; an empty file loads nothing.
    ASSERT_TRUE(dlg().openSlideshowFile(writeFile(QStringLiteral("a.vsl"), "3\nOff\n/x.bmp")));
    EXPECT_EQ(state().playListCount, 3);
    EXPECT_EQ(state().playList.last(), QStringLiteral("/x.bmp"));

    state().playListLoaded = false;
    ASSERT_TRUE(dlg().openSlideshowFile(writeFile(QStringLiteral("empty.vsl"), "")));
    EXPECT_EQ(state().playListCount, 0);
    EXPECT_FALSE(state().playListLoaded);

    // Longer than the shared lines can hold: the first 3001 lines are kept.
    QByteArray big = "1\r\nOn\r\n";
    for (int i = 0; i < 3100; ++i) big += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    ASSERT_TRUE(dlg().openSlideshowFile(writeFile(QStringLiteral("big.vsl"), big)));
    EXPECT_EQ(state().playListCount, 3001);
    EXPECT_EQ(state().playList.size(), 3001);
    EXPECT_EQ(state().playList.last(), QStringLiteral("/p/2998.jpg"));
}

TEST_F(OptionsTest, OpenSlideshowOfAnUnreadableFileSaysSoAndChangesNothing) {
    dlg().onDesktopClicked();
    state().playList = {QStringLiteral("old")};
    state().playListCount = 1;
    EXPECT_FALSE(dlg().openSlideshowFile(configDir.path() + QStringLiteral("/missing.vsl")));
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked.first().startsWith(QStringLiteral("Cannot open file \"")));
    EXPECT_EQ(state().source, source::Desktop);
    EXPECT_EQ(state().playListCount, 1);
    EXPECT_EQ(dlg().markedSource(), dlg().desktopButton);
}

TEST_F(OptionsTest, EscAndCloseCloseTheDialog) {
    dlg().show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dlg().updateRateSpin, &esc);  // reaches the dialog from a child
    EXPECT_FALSE(dlg().isVisible());
    dlg().show();
    dlg().closeButton->click();
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
