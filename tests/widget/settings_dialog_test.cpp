// The settings dialog: its source commands, toggles, view-mode boxes, update
// rate, initialisation and the slideshow file reader, on the fake platform.

#include "app_fixture.h"
#include "area_drag.h"

#include "core/settings/ini_document.h"
#include "core/settings/settings_file.h"
#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/widgets/scroll_band.h"
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
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include <functional>

#include "pump_events.h"

namespace vz::test {
namespace {

// Clicks a button; a disabled one gets its clicked signal directly, so the
// command it is wired to still runs.
void press(QAbstractButton* button) {
    if (button->isEnabled())
        button->click();
    else
        emit button->clicked(false);
}

// The same for a menu item.
void press(QAction* action) {
    if (action->isEnabled())
        action->trigger();
    else
        emit action->triggered(false);
}

class OptionsTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
    }
    SettingsDialog& dlg() { return *app->settingsDialog; }
    bool timerOn() { return controller().frames().ticking(); }
    // Part of Desktop: the selection continues from the event loop once the
    // windows are out of the picture.
    void pressArea() {
        press(dlg().areaButton);
        ASSERT_TRUE(pumpUntil([&] { return app->areaOverlay->isVisible(); }));
        dragOnOverlay(*app->areaOverlay, QPoint(10, 10), QPoint(110, 90));
        ASSERT_EQ(controller().desktopScope(), DesktopScope::Area);
    }
    // Writes a settings file with `v` where the controller reads it.
    void writeSettingsFile(const Settings& v) {
        IniDocument doc;
        writeSettings(doc, v);
        QString error;
        ASSERT_TRUE(doc.save(controller().settingsStore().path(), &error)) << error.toStdString();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = configDir.path() + QLatin1Char('/') + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

using ButtonOf = GlyphButton* SettingsDialog::*;

// The source commands, from the dialog's buttons and the Images menu.
enum class Press { None, StopAll, Desktop, Area, Window, Clipboard, MakeSlideshow };

struct SourceCase {
    const char* name;
    Press before;  // pressed first
    Press command;
    Source source;
    SourceChoice choice;
    DesktopScope desktopScope;
    ButtonOf marked;
    bool timerActive;
};

// The output window is up, as when a source is chosen for real. Stop All
// stops a running output at once and leaves the capture timer running.
const SourceCase kSourceCases[] = {
    {"Desktop", Press::None, Press::Desktop, Source::Desktop, SourceChoice::Desktop, DesktopScope::WholePrimary,
     &SettingsDialog::desktopButton, true},
    {"DesktopAfterStopAll", Press::StopAll, Press::Desktop, Source::Desktop, SourceChoice::Desktop,
     DesktopScope::WholePrimary, &SettingsDialog::desktopButton, true},
    {"StopAllKeepsTimer", Press::Desktop, Press::StopAll, Source::Stopped, SourceChoice::None,
     DesktopScope::WholePrimary, &SettingsDialog::stopAllButton, true},
    {"ClipboardStopsTimer", Press::Desktop, Press::Clipboard, Source::Clipboard, SourceChoice::Clipboard,
     DesktopScope::WholePrimary, &SettingsDialog::clipboardButton, false},
    {"PartOfDesktop", Press::None, Press::Area, Source::Desktop, SourceChoice::Area, DesktopScope::Area,
     &SettingsDialog::areaButton, true},
    {"SingleApplication", Press::Desktop, Press::Window, Source::Window, SourceChoice::Window,
     DesktopScope::WholePrimary, &SettingsDialog::windowButton, false},
    {"MakeSlideshow", Press::StopAll, Press::MakeSlideshow, Source::Slideshow, SourceChoice::MakeSlideshow,
     DesktopScope::NotChosen, &SettingsDialog::imagesButton, false},
};

TEST_F(OptionsTest, SourceCommandsSetTheSharedStateAndTheMarker) {
    for (const SourceCase& c : kSourceCases) {
        SCOPED_TRACE(c.name);
        startApp();
        app->output->showOnSecondary();
        for (Press p : {c.before, c.command}) {
            switch (p) {
                case Press::None: break;
                case Press::StopAll: press(dlg().stopAllButton); break;
                case Press::Desktop: press(dlg().desktopButton); break;
                case Press::Area: pressArea(); break;
                case Press::Window: press(dlg().windowButton); break;
                case Press::Clipboard: press(dlg().clipboardButton); break;
                case Press::MakeSlideshow: press(dlg().makeSlideshowAction); break;
            }
        }
        EXPECT_EQ(controller().source(), c.source);
        EXPECT_EQ(controller().sourceChoice(), c.choice);
        EXPECT_EQ(controller().desktopScope(), c.desktopScope);
        EXPECT_FALSE(controller().outputRunning());
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
    press(dlg().desktopButton);
    app->toolbar->runStopButton->click();  // Run: the toolbar shows Stop
    ASSERT_TRUE(controller().outputRunning());
    ASSERT_TRUE(app->toolbar->showsStopPicture());
    out.banner->show();
    app->preview->bannerStrip->show();

    press(dlg().stopAllButton);

    EXPECT_FALSE(out.outputView->isHidden());
    EXPECT_TRUE(out.transitionSurface->isHidden());
    EXPECT_TRUE(out.banner->isHidden());
    EXPECT_TRUE(app->preview->bannerStrip->isHidden());
    EXPECT_FALSE(controller().outputRunning());
    EXPECT_FALSE(app->toolbar->showsStopPicture());
}

TEST_F(OptionsTest, PartOfDesktopBringsAVisibleDialogBackToItsPlace) {
    dlg().move(200, 150);
    dlg().show();
    const QPoint before = dlg().pos();
    const int toolbarTop = app->toolbar->y();
    pressArea();
    EXPECT_TRUE(dlg().isVisible());
    EXPECT_EQ(dlg().pos(), before);
    EXPECT_EQ(app->toolbar->y(), toolbarTop);
}

TEST_F(OptionsTest, PartOfDesktopLeavesAHiddenDialogHidden) {
    pressArea();
    EXPECT_FALSE(dlg().isVisible());
}

TEST_F(OptionsTest, UpdateRateSetsTheIntervalAndRaisesOnlyTheMaximum) {
    struct {
        int rate, interval, maxAfter;
    } const cases[] = {{10, 100, 10}, {3, 333, 10}, {4, 250, 10}, {1000, 1, 1000}, {1, 1000, 1000}};
    ASSERT_EQ(controller().viewOptions().maxUpdateRate(), 5);  // the default settings
    dlg().updateRateSpin->setValue(5);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        dlg().updateRateSpin->setValue(c.rate);
        EXPECT_EQ(controller().frames().interval(), c.interval);
        EXPECT_EQ(controller().viewOptions().maxUpdateRate(), c.maxAfter);
    }
    // The box follows a rate set elsewhere.
    controller().viewOptions().setUpdateRate(7);
    EXPECT_EQ(dlg().updateRateSpin->value(), 7);
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

TEST_F(OptionsTest, LoadedSettingsReachTheBoxes) {
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
        // A load over a used dialog (Reset All Settings loads again).
        press(dlg().desktopButton);
        press(dlg().viewModeBoxes[3]);
        press(dlg().redPointBox);
        Settings v;
        v.viewMode = c.savedViewMode;
        v.showCursor = true;
        v.showRedPoint = false;
        v.scalePercent = 250;
        v.settingsDialogLeft = 120;
        v.settingsDialogTop = 90;
        writeSettingsFile(v);
        controller().loadSettings();

        EXPECT_EQ(dlg().markedSource(), dlg().desktopButton);  // the source goes on
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

TEST_F(OptionsTest, LoadAppliesTheRateEvenWhenItIsUnchanged) {
    Settings v;
    v.updateRate = dlg().updateRateSpin->value();
    v.maxUpdateRate = 1;  // below the rate: raised to it
    writeSettingsFile(v);
    controller().frames().setRate(999);  // the ticks out of step with the rate shown
    controller().loadSettings();
    EXPECT_EQ(controller().frames().interval(), 1000 / v.updateRate);
    EXPECT_EQ(controller().viewOptions().maxUpdateRate(), v.updateRate);
    EXPECT_EQ(dlg().updateRateSpin->value(), v.updateRate);

    v.updateRate = 8;
    writeSettingsFile(v);
    controller().loadSettings();
    EXPECT_EQ(dlg().updateRateSpin->value(), 8);
    EXPECT_EQ(controller().frames().interval(), 125);
}

TEST_F(OptionsTest, TogglesShowAndHideTheirWindowsAndFollowThem) {
    app->preview->show();
    app->toolbar->show();
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
    EXPECT_FALSE(dlg().previewBox->isChecked());
    EXPECT_EQ(dlg().previewBox->text(), QStringLiteral("Off"));
    EXPECT_TRUE(dlg().outputBox->isChecked());
    EXPECT_EQ(dlg().outputBox->text(), QStringLiteral("On"));
}

TEST_F(OptionsTest, PointerOptionBoxesCaptionThemselvesOnClick) {
    struct {
        OnOffCheckBox* box;
        bool (ViewOptions::*value)() const;
    } const boxes[] = {{dlg().redPointBox, &ViewOptions::showRedPoint},
                       {dlg().showCursorBox, &ViewOptions::showCursor}};
    for (const auto& b : boxes) {
        b.box->click();
        EXPECT_TRUE(b.box->isChecked());
        EXPECT_EQ(b.box->text(), QStringLiteral("On"));
        EXPECT_TRUE((controller().viewOptions().*b.value)());
        b.box->click();
        EXPECT_EQ(b.box->text(), QStringLiteral("Off"));
        EXPECT_FALSE((controller().viewOptions().*b.value)());
    }
    // A change made elsewhere reaches the boxes.
    controller().viewOptions().setShowCursor(true);
    EXPECT_TRUE(dlg().showCursorBox->isChecked());
    EXPECT_EQ(dlg().showCursorBox->text(), QStringLiteral("On"));
}

TEST_F(OptionsTest, ViewModeBoxClickChoosesTheModeAlone) {
    app->output->showOnSecondary();
    dlg().viewModeBoxes[1]->click();
    EXPECT_EQ(app->output->outputView->fit(), ViewFit::Normal);
    dlg().viewModeBoxes[3]->click();
    EXPECT_EQ(controller().viewOptions().viewMode(), ViewFit::Optimal);
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

TEST_F(OptionsTest, SourceButtonsAreEnabledInOneRow) {
    struct {
        ButtonOf button;
        const char* hint;
    } const cases[] = {
        {&SettingsDialog::stopAllButton, "Stop All"},
        {&SettingsDialog::desktopButton, "Desktop"},
        {&SettingsDialog::areaButton, "Part of Desktop"},
        {&SettingsDialog::windowButton, "Single Application"},
        {&SettingsDialog::clipboardButton, "Clipboard"},
        {&SettingsDialog::imagesButton, "Images"},
        {&SettingsDialog::scrollTextButton, "Scroll Text"},
        {&SettingsDialog::captureButton, "Capture an Image from a second display"},
    };
    dlg().show();
    int lastX = -1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hint);
        GlyphButton* b = dlg().*c.button;
        EXPECT_TRUE(b->isVisible());
        EXPECT_TRUE(b->isEnabled());
        EXPECT_EQ(b->toolTip(), QString::fromLatin1(c.hint));
        EXPECT_GT(b->x(), lastX);  // one row, left to right
        lastX = b->x();
    }
}

TEST_F(OptionsTest, OpenSlideshowReadsTheFileIntoTheSharedLines) {
    const QString path = writeFile(QStringLiteral("show.vsl"), "5\r\nOn\r\n/pics/a.jpg\r\n/pics/b.png\r\n");
    app->output->showOnSecondary();
    press(dlg().desktopButton);
    // "Open Slideshow" asks for the file in an open dialog, then reads it;
    // playback waits for Run.
    desktop.chosenFiles = {path};
    press(dlg().openSlideshowAction);
    EXPECT_EQ(desktop.fileFilters, QStringList{QStringLiteral("Vivivoz Slide Show (*.VSL *.vsl)")});
    EXPECT_FALSE(controller().outputRunning());
    EXPECT_EQ(controller().playList(), QStringList({QStringLiteral("5"), QStringLiteral("On"),
                                                    QStringLiteral("/pics/a.jpg"), QStringLiteral("/pics/b.png")}));
    EXPECT_EQ(controller().source(), Source::Slideshow);
    EXPECT_EQ(controller().sourceChoice(), SourceChoice::OpenSlideshow);
    EXPECT_EQ(dlg().markedSource(), dlg().imagesButton);
    EXPECT_FALSE(timerOn());  // the slideshow editor's close stops the capture
}

TEST_F(OptionsTest, ImagesOpensItsMenuBelowTheButton) {
    dlg().move(100, 100);
    dlg().show();
    press(dlg().imagesButton);
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
    ASSERT_TRUE(controller().openSlideshow(writeFile(QStringLiteral("a.vsl"), "3\nOff\n/x.bmp")));
    EXPECT_EQ(controller().playList().size(), 3);
    EXPECT_EQ(controller().playList().last(), QStringLiteral("/x.bmp"));

    ASSERT_TRUE(controller().openSlideshow(writeFile(QStringLiteral("empty.vsl"), "")));
    EXPECT_TRUE(controller().playList().isEmpty());

    // Longer than the shared lines can hold: the first 3001 lines are kept,
    // and the user is told how many were left out.
    QByteArray big = "1\r\nOn\r\n";
    for (int i = 0; i < 3100; ++i) big += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    desktop.asked.clear();
    const QString bigFile = writeFile(QStringLiteral("big.vsl"), big);
    ASSERT_TRUE(controller().openSlideshow(bigFile));
    EXPECT_EQ(controller().playList().size(), 3001);
    EXPECT_EQ(controller().playList().last(), QStringLiteral("/p/2998.jpg"));
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked[0].contains(bigFile)) << qPrintable(desktop.asked[0]);
    EXPECT_TRUE(desktop.asked[0].contains(QStringLiteral("last 101 lines were left out")))
        << qPrintable(desktop.asked[0]);
}

TEST_F(OptionsTest, OpenSlideshowOfAnUnreadableFileSaysSoAndChangesNothing) {
    ASSERT_TRUE(controller().openSlideshow(writeFile(QStringLiteral("old.vsl"), "old")));
    press(dlg().desktopButton);
    desktop.asked.clear();
    EXPECT_FALSE(controller().openSlideshow(configDir.path() + QStringLiteral("/missing.vsl")));
    ASSERT_EQ(desktop.asked.size(), 1);
    EXPECT_TRUE(desktop.asked.first().startsWith(QStringLiteral("Cannot open file \"")));
    EXPECT_EQ(controller().source(), Source::Desktop);
    EXPECT_EQ(controller().playList(), QStringList{QStringLiteral("old")});
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
