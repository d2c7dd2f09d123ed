// Slide starts of a 20-picture show of 24-megapixel JPEGs at 1 s per slide,
// on a real clock, in one run:
//   ours: the player with the read-ahead worker the program uses (the next
//     picture is decoded while the current one shows);
//   peer: the same player decoding each picture on the UI thread at slide start.
// Each slide start is measured against its deadline (the previous start plus
// the slide time); the first start, which nothing can read ahead, is shown
// apart. A 10 ms timer on the UI thread shows how late the event loop runs.
// Goal for ours: p99 lateness of slide starts <= 20 ms.
//
// Usage: slideshow_bench [--slides=N] [--side=WxH]   (default 20 of 6000x4000)

#include "bench_photo.h"
#include "lateness_probe.h"

#include "core/scaling/row_workers.h"
#include "core/slideshow/picture_read_ahead.h"
#include "core/slideshow/slideshow_player.h"

#include <QFile>
#include <QGuiApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace vz::slideshow;
using Clock = std::chrono::steady_clock;

// Records when each picture reaches the output.
class BenchHost final : public PlaybackHost {
public:
    std::vector<Clock::time_point> starts;
    QStringList errors;
    std::function<void()> ended;
    bool slideshowActive() const override { return true; }
    bool stopRequested() const override { return false; }
    bool outputFed() const override { return true; }
    QSize pictureBound() const override { return QSize(1920, 1080); }
    void showTransitionView() override {}
    void showPreview(const QImage&) override {}
    void showOnOutput(const QImage&, int) override { starts.push_back(Clock::now()); }
    void reportPictureError(const QString& message) override { errors << message; }
    void playbackEnded() override { ended(); }
};

struct Outcome {
    double firstMs = 0;   // start() to the first picture
    bench::Stats slides;  // slide starts 2..n against their deadlines
    bench::Stats ui;      // the 10 ms probe timer
    int shown = 0;
    QStringList errors;
};

Outcome play(PictureSource& pictures, const QStringList& playList, int slideMs) {
    Outcome out;
    BenchHost host;
    vz::SteadyClock clock;
    QEventLoop loop;
    host.ended = [&] { loop.quit(); };
    SlideshowPlayer* playerPtr = nullptr;
    vz::QtRepeatingTimer timer([&] { playerPtr->tick(); });
    SlideshowPlayer player(PlayerKind::Toolbar, host, pictures, clock, timer, 1);
    playerPtr = &player;
    bench::LatenessProbe probe;
    probe.start();
    Clock::time_point begun;
    QTimer::singleShot(0, [&] {
        begun = Clock::now();
        player.start(playList);
    });
    loop.exec();
    probe.stop();
    out.ui = probe.stats();
    out.shown = int(host.starts.size());
    out.errors = host.errors;
    if (host.starts.empty()) return out;
    out.firstMs = std::chrono::duration<double, std::milli>(host.starts[0] - begun).count();
    std::vector<double> late;
    for (size_t i = 1; i < host.starts.size(); ++i)
        late.push_back(std::chrono::duration<double, std::milli>(host.starts[i] - host.starts[i - 1]).count() -
                       slideMs);
    out.slides = bench::stats(late);
    return out;
}

void print(const char* name, const Outcome& o) {
    std::printf(
        "%-34s slides %2d  first %7.1f ms  slide starts p50 %6.2f p99 %6.2f max %6.2f ms  "
        "UI timer p50 %6.2f p99 %7.2f max %7.2f ms\n",
        name, o.shown, o.firstMs, o.slides.p50, o.slides.p99, o.slides.max, o.ui.p50, o.ui.p99, o.ui.max);
    for (const QString& e : o.errors) std::printf("  error: %s\n", qPrintable(e));
}

}  // namespace

int main(int argc, char** argv) {
    // The row workers the program lends its picture work (row_workers.h).
    vz::RowWorkers rowWorkers;
    const vz::RowWorkers::Lend lend(&rowWorkers);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const bench::PictureFiles made = bench::pictureFilesFromArgs(argc, argv, "slides", 20, 2, QStringLiteral("slide"));
    const QStringList& pictures = made.paths;
    if (pictures.isEmpty()) return 1;
    const int slides = int(pictures.size());
    QGuiApplication app(argc, argv);
    // A slideshow file's lines: 1 s per slide, no loop, the pictures.
    const QStringList playList = QStringList{QStringLiteral("1"), QStringLiteral("Off")} + pictures;

    std::printf("%d slides at 1 s on a 1920x1080 output (about %d s per run)...\n", slides, slides + 1);
    PictureReadAhead readAhead;
    const Outcome ours = play(readAhead, playList, 1000);
    ImmediatePictures immediate;
    const Outcome peer = play(immediate, playList, 1000);

    std::printf("\n");
    print("ours: read-ahead worker", ours);
    print("peer: decode at slide start", peer);
    std::printf("ratios ours/peer: slide-start p99 %.3f, max %.3f; UI timer p99 %.3f\n",
                ours.slides.p99 / std::max(peer.slides.p99, 1e-9), ours.slides.max / std::max(peer.slides.max, 1e-9),
                ours.ui.p99 / std::max(peer.ui.p99, 1e-9));
    std::printf("goal: ours slide-start p99 <= 20 ms: %s\n", ours.slides.p99 <= 20.0 ? "met" : "MISSED");
    return 0;
}
