// The transition view on the screen: where the frame lands, the background
// round it, the output window's instance and the tray's "Open Slideshow"
// playing a slideshow file on it (real pictures, real timers, frames on the
// calling thread).

#include "app_fixture.h"

#include "ui/output/output_window.h"
#include "ui/widgets/image_view.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/transition_view.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace vz::test {
namespace {

using transitions::TransitionEngine;

QImage solid(QSize size, QRgb colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

bool waitFor(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > ms) loop.quit();
    });
    poll.start(5);
    if (!done()) loop.exec();
    return done();
}

// Plays `picture` to its end, frame by frame on this thread.
void playToEnd(TransitionView& view, const QImage& picture, int style) {
    view.engine().setExternalPacing(true);
    view.play(picture, style);
    while (view.engine().advance()) {}
}

const QRgb Red = qRgb(255, 0, 0), Black = qRgb(0, 0, 0), Green = qRgb(0, 255, 0);

TEST(TransitionViewTest, FrameLandsInTheScreenRectWithBlackRoundIt) {
    TransitionView view;
    configureOutputTransitions(view);
    view.resize(200, 100);
    struct {
        const char* what;
        QSize picture;
        QRect expected;  // where the picture shows
    } const cases[] = {
        {"smaller: own size, centred", {80, 40}, {60, 30, 80, 40}},
        {"wider: shrunk to the width", {400, 100}, {0, 25, 200, 50}},
        {"taller: shrunk to the height", {100, 400}, {87, 0, 25, 100}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        playToEnd(view, solid(k.picture, Red), 1);
        ASSERT_FALSE(view.engine().busy());
        EXPECT_EQ(view.engine().screenRect(), k.expected);
        const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3)
                ASSERT_EQ(shot.pixel(x, y), k.expected.contains(x, y) ? Red : Black) << x << "," << y;
    }
}

TEST(TransitionViewTest, EmptyViewIsBackgroundAndClearReturnsToIt) {
    TransitionView view;
    configureOutputTransitions(view);
    view.resize(60, 40);
    auto allBlack = [&] {
        const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixel(x, y) != Black) return false;
        return true;
    };
    EXPECT_TRUE(allBlack());
    playToEnd(view, solid({60, 40}, Green), 5);
    EXPECT_FALSE(allBlack());
    view.engine().clear();
    EXPECT_TRUE(allBlack());
}

// What a slideshow waits for before it counts a slide's time.
TEST(TransitionViewTest, FinishedFollowsEveryPlay) {
    TransitionView view;
    configureOutputTransitions(view);
    view.resize(60, 40);
    view.engine().setExternalPacing(true);
    int finished = 0;
    QObject::connect(&view, &TransitionView::finished, [&] { ++finished; });
    view.play(QImage(), 5);  // nothing to show: at once
    EXPECT_EQ(finished, 1);
    view.play(solid({60, 40}, Red), 5);
    EXPECT_EQ(finished, 1);                // running
    view.play(solid({60, 40}, Green), 5);  // refused: answered by the running one's end
    while (view.engine().advance()) {}
    EXPECT_EQ(finished, 2);
    view.play(solid({60, 40}, Green), 5);
    view.engine().stop();  // cut short
    EXPECT_EQ(finished, 3);
}

class OutputTransitionTest : public AppFixture {};

TEST_F(OutputTransitionTest, OutputWindowHoldsAFilledProportionalCentredBlackView) {
    startApp();
    OutputWindow& out = *app->output;
    ASSERT_EQ(out.transitionSurface, out.transitionView);
    const TransitionEngine& e = out.transitionView->engine();
    EXPECT_TRUE(e.proportional());
    EXPECT_TRUE(e.center());
    EXPECT_FALSE(e.stretch());
    EXPECT_EQ(e.color(), QColor(Qt::black));
    EXPECT_EQ(e.delay(), 80);
    EXPECT_EQ(e.style(), 163);
    EXPECT_EQ(e.step(), 4);
    out.showOnSecondary();
    controller().showTransitionSurface();
    EXPECT_TRUE(out.transitionView->isVisible());
    EXPECT_EQ(out.transitionView->geometry(), out.outputView->geometry());  // fills the picture area
    EXPECT_EQ(e.clientSize(), out.transitionView->size());
}

TEST_F(OutputTransitionTest, TrayOpenSlideshowPlaysTheFileOnTheOutput) {
    startApp();
    QStringList paths;
    const QRgb colours[] = {Red, Green, qRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        paths << configDir.path() + QStringLiteral("/p%1.png").arg(i);
        ASSERT_TRUE(solid({64, 48}, colours[i]).save(paths.last()));
    }
    const QString show = configDir.path() + QStringLiteral("/three.vsl");
    {
        QFile f(show);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("0\r\nOff\r\n" + paths.join(QStringLiteral("\r\n")) + "\r\n").toUtf8());
    }
    // Pictures on this thread; frames from a timer of this thread.
    playSlideshowsOnThisThread();
    TransitionEngine& e = app->output->transitionView->engine();
    e.setThreaded(false);
    e.setDelay(1);
    QList<QRgb> shown, completed;
    QObject::connect(&controller(), &Controller::outputTransition, app.get(), [&](const QImage& p, int style) {
        shown << p.pixel(0, 0);
        EXPECT_TRUE(style >= 0 && style <= 161) << style;
    });
    QObject::connect(&e, &TransitionEngine::completed, app.get(), [&] { completed << e.currentFrame().pixel(0, 0); });

    desktop.chosenFiles = {show};
    ASSERT_FALSE(app->output->isVisible());
    app->tray->openSlideshowAction->trigger();
    EXPECT_EQ(desktop.fileFilters, QStringList{QStringLiteral("Vivivoz Slide Show (*.VSL *.vsl)")});
    EXPECT_TRUE(app->output->isVisible());  // brought up, then Run pressed
    EXPECT_TRUE(controller().outputRunning());
    EXPECT_EQ(controller().sourceChoice(), SourceChoice::OpenSlideshow);
    ASSERT_TRUE(waitFor([&] { return !controller().slideshowPlayback().toolbarPlaying(); }));
    EXPECT_EQ(shown, QList<QRgb>({Red, Green, qRgb(0, 0, 255)}));  // slide time 0: one after another
    // Each waited for the previous transition: none was refused by a busy view.
    EXPECT_EQ(completed, shown);
    EXPECT_TRUE(app->output->transitionView->isVisible());
    EXPECT_FALSE(app->output->outputView->isVisible());

    // Cancelled: nothing changes, nothing plays.
    shown.clear();
    app->tray->openSlideshowAction->trigger();
    EXPECT_EQ(desktop.fileFilters.size(), 2);
    EXPECT_FALSE(controller().slideshowPlayback().toolbarPlaying());
}

}  // namespace
}  // namespace vz::test
