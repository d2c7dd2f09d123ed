#include "core/slideshow/slideshow_player.h"
#include "core/threading/clock.h"

#include <gtest/gtest.h>

#include <QSet>

#include <functional>

using namespace vz::slideshow;
using vz::RepeatingTimer;

namespace {

// The manual clock, read and set in milliseconds that wrap at 2^32 (setting
// an earlier value moves on to it across the wrap).
struct SteppedTime {
    vz::ManualClock clock;
    std::uint32_t now() const { return clock.milliseconds(); }
    void setTo(std::uint32_t ms) { clock.advance(std::chrono::milliseconds(std::uint32_t(ms - now()))); }
};

// Fires every interval after the time it was (re)started, as a QTimer does.
class FakeTimer : public RepeatingTimer {
public:
    const SteppedTime* clock = nullptr;
    bool active = false;
    int interval = 0;
    std::uint32_t next = 0;  // the time of the next firing
    void start(int ms) override {
        active = true;
        interval = ms;
        next = clock->now() + std::uint32_t(ms);
    }
    void stop() override { active = false; }
};

// Pictures come back at once unless the path is held back or marked bad; the
// picture carries its path so the host can say which one it got.
class FakePictures : public PictureSource {
public:
    QSet<QString> bad, pending;
    QStringList prefetched;
    int decodes = 0;
    SteppedTime* clock = nullptr;
    std::uint32_t decodeMs = 0;  // the time a picture takes to hand over
    void prefetch(const QString& path, QSize) override { prefetched << path; }
    std::optional<DecodedPicture> take(const QString& path, QSize) override {
        if (pending.contains(path)) return std::nullopt;
        ++decodes;
        clock->setTo(clock->now() + decodeMs);
        DecodedPicture picture;
        if (bad.contains(path)) {
            picture.error = QStringLiteral("bad ") + path;
            return picture;
        }
        picture.image = QImage(4, 3, QImage::Format_RGB32);
        picture.image.setText(QStringLiteral("path"), path);
        picture.fullSize = QSize(4, 3);
        return picture;
    }
};

class FakeHost : public PlaybackHost {
public:
    bool active = true, stop = false, loop = false, fed = true;
    int seconds = 5;
    const SteppedTime* clock = nullptr;
    QStringList events;
    QList<int> styles;
    QList<int> entries;                 // what showingEntry reported
    std::function<void()> afterOutput;  // what the output's transition view answers

