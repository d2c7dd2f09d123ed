// The output window: showing it on the second monitor or in simulation, the
// display-size slider, the full-screen toggle, activation, stay on top and
// closing, on the fake platform.

#include "app_fixture.h"

#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/widgets/scroll_band.h"
#include "ui/settings/settings_dialog.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/track_bar.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <functional>

namespace vz::test {
namespace {

using Answer = Prompter::Answer;
const QString SimulationQuestion = QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?");
const QString SimulationCaption = QStringLiteral("Vivivoz  - Simulation Mode");
const QRect Primary(0, 0, 1920, 1080);
const QRect Second(1920, 0, 1280, 1024);

void activate(QWidget* w) {
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QCoreApplication::processEvents();
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void doubleClick(QWidget* w) {
    const QPointF p(5, 5);
    QMouseEvent e(QEvent::MouseButtonDblClick, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

class MonitorTest : public AppFixture {
protected:
    OutputWindow& out() { return *app->output; }
    SettingsDialog& dialog() { return *app->settingsDialog; }
    bool frameless() { return out().windowFlags().testFlag(Qt::FramelessWindowHint); }
    // Clicks the dialog's monitor toggle from unticked to ticked or back.
    void clickOutputBox(bool ticking) {
        dialog().outputBox->setChecked(!ticking);
        dialog().outputBox->click();
    }
    void loadSavedViewMode(const QByteArray& daf) {
        writeFile(controller().settingsStore().path(), "[Display]\r\nDaf=" + daf + "\r\n");
        controller().loadSettings();
    }
    // Full screen over `monitor`: borderless and covering it exactly.
    void expectFullOn(const QRect& monitor) {
        EXPECT_TRUE(out().isVisible());
        EXPECT_TRUE(out().isFullScreenState());
        EXPECT_TRUE(frameless());
        EXPECT_EQ(out().geometry(), monitor);
    }
    void expectNormal(QPoint pos, QSize client) {
        EXPECT_TRUE(out().isVisible());
        EXPECT_FALSE(out().isFullScreenState());
        EXPECT_FALSE(frameless());
        EXPECT_EQ(out().pos(), pos);
        EXPECT_EQ(out().size(), client);
    }
};

TEST_F(MonitorTest, CreatedHiddenAsAQuarterOfThePrimaryAtTheLeftEdge) {
    startApp();
    EXPECT_FALSE(out().isVisible());
    EXPECT_EQ(out().pos(), QPoint(0, 143));
    EXPECT_EQ(out().size(), QSize(480, 270));
    EXPECT_EQ(out().windowTitle(), QStringLiteral("Vivivoz "));
    EXPECT_FALSE(out().transitionSurface->isVisible());
    EXPECT_TRUE(out().transitionSurface->isHidden());
    EXPECT_TRUE(out().banner->isHidden());
    EXPECT_FALSE(out().stayOnTopAction->isChecked());
    EXPECT_EQ(out().stayOnTopAction->text(), QStringLiteral("Stay on top"));
    EXPECT_TRUE(controller().frames().desktopFrame().isNull());
}

TEST_F(MonitorTest, TakesTheSavedViewModeAtCreationOptimalOutsideTheRange) {
    startApp();
    const struct {
        int saved;
        ViewFit fit;
    } cases[] = {{1, ViewFit::Normal}, {2, ViewFit::Stretch}, {3, ViewFit::Optimal}, {4, ViewFit::Resize},
                 {5, ViewFit::Scale},  {0, ViewFit::Optimal}, {6, ViewFit::Optimal}, {-1, ViewFit::Optimal}};
    for (const auto& c : cases) {
        loadSavedViewMode(QByteArray::number(c.saved));
        OutputWindow m(controller(), platform);
        EXPECT_EQ(m.outputView->fit(), c.fit) << c.saved;
    }
    EXPECT_EQ(controller().viewOptions().viewMode(), std::nullopt);  // none chosen: no box ticked
}

TEST_F(MonitorTest, ShowOnSecondaryCoversTheMonitorRightOfThePrimary) {
    startApp();
    dialog().displaySizeSlider->setValue(40);
    out().showOnSecondary();
    expectFullOn(Second);
    EXPECT_EQ(dialog().displaySizeSlider->value(), 100);
    EXPECT_EQ(dialog().outputBox->text(), QStringLiteral("On"));
}

TEST_F(MonitorTest, WithThreeMonitorsTheOutputGoesToTheFirstOtherAndTheMenuChoosesAnother) {
    // Two monitors: nothing to choose.
    startApp();
    out().fillMonitorMenu();
    EXPECT_FALSE(out().monitorMenu->menuAction()->isVisible());

    const QRect left(-1024, 0, 1024, 768);
    desktop.monitors = {Primary, left, Second};
    controller().refreshMonitors();
    out().showOnSecondary();
    expectFullOn(left);  // the first that is not the primary, wherever it stands

    out().fillMonitorMenu();
    ASSERT_TRUE(out().monitorMenu->menuAction()->isVisible());
    const QList<QAction*> items = out().monitorMenu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(items[0]->text().endsWith(QStringLiteral("1024 x 768"))) << qPrintable(items[0]->text());
    EXPECT_TRUE(items[0]->isChecked());
    items[1]->trigger();
    expectFullOn(Second);
    EXPECT_EQ(controller().settings().outputMonitor, 2);
    // Another look at the menu marks the new choice.
    out().fillMonitorMenu();
    EXPECT_TRUE(out().monitorMenu->actions()[1]->isChecked());
}

TEST_F(MonitorTest, FollowsTheSecondMonitorAwayAndBackAndReFitsItsSize) {
    startApp();
    controller().requestView(View::Output, true);
    expectFullOn(Second);
    auto monitorsBecome = [&](QVector<QRect> monitors) {
        desktop.monitors = std::move(monitors);
        controller().refreshMonitors();
    };
    monitorsBecome({Primary});
    EXPECT_FALSE(out().isVisible());
    monitorsBecome({Primary, Second});
    expectFullOn(Second);
    const QRect smaller(1920, 0, 1024, 768);
    monitorsBecome({Primary, smaller});
    expectFullOn(smaller);

    // The other choice, from the context menu: a window on the primary monitor.
    out().primaryWhenLostAction->trigger();
    EXPECT_TRUE(controller().outputOnPrimaryWhenLost());
    monitorsBecome({Primary});
    expectNormal(QPoint(0, 0), QSize(576, 324));
    EXPECT_EQ(out().windowTitle(), SimulationCaption);
    monitorsBecome({Primary, Second});
    expectFullOn(Second);
    EXPECT_EQ(out().windowTitle(), QStringLiteral("Vivivoz "));
}

TEST_F(MonitorTest, SimulationMovesToASecondMonitorPluggedIn) {
    useOneMonitor();
    startApp();
    out().showSimulated();
    desktop.monitors = {Primary, Second};
    controller().refreshMonitors();
    expectFullOn(Second);
    EXPECT_EQ(out().windowTitle(), QStringLiteral("Vivivoz "));
}

TEST_F(MonitorTest, ShowSimulatedIsASizeableWindowAtTheTopLeftCorner) {
    useOneMonitor();
    startApp();
    out().showSimulated();
    expectNormal(QPoint(0, 0), QSize(480, 270));
    EXPECT_EQ(dialog().outputBox->text(), QStringLiteral("On"));
}

// With one monitor, the tray's "Enable Secondary Monitor" brings the
// simulated output back where the user left it, in the state it had.
TEST_F(MonitorTest, EnableItemShowsTheSimulationWhereTheUserLeftIt) {
    useOneMonitor();
    startApp();
    out().showSimulated();
    out().move(300, 200);
    doubleClick(out().outputView);  // full screen where it is
    ASSERT_TRUE(out().isFullScreenState());
    const QRect placed = out().geometry();
    QAction* enable = app->tray->outputAction;
    enable->trigger();  // hides it
    ASSERT_FALSE(out().isVisible());
    desktop.answers = {Answer::Yes};
    enable->trigger();
    expectFullOn(placed);
    EXPECT_TRUE(enable->isChecked());

    doubleClick(out().outputView);  // back to a window, moved by the user
    out().move(250, 150);
    const QRect windowed = out().geometry();
    enable->trigger();
    desktop.answers = {Answer::Yes};
    enable->trigger();
    EXPECT_FALSE(out().isFullScreenState());
    EXPECT_EQ(out().geometry(), windowed);
}

TEST_F(MonitorTest, MonitorToggle) {
    const struct {
        const char* name;
        int monitors;
        bool ticked;
        std::deque<Answer> answers;
        bool shown;
        bool asked;
        QString caption;
    } cases[] = {
        {"two monitors", 2, true, {}, true, false, "On"},
        {"one monitor, Yes", 1, true, {Answer::Yes}, true, true, "On"},
        {"one monitor, No", 1, true, {Answer::No}, false, true, "Off"},
        {"unticked", 2, false, {}, false, false, "Off"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.monitors = c.monitors == 1 ? QVector<QRect>{Primary} : QVector<QRect>{Primary, Second};
        desktop.answers = c.answers;
        desktop.asked.clear();
        desktop.beeps.clear();
        startApp();
        clickOutputBox(c.ticked);
        EXPECT_EQ(out().isVisible(), c.shown);
        EXPECT_EQ(controller().isShown(View::Output), c.shown);
        // The toggle shows whether the output is up, whatever the answer.
        EXPECT_EQ(dialog().outputBox->isChecked(), c.shown);
        EXPECT_EQ(dialog().outputBox->text(), c.caption);
        EXPECT_FALSE(controller().tray().simulationPromptOpen());
        if (c.asked) {
            EXPECT_EQ(desktop.asked, QStringList{SimulationQuestion});
            EXPECT_EQ(desktop.beeps, QVector<Prompter::Icon>{Prompter::Icon::Question});
        } else {
            EXPECT_TRUE(desktop.asked.isEmpty());
        }
        if (c.shown && c.monitors == 1) expectNormal(QPoint(0, 0), QSize(480, 270));
        if (c.shown && c.monitors == 2) expectFullOn(Second);
    }
}

TEST_F(MonitorTest, UntickingHidesAVisibleWindowAndChangesNothingElse) {
    startApp();
    out().showOnSecondary();
    controller().startDesktop();
    ASSERT_TRUE(dialog().outputBox->isChecked());
    dialog().outputBox->click();
    EXPECT_FALSE(out().isVisible());
    EXPECT_FALSE(dialog().outputBox->isChecked());
    EXPECT_EQ(dialog().outputBox->text(), QStringLiteral("Off"));
    EXPECT_EQ(controller().source(), Source::Desktop);
}

TEST_F(MonitorTest, NoSecondQuestionWhileOneIsOpen) {
    useOneMonitor();
    desktop.answers = {Answer::No};
    startApp();
    bool checkedWhileOpen = false;
    platform.prompter = std::make_unique<PrompterWithClickWhileOpen>(std::move(platform.prompter), [&] {
        checkedWhileOpen = true;
        EXPECT_TRUE(controller().tray().simulationPromptOpen());
        out().bringUp();  // a second request while the question is on screen
        EXPECT_FALSE(controller().tray().askSimulationQuestion());
        EXPECT_TRUE(controller().tray().simulationPromptOpen());  // still the open question's
        EXPECT_FALSE(out().isVisible());
    });
    clickOutputBox(true);
    ASSERT_TRUE(checkedWhileOpen);
    EXPECT_EQ(desktop.asked, QStringList{SimulationQuestion});
    EXPECT_EQ(desktop.beeps, QVector<Prompter::Icon>{Prompter::Icon::Question});
    EXPECT_FALSE(out().isVisible());
    EXPECT_FALSE(controller().tray().simulationPromptOpen());
}

TEST_F(MonitorTest, DoubleClickTogglesBetweenQuarterSizeAndFullScreen) {
    startApp();
    out().showOnSecondary();
    doubleClick(out().outputView);
    expectNormal(QPoint(0, 0), QSize(480, 270));
    doubleClick(out().outputView);
    expectFullOn(Primary);  // the monitor that holds the window now
    doubleClick(out().outputView);
    expectNormal(QPoint(0, 0), QSize(480, 270));
}

TEST_F(MonitorTest, SliderResizesTheWindowOnlyWhileTheDialogIsActive) {
    startApp();
    out().showOnSecondary();
    TrackBar& slider = *dialog().displaySizeSlider;

    slider.setValue(95);  // set by the program: the window stays full screen
    expectFullOn(Second);
    EXPECT_EQ(dialog().displaySizeLabel->text(), QStringLiteral("95 %"));

    activate(&dialog());
    ASSERT_TRUE(dialog().isActiveWindow());
    slider.setValue(50);
    expectNormal(Second.topLeft(), QSize(640, 512));
    EXPECT_EQ(dialog().displaySizeLabel->text(), QStringLiteral("50 %"));
    slider.setValue(95);
    expectNormal(Second.topLeft(), QSize(1216, 973));
    slider.setValue(96);
    expectFullOn(Second);
}

TEST_F(MonitorTest, SliderWithOneMonitorSizesByThePrimaryAndGoesFullInPlace) {
    useOneMonitor();
    startApp();
    desktop.answers = {Answer::Yes};
    clickOutputBox(true);
    activate(&dialog());
    ASSERT_TRUE(dialog().isActiveWindow());
    dialog().displaySizeSlider->setValue(25);
    expectNormal(QPoint(0, 0), QSize(480, 270));
    dialog().displaySizeSlider->setValue(95);
    expectNormal(QPoint(0, 0), QSize(1824, 1026));
    dialog().displaySizeSlider->setValue(100);
    expectFullOn(Primary);
}

TEST_F(MonitorTest, FullButton) {
    const struct {
        const char* name;
        int monitors;
        QRect expected;
    } cases[] = {{"two monitors", 2, Second}, {"one monitor", 1, Primary}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.monitors = c.monitors == 1 ? QVector<QRect>{Primary} : QVector<QRect>{Primary, Second};
        startApp();
        dialog().fullButton->click();  // hidden: nothing happens
        EXPECT_FALSE(out().isVisible());
        out().showSimulated();
        out().move(200, 300);
        dialog().displaySizeSlider->setValue(30);
        dialog().fullButton->click();
        expectFullOn(c.expected);
        EXPECT_EQ(dialog().displaySizeSlider->value(), 100);
    }
}

TEST_F(MonitorTest, MoveToSecondMonitorNeedsTwoMonitors) {
    useOneMonitor();
    startApp();
    dialog().moveToSecondButton->click();
    EXPECT_FALSE(out().isVisible());

    desktop.monitors = {Primary, Second};
    startApp();
    out().showSimulated();
    dialog().moveToSecondButton->click();
    expectFullOn(Second);
}

TEST_F(MonitorTest, ActivationCaptionTellsSimulationModeWithOneMonitor) {
    const struct {
        int monitors;
        QString caption;
    } cases[] = {{1, "Vivivoz  - Simulation Mode"}, {2, "Vivivoz "}};
    for (const auto& c : cases) {
        desktop.monitors = c.monitors == 1 ? QVector<QRect>{Primary} : QVector<QRect>{Primary, Second};
        startApp();
        out().showSimulated();
        activate(&out());
        ASSERT_TRUE(out().isActiveWindow());
        EXPECT_EQ(out().windowTitle(), c.caption) << c.monitors;
        EXPECT_TRUE(dialog().outputBox->isChecked());  // the dialog's toggles follow
    }
}

TEST_F(MonitorTest, ResizingTheActiveWindowFeedsTheSliderWithOneMonitor) {
    useOneMonitor();
    startApp();
    out().showSimulated();
    activate(&out());
    ASSERT_TRUE(out().isActiveWindow());
    out().resize(960 - (out().frameGeometry().width() - out().width()), 400);
    EXPECT_EQ(dialog().displaySizeSlider->value(), 50);
    EXPECT_EQ(dialog().displaySizeLabel->text(), QStringLiteral("50 %"));
    expectNormal(QPoint(0, 0), QSize(960 - (out().frameGeometry().width() - out().width()), 400));
}

TEST_F(MonitorTest, ViewModeAndScaleReachTheImage) {
    startApp();
    EXPECT_EQ(out().outputView->fit(), ViewFit::Stretch);  // the saved mode
    loadSavedViewMode("0");                                // none chosen: Optimal, also at each activation
    EXPECT_EQ(out().outputView->fit(), ViewFit::Optimal);
    out().applyViewMode();
    EXPECT_EQ(out().outputView->fit(), ViewFit::Optimal);
    dialog().scaleSpin->setValue(50);
    EXPECT_FLOAT_EQ(out().outputView->scaleFactor(), 0.5f);
    controller().viewOptions().setViewMode(ViewFit::Scale);
    EXPECT_EQ(controller().viewOptions().viewMode(), ViewFit::Scale);
    EXPECT_EQ(out().outputView->fit(), ViewFit::Scale);
    controller().viewOptions().setViewMode(ViewFit::Resize);
    EXPECT_EQ(out().outputView->fit(), ViewFit::Resize);
}

TEST_F(MonitorTest, StayOnTopKeepsTheWindowWhereItIs) {
    startApp();
    out().showSimulated();
    out().move(100, 200);
    const QRect before = out().geometry();
    out().stayOnTopAction->trigger();
    EXPECT_TRUE(out().stayOnTopAction->isChecked());
    EXPECT_TRUE(out().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(out().isVisible());
    EXPECT_EQ(out().geometry(), before);
    out().stayOnTopAction->trigger();
    EXPECT_FALSE(out().stayOnTopAction->isChecked());
    EXPECT_FALSE(out().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(out().geometry(), before);
}

TEST_F(MonitorTest, ClosingStopsTheOutputButKeepsTheSource) {
    startApp();
    out().showOnSecondary();
    controller().startDesktop();
    app->toolbar->runStopButton->click();  // Run
    ASSERT_TRUE(controller().outputRunning());
    ASSERT_TRUE(app->toolbar->showsStopPicture());
    QImage frame(64, 48, QImage::Format_RGB32);
    frame.fill(Qt::red);
    out().outputView->setPicture(frame);

    out().close();
    EXPECT_FALSE(out().isVisible());
    EXPECT_FALSE(out().outputView->hasPicture());
    EXPECT_FALSE(controller().outputRunning());
    EXPECT_FALSE(app->toolbar->showsStopPicture());
    EXPECT_EQ(controller().source(), Source::Desktop);
}

}  // namespace
}  // namespace vz::test
