// The two slideshow players as the controller runs them: Run/Stop and the
// source drive the toolbar's player on the opened slideshow file, the
// editor's play button drives the editor's, and what they show reaches the
// views through the controller's signals. Time, timers and pictures are
// fakes stepped by the test.

#include "core/controller/controller.h"
#include "core/controller/slideshow_playback.h"
#include "hand_timer.h"
#include "platform/fake/fake_platform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace vz::test {
namespace {

using namespace vz::slideshow;

// Pictures named by their path: the picture's text "path" says which it is.
class NamedPictures final : public PictureSource {
public:
    void prefetch(const QString&, QSize) override {}
    std::optional<DecodedPicture> take(const QString& path, QSize bound) override {
        DecodedPicture p;
        lastBound = bound;
        if (path.endsWith(QStringLiteral(".txt")) || path.contains(QStringLiteral("bad"))) {
            p.error = QStringLiteral("Cannot read the picture \"%1\": damaged").arg(path);
            return p;
        }
        p.image = QImage(4, 3, QImage::Format_RGB32);
        p.image.setText(QStringLiteral("path"), path);
        p.fullSize = p.image.size();
        return p;
    }
    QSize lastBound;
};

class PlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform = makeFakePlatform(desktop);
        c = std::make_unique<Controller>(platform, FramePipeline::Mode::Inline);
        c->refreshMonitors();
        PlaybackServices s;
        auto clock = std::make_unique<ManualClock>(std::chrono::milliseconds(1000));
        this->clock = clock.get();
        s.clock = std::move(clock);
        auto pictures = std::make_unique<NamedPictures>();
        this->pictures = pictures.get();
        s.pictures = std::move(pictures);
        s.makeTimer = [this](std::function<void()> onTick) -> std::unique_ptr<RepeatingTimer> {
            auto t = std::make_unique<HandTimer>(std::move(onTick));
            timers << t.get();
            return t;
        };
        c->slideshowPlayback().setServices(std::move(s));
        // The output's transition view, whose transitions here take no time.
        QObject::connect(c.get(), &Controller::outputTransition, c.get(), [this](const QImage& p, int style) {
            shown << p.text(QStringLiteral("path"));
            styles << style;
            c->slideshowPlayback().outputTransitionEnded();
        });
        QObject::connect(c.get(), &Controller::trayMessageRequested, c.get(),
                         [this](const QString&, const QString& text) { trayMessages << text; });
        QObject::connect(c.get(), &Controller::previewPicture, c.get(),
                         [this](const QImage& p) { previewed << p.text(QStringLiteral("path")); });
        QObject::connect(c.get(), &Controller::outputSurfaceChanged, c.get(), [this](OutputSurface s) { surface = s; });
        c->setViewShown(View::Output, true);
    }
    void TearDown() override { c.reset(); }

    // Time passes in player ticks of 20 ms.
    void run(int ms) {
        for (int t = 0; t < ms; t += SlideshowPlayer::kTickMs) {
            clock->advance(std::chrono::milliseconds(SlideshowPlayer::kTickMs));
            for (HandTimer* timer : timers)
                if (timer->active) timer->onTick();
        }
    }
    QString file(const char* name, const QByteArray& text) {
        const QString path = dir.path() + QLatin1Char('/') + QLatin1String(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }

    QTemporaryDir dir;
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<Controller> c;
    ManualClock* clock = nullptr;
    QVector<HandTimer*> timers;
    NamedPictures* pictures = nullptr;
    QStringList shown, previewed, trayMessages;
    QList<int> styles;
    OutputSurface surface = OutputSurface::Picture;
};

TEST_F(PlaybackTest, RunPlaysTheOpenedFileOnTheTransitionViewUntilStop) {
    ASSERT_TRUE(c->openSlideshow(file("show.vsl", "2\r\nOn\r\n/p/a.jpg\r\n/p/b.png\r\n/p/c.bmp\r\n")));
    c->setOutputViewSize(QSize(1280, 1004));
    c->toggleRun();
    EXPECT_TRUE(c->slideshowPlayback().toolbarPlaying());
    run(20);
    EXPECT_EQ(surface, OutputSurface::Transition);
    EXPECT_EQ(pictures->lastBound, QSize(1280, 1004));  // decoded for the output's picture area
    run(2000 * 3 + 300);                                // 2 s a picture, Loop on: back to the first
    EXPECT_EQ(shown, QStringList({"/p/a.jpg", "/p/b.png", "/p/c.bmp", "/p/a.jpg"}));
    EXPECT_EQ(previewed, shown);  // the preview window follows
    for (int s : styles) EXPECT_TRUE(s >= 0 && s <= 161) << s;

    c->toggleRun();  // Stop: ends at the next tick, the last picture stays
    EXPECT_TRUE(c->toolbarStopRequested());
    run(20);
    EXPECT_FALSE(c->slideshowPlayback().toolbarPlaying());
    run(5000);
    EXPECT_EQ(shown.size(), 4);
    EXPECT_EQ(surface, OutputSurface::Transition);

    c->toggleRun();  // Run again: from the first picture
    run(60);
    EXPECT_EQ(shown.last(), QStringLiteral("/p/a.jpg"));
    EXPECT_EQ(shown.size(), 5);
}