    bool slideshowActive() const override { return active; }
    bool stopRequested() const override { return stop; }
    int slideSeconds() const override { return seconds; }
    bool loopEnabled() const override { return loop; }
    bool outputFed() const override { return fed; }
    QSize pictureBound() const override { return QSize(1280, 1024); }
    void blankOutput() override { events << "blank"; }
    void showTransitionView() override { events << "view"; }
    void showingEntry(int index) override { entries << index; }
    void setCounter(const QString& text) override { events << "counter " + text; }
    void showPreview(const QImage& p) override { events << "preview " + p.text("path"); }
    void showOnOutput(const QImage& p, int style) override {
        events << QStringLiteral("output %1 at %2").arg(p.text("path")).arg(clock->now());
        styles << style;
        if (afterOutput) afterOutput();
    }
    void reportPictureError(const QString& message) override { events << "error " + message; }
    void playbackEnded() override { events << QStringLiteral("ended at %1").arg(clock->now()); }
};

struct Rig {
    SteppedTime clock;
    FakeTimer timer;
    FakePictures pictures;
    FakeHost host;
    SlideshowPlayer player;
    // Transitions take no time unless a test ends them itself.
    bool instantTransitions = true;
    explicit Rig(PlayerKind kind, std::uint32_t start = 0) : player(kind, host, pictures, clock.clock, timer, 1234) {
        clock.setTo(start);
        host.clock = &clock;
        timer.clock = &clock;
        pictures.clock = &clock;
        host.afterOutput = [this] {
            if (instantTransitions) player.transitionEnded();
        };
    }
    // Lets the event loop run for `ms`: the timer fires when it is due.
    void run(int ms) {
        const std::uint32_t begin = clock.now();
        while (timer.active && std::uint32_t(timer.next - begin) <= std::uint32_t(ms)) {
            clock.setTo(timer.next);
            timer.next += std::uint32_t(timer.interval);
            player.tick();
        }
        clock.setTo(begin + std::uint32_t(ms));
    }
    QStringList take() {
        QStringList out = host.events;
        host.events.clear();
        return out;
    }
};

const QStringList kThree{"/p/a.jpg", "/p/b.png", "/p/c.bmp"};

TEST(SlideshowPlayer, EditorPlaysTheListOnceWithCounterAndBlanking) {
    Rig rig(PlayerKind::Editor);
    ASSERT_TRUE(rig.player.start(kThree));
    EXPECT_EQ(rig.timer.interval, SlideshowPlayer::kTickMs);
    EXPECT_EQ(rig.take(), QStringList({"blank", "view", "counter 1 / 3", "preview /p/a.jpg", "output /p/a.jpg at 0"}));
    EXPECT_EQ(rig.pictures.prefetched, QStringList({"/p/b.png"}));  // the next one, while this one shows
    rig.run(4980);
    EXPECT_TRUE(rig.take().isEmpty());
    rig.run(20);
    EXPECT_EQ(rig.take(),
              QStringList({"blank", "view", "counter 2 / 3", "preview /p/b.png", "output /p/b.png at 5000"}));
    rig.run(5000);
    EXPECT_EQ(rig.take(),
              QStringList({"blank", "view", "counter 3 / 3", "preview /p/c.bmp", "output /p/c.bmp at 10000"}));
    rig.run(10000);
    // The last picture stays: no blanking after it.
    EXPECT_EQ(rig.take(), QStringList({"ended at 15000"}));
    EXPECT_FALSE(rig.player.isPlaying());
    EXPECT_FALSE(rig.timer.active);
    for (int style : rig.host.styles) EXPECT_TRUE(style >= 0 && style <= 161);
}

TEST(SlideshowPlayer, LoopStartsOverAtTheFirstPicture) {
    Rig editor(PlayerKind::Editor);
    editor.host.loop = true;
    editor.player.start(kThree);
    editor.host.loop = false;  // read once at start
    editor.run(15000);
    EXPECT_TRUE(editor.take().contains("output /p/a.jpg at 15000"));
    EXPECT_TRUE(editor.player.isPlaying());
    // The editor is told which row plays, so its selection follows.
    EXPECT_EQ(editor.host.entries, QList<int>({0, 1, 2, 0}));

    Rig toolbar(PlayerKind::Toolbar);
    ASSERT_TRUE(toolbar.player.start(QStringList({"2", "on"}) + kThree));
    toolbar.run(6000);
    EXPECT_TRUE(toolbar.take().contains("output /p/a.jpg at 6000"));
}

TEST(SlideshowPlayer, ToolbarReadsItsFileHeaderOnce) {
    Rig rig(PlayerKind::Toolbar);
    rig.host.seconds = 99;  // not the toolbar's source of durations
    ASSERT_TRUE(rig.player.start(QStringList({"3", "Off"}) + kThree));
    // First picture at line 3; no blanking, no counter, no row.
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/a.jpg", "output /p/a.jpg at 0"}));
    EXPECT_TRUE(rig.host.entries.isEmpty());
    rig.run(3000);
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/b.png", "output /p/b.png at 3000"}));
    rig.run(6000);
    EXPECT_EQ(rig.take().last(), QStringLiteral("ended at 9000"));

    QString error;
    EXPECT_FALSE(rig.player.start(QStringList({"five", "On", "/p/a.jpg"}), &error));
    EXPECT_EQ(error, QStringLiteral("'five' is not a valid integer value"));
    EXPECT_FALSE(rig.player.start(QStringList(), &error));
    EXPECT_FALSE(rig.player.isPlaying());
    EXPECT_TRUE(rig.take().isEmpty());

    // Two lines and no pictures: nothing shown, the end after one slide time.
    ASSERT_TRUE(rig.player.start(QStringList({"2", "On"})));
    rig.run(5000);
    EXPECT_EQ(rig.take(), QStringList({"ended at 11000"}));
}

TEST(SlideshowPlayer, StopFlagAndSourceChangeEndWithinOneTick) {
    for (int how = 0; how < 2; ++how) {
        Rig rig(PlayerKind::Editor);
        rig.player.start(kThree);
        rig.run(1000);
        rig.take();
        if (how == 0)
            rig.host.stop = true;
        else
            rig.host.active = false;
        rig.run(SlideshowPlayer::kTickMs);
        EXPECT_EQ(rig.take(), QStringList({"ended at 1020"})) << how;
        EXPECT_FALSE(rig.timer.active);
    }
    // A source that is no longer the slideshow when the next picture is due.
    Rig rig(PlayerKind::Toolbar);
    rig.player.start(QStringList({"1", "On"}) + kThree);
    rig.player.stop();
    EXPECT_FALSE(rig.player.isPlaying());
}

TEST(SlideshowPlayer, EditorSettingsDuringPlayback) {
    Rig rig(PlayerKind::Editor);
    rig.host.fed = false;
    rig.player.start(kThree);
    // Without "Show on secondary monitor" the preview and the counter still move.
    EXPECT_EQ(rig.take(), QStringList({"blank", "view", "counter 1 / 3", "preview /p/a.jpg"}));
    rig.host.seconds = 2;  // from the next picture on
    rig.host.fed = true;
    rig.run(5000);
    EXPECT_TRUE(rig.take().contains("output /p/b.png at 5000"));
    rig.run(2000);
    EXPECT_TRUE(rig.take().contains("output /p/c.bmp at 7000"));
}

TEST(SlideshowPlayer, OtherEntriesTakeTheirTimeAndBadPicturesAreReportedOnce) {
    Rig rig(PlayerKind::Toolbar);
    rig.pictures.bad.insert("/p/b.png");
    ASSERT_TRUE(rig.player.start(QStringList({"1", "ON", "/p/a.jpg", "/p/notes.txt", "/p/b.png"})));
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/a.jpg", "output /p/a.jpg at 0"}));
    rig.run(1000);
    EXPECT_EQ(rig.take(), QStringList({"view"}));  // the text entry changes nothing on the screen
    rig.run(1000);
    EXPECT_EQ(rig.take(), QStringList({"view", "error bad /p/b.png"}));
    rig.run(1000);
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/a.jpg", "output /p/a.jpg at 3000"}));
    rig.run(3000);  // the second time round the bad picture is passed over quietly
    EXPECT_EQ(rig.take(), QStringList({"view", "view", "view", "preview /p/a.jpg", "output /p/a.jpg at 6000"}));
}

TEST(SlideshowPlayer, WaitsForAPictureStillBeingDecoded) {
    Rig rig(PlayerKind::Toolbar);
    rig.pictures.pending.insert("/p/a.jpg");
    rig.player.start(QStringList({"1", "Off"}) + kThree);
    EXPECT_EQ(rig.take(), QStringList({"view"}));
    rig.run(100);
    rig.pictures.pending.clear();
    rig.run(20);
    // The slide time counts from the moment the picture is shown.
    EXPECT_EQ(rig.take(), QStringList({"preview /p/a.jpg", "output /p/a.jpg at 120"}));
    rig.run(980);
    EXPECT_TRUE(rig.take().isEmpty());
    rig.run(20);
    EXPECT_EQ(rig.take().last(), QStringLiteral("output /p/b.png at 1120"));
}

TEST(SlideshowPlayer, ASlideTimeCountsFromTheEndOfItsTransition) {
    // The output's transition takes 2 s. At 2 s a picture the next one used
    // to come as this transition ended; the view, still busy, dropped it.
    Rig rig(PlayerKind::Toolbar);
    rig.instantTransitions = false;
    ASSERT_TRUE(rig.player.start(QStringList({"2", "Off"}) + kThree));
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/a.jpg", "output /p/a.jpg at 0"}));
    rig.run(2060);
    EXPECT_TRUE(rig.take().isEmpty());  // still in its transition
    rig.player.transitionEnded();       // at 2060: the picture is whole from here
    rig.run(1980);
    EXPECT_TRUE(rig.take().isEmpty());
    rig.run(20);
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/b.png", "output /p/b.png at 4060"}));

    // An end that is never reported holds the slide no longer than the limit.
    rig.run(int(SlideshowPlayer::kTransitionLimitMs) + 2000);
    EXPECT_EQ(
        rig.take(),
        QStringList({"view", "preview /p/c.bmp",
                     QStringLiteral("output /p/c.bmp at %1").arg(4060 + SlideshowPlayer::kTransitionLimitMs + 2000)}));
    // Stop during a transition ends playback within a tick.
    rig.host.stop = true;
    rig.run(SlideshowPlayer::kTickMs);
    EXPECT_FALSE(rig.player.isPlaying());
    // A late report changes nothing.
    rig.player.transitionEnded();
    rig.run(5000);
    EXPECT_EQ(rig.take().size(), 1);  // "ended at ..."
}

TEST(SlideshowPlayer, ASlideTimeEndsOnATickWhenThePictureCameBetweenTicks) {
    // Handing the picture over took 7 ms of a tick; the next picture is still
    // due exactly one slide time after this one was shown, not a tick later.
    Rig rig(PlayerKind::Toolbar);
    rig.pictures.decodeMs = 7;
    rig.player.start(QStringList({"1", "Off"}) + kThree);
    EXPECT_TRUE(rig.take().contains(QStringLiteral("output /p/a.jpg at 7")));
    rig.run(1000);
    // Due at 1007, then 7 ms to hand over.
    EXPECT_EQ(rig.take(), QStringList({"view", "preview /p/b.png", "output /p/b.png at 1014"}));
}

TEST(SlideshowPlayer, WaitsSurviveTheTickCountWrapping) {
    for (std::uint32_t start : {0x7FFFF000u, 0xFFFFF000u}) {
        Rig rig(PlayerKind::Toolbar, start);
        rig.player.start(QStringList({"5", "Off"}) + kThree);
        rig.take();
        rig.run(4980);
        EXPECT_TRUE(rig.take().isEmpty()) << start;
        rig.run(20);
        EXPECT_EQ(rig.take().last(), QStringLiteral("output /p/b.png at %1").arg(start + 5000)) << start;
    }
}

TEST(SlideshowPlayer, StylesAreDrawnAcrossTheWholeRange) {
    Rig rig(PlayerKind::Toolbar);
    rig.player.start(QStringList({"0", "On"}) + kThree);
    rig.run(20 * 3000);
    QSet<int> seen;
    for (int s : rig.host.styles) {
        ASSERT_TRUE(s >= 0 && s <= SlideshowPlayer::kHighestStyle);
        seen.insert(s);
    }
    EXPECT_GT(seen.size(), 150);
    EXPECT_TRUE(seen.contains(0) && seen.contains(161));
}

}  // namespace
