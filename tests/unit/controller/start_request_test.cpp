// Start requests (the command line and later starts) and monitors that come
// and go, on the fake platform with no window at all.

#include "core/controller/controller.h"
#include "platform/fake/fake_platform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace vz::test {
namespace {

using S = StartRequest::Source;

class StartRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        desktop.windows[0x400007] = {QRect(10, 10, 300, 200), {}, QStringLiteral("Quarterly figures - Calc"), {}, {}};
        desktop.windows[0x500003] = {QRect(40, 40, 300, 200), {}, QStringLiteral("Notes 2026"), {}, {}};
        platform = makeFakePlatform(desktop);
        c = std::make_unique<Controller>(platform, FramePipeline::Mode::Inline);
        c->settingsStore().setFolder(dir.path() + QLatin1Char('/'));
        c->refreshMonitors();
        // As the App does: a requested window shows (the output with two
        // monitors needs no question) and is reported back.
        QObject::connect(c.get(), &Controller::viewRequested, c.get(), [this](View v, bool show) {
            if (v == View::Output) outputRequests << show;
            c->setViewShown(v, show);
        });
        QObject::connect(c.get(), &Controller::trayMessageRequested, c.get(),
                         [this](const QString&, const QString& text) { trayMessages << text; });
        QObject::connect(c.get(), &Controller::outputOnPrimaryRequested, c.get(), [this] { ++onPrimary; });
        QObject::connect(&c->screens(), &MonitorWatch::resized, c.get(), [this] { ++resized; });
        QObject::connect(c.get(), &Controller::bannerSendRequested, c.get(),
                         [this](const BannerOrder& order) { banners << order; });
    }
    void TearDown() override { c.reset(); }

    QString file(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(QLatin1String(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    StartRequest request(S source) {
        StartRequest r;
        r.source = source;
        return r;
    }
    // Saves the settings and gives the file's contents.
    QByteArray savedFile() {
        QString error;
        EXPECT_TRUE(c->saveSettings(&error)) << qPrintable(error);
        QFile f(c->settingsStore().path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    void monitors(QVector<QRect> m) {
        desktop.monitors = std::move(m);
        c->refreshMonitors();
    }

    QTemporaryDir dir;
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<Controller> c;
    QVector<bool> outputRequests;
    QStringList trayMessages;
    QVector<BannerOrder> banners;
    int onPrimary = 0, resized = 0;
};

TEST_F(StartRequestTest, EachSourceShowsTheOutputAndRuns) {
    StartRequest area = request(S::Area);
    area.area = QRect(100, 100, 400, 300);
    StartRequest byId = request(S::Window);
    byId.window = QStringLiteral("0x500003");
    StartRequest byTitle = request(S::Window);
    byTitle.window = QStringLiteral("quarterly");
    StartRequest byNumberInTitle = request(S::Window);
    byNumberInTitle.window = QStringLiteral("2026");  // names no id: a part of a title
    StartRequest show = request(S::Slideshow);
    show.file = file("show.vsl", "5\r\nOn\r\n/pictures/a.jpg\r\n/pictures/b.jpg\r\n");

    struct Case {
        const char* what;
        StartRequest r;
        Source source;
        SourceChoice choice;
    };
    const Case cases[] = {
        {"desktop", request(S::Desktop), Source::Desktop, SourceChoice::Desktop},
        {"area", area, Source::Desktop, SourceChoice::Area},
        {"window by id", byId, Source::Window, SourceChoice::Window},
        {"window by title", byTitle, Source::Window, SourceChoice::Window},
        {"window by a number in its title", byNumberInTitle, Source::Window, SourceChoice::Window},
        {"clipboard", request(S::Clipboard), Source::Clipboard, SourceChoice::Clipboard},
        {"slideshow", show, Source::Slideshow, SourceChoice::OpenSlideshow},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        c->stopAll();
        c->requestView(View::Output, false);
        EXPECT_EQ(c->carryOut(k.r), QString());
        EXPECT_TRUE(c->isShown(View::Output));
        EXPECT_EQ(c->source(), k.source);
        EXPECT_EQ(c->sourceChoice(), k.choice);
        EXPECT_TRUE(c->outputRunning());
    }
    // What each one chose.
    c->carryOut(area);
    EXPECT_EQ(c->desktopScope(), DesktopScope::Area);
    EXPECT_EQ(c->captureArea(), (Rect4{100, 100, 500, 400}));
    c->carryOut(byId);
    EXPECT_EQ(c->selectedWindow(), WindowId(0x500003));
    c->carryOut(byTitle);
    EXPECT_EQ(c->selectedWindow(), WindowId(0x400007));
    c->carryOut(byNumberInTitle);
    EXPECT_EQ(c->selectedWindow(), WindowId(0x500003));
    c->carryOut(show);
    EXPECT_EQ(c->playList(), (QStringList{"5", "On", "/pictures/a.jpg", "/pictures/b.jpg"}));
}

TEST_F(StartRequestTest, ASlideshowLongerThanThePlayListPlaysItsStartAndTheTraySaysSo) {
    QByteArray lines = "5\r\nOn\r\n";
    for (int i = 0; i < 3003; ++i) lines += "/p/" + QByteArray::number(i) + ".jpg\r\n";
    StartRequest show = request(S::Slideshow);
    show.file = file("long.vsl", lines);
    desktop.asked.clear();
    EXPECT_EQ(c->carryOut(show), QString());
    EXPECT_EQ(c->playList().size(), 3001);
    EXPECT_TRUE(desktop.asked.isEmpty());  // no message box for a command
    ASSERT_EQ(trayMessages.size(), 1);
    EXPECT_TRUE(trayMessages[0].contains(QStringLiteral("last 4 lines were left out"))) << qPrintable(trayMessages[0]);
}

TEST_F(StartRequestTest, TextPutsTheFilesBannerOverTheRunningSource) {
    c->carryOut(request(S::Desktop));
    StartRequest text = request(S::Text);
    text.file =
        file("banner.sct", "[scroll]\ntext=Doors open at nine\nxinterval=20\nxstep=3\nxHeight=150\nposition=0\n");
    EXPECT_EQ(c->carryOut(text), QString());
    ASSERT_EQ(banners.size(), 1);
    EXPECT_EQ(banners[0].text, QStringLiteral("Doors open at nine"));
    EXPECT_EQ(banners[0].interval, 20u);
    EXPECT_EQ(banners[0].step, 3u);
    EXPECT_EQ(banners[0].height, 50);
    EXPECT_TRUE(banners[0].top);
    EXPECT_EQ(c->source(), Source::Desktop);
    EXPECT_TRUE(c->outputRunning());
}

TEST_F(StartRequestTest, RequestThatCannotBeCarriedOutChangesNothing) {
    c->carryOut(request(S::Clipboard));
    c->viewOptions().setViewMode(ViewFit::Stretch);
    c->viewOptions().setUpdateRate(10);
    auto with = [&](S source, const QString& value) {
        StartRequest r = request(source);
        (source == S::Window ? r.window : r.file) = value;
        r.viewMode = ViewFit::Resize;
        r.rate = 30;
        return r;
    };
    const StartRequest cases[] = {
        with(S::Window, QStringLiteral("no such window")),
        with(S::Window, QStringLiteral("0x999")),
        with(S::Slideshow, dir.filePath(QStringLiteral("missing.vsl"))),
        with(S::Slideshow, dir.path()),                        // a folder
        with(S::Slideshow, QStringLiteral("/dev/zero")),       // never ends
        with(S::Slideshow, file("empty.vsl", "5\r\nOn\r\n")),  // no pictures
        with(S::Text, dir.filePath(QStringLiteral("missing.sct"))),
        with(S::Text, QStringLiteral("/dev/zero")),
    };
    for (const StartRequest& r : cases) {
        SCOPED_TRACE(qPrintable(r.window + r.file));
        EXPECT_FALSE(c->carryOut(r).isEmpty());
        EXPECT_EQ(c->source(), Source::Clipboard);
        EXPECT_TRUE(c->outputRunning());
        EXPECT_EQ(c->viewOptions().viewMode(), ViewFit::Stretch);
        EXPECT_EQ(c->viewOptions().updateRate(), 10);
    }
    EXPECT_TRUE(banners.isEmpty());
    EXPECT_TRUE(desktop.asked.isEmpty()) << "no message box for a start request";
}

TEST_F(StartRequestTest, ViewAndRateAloneLeaveTheSource) {
    c->carryOut(request(S::Desktop));
    outputRequests.clear();
    StartRequest r;
    r.viewMode = ViewFit::Scale;
    r.scalePercent = 250;
    r.rate = 24;
    EXPECT_EQ(c->carryOut(r), QString());
    EXPECT_EQ(c->viewOptions().viewMode(), ViewFit::Scale);
    EXPECT_EQ(c->viewOptions().scaleValue(), 250);
    EXPECT_EQ(c->viewOptions().updateRate(), 24);
    EXPECT_EQ(c->source(), Source::Desktop);
    EXPECT_TRUE(outputRequests.isEmpty());
}

TEST_F(StartRequestTest, OutputLeavesWithTheSecondMonitorAndComesBackWithIt) {
    const QRect primary(0, 0, 1920, 1080), second(1920, 0, 1280, 1024);
    c->carryOut(request(S::Desktop));
    outputRequests.clear();

    monitors({primary});
    EXPECT_EQ(outputRequests, QVector<bool>{false});
    EXPECT_FALSE(c->isShown(View::Output));
    EXPECT_EQ(trayMessages.size(), 1);
    EXPECT_TRUE(trayMessages.value(0).contains(QLatin1String("hidden")));
    // The source keeps running meanwhile; more screen events say nothing more.
    EXPECT_EQ(c->source(), Source::Desktop);
    EXPECT_TRUE(c->outputRunning());
    monitors({primary});
    EXPECT_EQ(trayMessages.size(), 1);

    monitors({primary, second});
    EXPECT_EQ(outputRequests, (QVector<bool>{false, true}));
    EXPECT_TRUE(c->isShown(View::Output));
    EXPECT_TRUE(c->outputRunning());

    // Another size of the same monitors: the output re-fits, nothing else.
    monitors({primary, QRect(1920, 0, 1024, 768)});
    EXPECT_EQ(resized, 1);
    EXPECT_EQ(outputRequests.size(), 2);

    // The user's other choice: the output stays up, on the primary monitor.
    c->setOutputOnPrimaryWhenLost(true);
    monitors({primary});
    EXPECT_EQ(onPrimary, 1);
    EXPECT_TRUE(c->isShown(View::Output));
    EXPECT_EQ(trayMessages.size(), 2);
    monitors({primary, second});
    EXPECT_EQ(outputRequests.last(), true);

    // An output the user had closed stays closed.
    c->requestView(View::Output, false);
    outputRequests.clear();
    monitors({primary});
    monitors({primary, second});
    EXPECT_TRUE(outputRequests.isEmpty());
    EXPECT_EQ(trayMessages.size(), 2);
}

TEST_F(StartRequestTest, LostMonitorChoiceIsKeptInTheSettingsFileOnlyOnceMade) {
    EXPECT_FALSE(savedFile().contains("OutputOnPrimaryWhenLost"));
    c->setOutputOnPrimaryWhenLost(true);
    QString error;
    ASSERT_TRUE(c->saveSettings(&error));
    c->setOutputOnPrimaryWhenLost(false);
    c->loadSettings();
    EXPECT_TRUE(c->outputOnPrimaryWhenLost());
}

TEST_F(StartRequestTest, ChosenOutputMonitorIsFollowedAndKeptOnlyOnceMade) {
    const QRect primary(1280, 0, 1920, 1080), left(0, 0, 1280, 1024), right(3200, 0, 1024, 768);
    monitors({primary, left, right});
    EXPECT_EQ(c->screens().outputMonitor(), left);
    EXPECT_FALSE(savedFile().contains("OutputMonitor"));

    int moves = 0;
    QObject::connect(c.get(), &Controller::outputOnSecondMonitorRequested, c.get(), [&] { ++moves; });
    // The primary and monitors that are not there are no choice.
    for (int index : {0, 3, -1}) c->chooseOutputMonitor(index);
    EXPECT_EQ(c->screens().outputMonitor(), left);
    c->chooseOutputMonitor(2);
    EXPECT_EQ(c->screens().outputMonitor(), right);
    EXPECT_EQ(moves, 0);  // the output is not shown
    c->setViewShown(View::Output, true);
    c->chooseOutputMonitor(1);
    EXPECT_EQ(moves, 1);
    c->chooseOutputMonitor(2);
    QString error;
    ASSERT_TRUE(c->saveSettings(&error));
    c->chooseOutputMonitor(1);
    c->loadSettings();
    EXPECT_EQ(c->screens().outputMonitor(), right);
    // With the third monitor gone, the choice falls back to the first other.
    monitors({primary, left});
    EXPECT_EQ(c->screens().outputMonitor(), left);
}

}  // namespace
}  // namespace vz::test