TEST_F(PlaybackTest, EitherPlayerEndsWhenTheSourceLeavesSlideshow) {
    const QString show = file("show.vsl", "1\r\nON\r\n/p/a.jpg\r\n");
    struct {
        const char* what;
        std::function<void()> leave;
    } const cases[] = {
        {"stop all", [&] { c->stopAll(); }},
        {"desktop", [&] { c->startDesktop(); }},
        {"editor closed", [&] { c->closeSlideshowEditor(); }},
    };
    for (const auto& k : cases)
        for (bool editor : {false, true}) {
            SCOPED_TRACE(k.what);
            SCOPED_TRACE(editor ? "editor" : "toolbar");
            ASSERT_TRUE(c->openSlideshow(show));
            if (editor)
                c->toggleEditorPlayback({QStringLiteral("/p/e.jpg")});
            else
                c->toggleRun();
            auto playing = [&] {
                return editor ? c->slideshowPlayback().editorPlaying() : c->slideshowPlayback().toolbarPlaying();
            };
            run(40);
            ASSERT_TRUE(playing());
            k.leave();
            run(20);
            EXPECT_FALSE(playing());
            if (c->outputRunning()) c->toggleRun();
        }
}

TEST_F(PlaybackTest, PicturesThatCannotBeReadAreSaidInTheTrayOnceAPlayback) {
    ASSERT_TRUE(c->openSlideshow(file("show.vsl", "1\r\nOn\r\n/p/bad1.jpg\r\n/p/a.jpg\r\n/p/bad2.png\r\n")));
    c->toggleRun();
    run(2 * 3000 + 100);  // twice round both bad pictures
    EXPECT_EQ(shown, QStringList({"/p/a.jpg", "/p/a.jpg"}));
    ASSERT_EQ(trayMessages.size(), 1);
    EXPECT_TRUE(trayMessages[0].contains(QStringLiteral("Cannot read the picture \"/p/bad1.jpg\"")))
        << qPrintable(trayMessages[0]);
    EXPECT_TRUE(c->slideshowPlayback().toolbarPlaying());  // passed over, not stopped

    c->toggleRun();  // Stop
    run(20);
    c->toggleRun();  // a new playback says it again
    run(20);
    EXPECT_EQ(trayMessages.size(), 2);
}

TEST_F(PlaybackTest, AFileWhoseFirstLineIsNoIntegerSaysSoAndPlaysNothing) {
    ASSERT_TRUE(c->openSlideshow(file("show.vsl", "five\r\nOn\r\n/p/a.jpg\r\n")));
    desktop.asked.clear();
    c->toggleRun();
    EXPECT_EQ(desktop.asked, QStringList{QStringLiteral("'five' is not a valid integer value")});
    EXPECT_FALSE(c->slideshowPlayback().toolbarPlaying());
    run(100);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(PlaybackTest, RunDoesNothingWhileTheEditorIsShownOrTheOutputHidden) {
    ASSERT_TRUE(c->openSlideshow(file("show.vsl", "1\r\nOn\r\n/p/a.jpg\r\n")));
    for (View v : {View::SlideshowEditor, View::Output}) {
        c->setViewShown(View::SlideshowEditor, v == View::SlideshowEditor);
        c->setViewShown(View::Output, v != View::Output);
        c->toggleRun();
        EXPECT_FALSE(c->slideshowPlayback().toolbarPlaying());
    }
}

TEST_F(PlaybackTest, EditorPlayButtonPlaysTheRowsWithCounterAndStopsOnTheSecondPress) {
    int seconds = 1;
    bool fed = true;
    SlideshowPlayback& p = c->slideshowPlayback();
    p.editorSeconds = [&] { return seconds; };
    p.editorOutputFed = [&] { return fed; };
    QStringList counters, editorPreview;
    int blanks = 0, ended = 0;
    QObject::connect(&p, &SlideshowPlayback::editorCounter, c.get(), [&](const QString& t) { counters << t; });
    QObject::connect(&p, &SlideshowPlayback::editorPreview, c.get(),
                     [&](const QImage& i) { editorPreview << i.text(QStringLiteral("path")); });
    QObject::connect(&p, &SlideshowPlayback::editorPlaybackEnded, c.get(), [&] { ++ended; });
    QObject::connect(c.get(), &Controller::outputBlanked, c.get(), [&] { ++blanks; });

    c->toggleEditorPlayback({});  // an empty list: nothing
    EXPECT_FALSE(p.editorPlaying());

    const QStringList rows = {"/p/a.jpg", "/p/notes.txt", "/p/c.png"};
    c->toggleEditorPlayback(rows);
    EXPECT_EQ(c->source(), Source::Slideshow);
    EXPECT_EQ(c->playList(), rows);
    run(20);
    fed = false;  // unchecked: the editor's preview and counter go on, the output gets nothing
    run(1000);
    seconds = 2;  // read again before every picture
    run(1500);
    EXPECT_EQ(counters, QStringList({"1 / 3", "2 / 3", "3 / 3"}));
    EXPECT_EQ(shown, QStringList{"/p/a.jpg"});
    EXPECT_EQ(editorPreview, QStringList({"/p/a.jpg", "/p/c.png"}));  // the text entry shows nothing
    EXPECT_EQ(blanks, 3);
    EXPECT_TRUE(previewed.isEmpty());  // the preview window is the toolbar player's

    c->toggleEditorPlayback(rows);  // second press: stop at the next tick
    EXPECT_TRUE(c->editorStopRequested());
    run(20);
    EXPECT_FALSE(p.editorPlaying());
    EXPECT_EQ(ended, 1);
    c->toggleEditorPlayback(rows);  // and the third starts again
    EXPECT_TRUE(p.editorPlaying());
}

}  // namespace
}  // namespace vz::test
