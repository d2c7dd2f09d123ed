// The scroll band drawing into a real 1280 x 20 window on the X display,
// against peers measured in the same run:
//  1. Tick lateness (wake-up minus deadline) of the band's deadline-paced
//     thread drawing through its own X connection, beside the same engine
//     stepped from a precise QTimer on the event loop into a second window.
//     First with an idle event loop, then with the event loop kept busy for
//     200 ms at a time (as a user-interface thread that is working).
//  2. CPU of this whole process per second while only the band runs, beside
//     the same process doing nothing.
//
// Needs $DISPLAY (scripts/bench-band starts a virtual one).
// Usage: band_window_bench [--seconds=N]

#include "core/scrolltext/band_ticker.h"
#include "bench_band.h"
#include "lateness_stats.h"
#include "seconds_option.h"
#include "platform/x11/x11_band_surface.h"
#include "platform/x11/x11_connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <X11/Xlib.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono;

using bench::kBand;

// A mapped window of the band's size, made on a connection of its own.
struct BenchWindow {
    std::unique_ptr<vz::x11::Connection> owner = vz::x11::Connection::open(nullptr);
    unsigned long id = 0;
    explicit BenchWindow(int y) {
        if (!owner) return;
        Display* d = owner->display();
        id = XCreateSimpleWindow(d, owner->root(), 0, y, unsigned(kBand.width()), unsigned(kBand.height()), 0, 0,
                                 0xffffff);
        XSetWindowAttributes a{};
        a.override_redirect = True;
        XChangeWindowAttributes(d, id, CWOverrideRedirect, &a);
        XMapRaised(d, id);
        XSync(d, False);
    }
    ~BenchWindow() {
        if (!owner) return;
        XDestroyWindow(owner->display(), id);
        XSync(owner->display(), False);
    }
    std::unique_ptr<vz::x11::X11BandSurface> surface() const {
        return vz::x11::X11BandSurface::open(vz::x11::Connection::open(nullptr), id);
    }
};

using bench::Stats;
using bench::stats;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The band's thread and a QTimer loop side by side for `seconds`; with
// `busyLoop` the event loop spins 200 ms out of every 250.
void measureLateness(const char* phase, int seconds, bool busyLoop) {
    BenchWindow ourWindow(0), peerWindow(40);
    auto ourSurface = ourWindow.surface();
    auto peerSurface = peerWindow.surface();
    if (!ourSurface || !peerSurface) {
        std::printf("cannot draw into a window on this display\n");
        return;
    }
    vz::SteadyClock clock;
    std::mutex samplesMutex;
    std::vector<double> ours;
    double oursLongestGap = 0, peerLongestGap = 0;  // ms between two ticks
    vz::Clock::TimePoint oursPrevious{};
    vz::BandTicker ticker(clock, {{}, [&](vz::Clock::TimePoint deadline) {
                                      const auto now = clock.now();
                                      const double late = duration<double, std::milli>(now - deadline).count();
                                      std::lock_guard lock(samplesMutex);
                                      ours.push_back(late);
                                      if (oursPrevious != vz::Clock::TimePoint())
                                          oursLongestGap = std::max(
                                              oursLongestGap, duration<double, std::milli>(now - oursPrevious).count());
                                      oursPrevious = now;
                                  }});
    bench::setUpTicker(ticker);

    // The peer: the same engine, stepped on the event loop by a precise timer.
    vz::BandState peerBand;
    bench::setUpBand(peerBand);
    std::vector<double> peer;
    steady_clock::time_point expected, previous;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const auto now = steady_clock::now();
        expected += 10ms;
        if (now - expected >= 10ms) expected += 10ms * ((now - expected) / 10ms);
        peer.push_back(duration<double, std::milli>(now - expected).count());
        if (previous != steady_clock::time_point())
            peerLongestGap = std::max(peerLongestGap, duration<double, std::milli>(now - previous).count());
        previous = now;
        peerBand.tick(*peerSurface);
        peerSurface->flush();
    });
    QTimer busy;
    busy.setInterval(250);
    QObject::connect(&busy, &QTimer::timeout, [] {
        const auto until = steady_clock::now() + 200ms;
        while (steady_clock::now() < until) {}
    });

    ticker.setTickSink(ourSurface.get());
    ticker.setActive(true);
    expected = steady_clock::now();
    timer.start();
    if (busyLoop) busy.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    timer.stop();
    busy.stop();
    ticker.setActive(false);
    ticker.setTickSink(nullptr);

    std::vector<double> oursCopy;
    {
        std::lock_guard lock(samplesMutex);
        oursCopy = ours;
    }
    // Lateness is measured against the deadline each tick ran for; a loop that
    // falls a whole period behind skips deadlines (see the tick counts and
    // the longest gap between two ticks).
    const Stats a = stats(oursCopy), b = stats(peer);
    std::printf("%-5s band thread  ticks %4zu  lateness p50 %7.3f p99 %7.3f max %7.3f ms  longest gap %7.1f ms\n",
                phase, a.count, a.p50, a.p99, a.max, oursLongestGap);
    std::printf("%-5s QTimer loop  ticks %4zu  lateness p50 %7.3f p99 %7.3f max %7.3f ms  longest gap %7.1f ms\n",
                phase, b.count, b.p50, b.p99, b.max, peerLongestGap);
    std::printf("%-5s ratio band / QTimer (lateness p99): %.4f\n", phase, b.p99 > 0 ? a.p99 / b.p99 : 0.0);
}

// CPU of the whole process per second: the band alone, then nothing.
void measureCpu(int seconds) {
    BenchWindow window(80);
    auto surface = window.surface();
    if (!surface) return;
    vz::SteadyClock clock;
    vz::BandTicker ticker(clock);
    bench::setUpTicker(ticker);
    ticker.setTickSink(surface.get());
    ticker.setActive(true);
    std::this_thread::sleep_for(500ms);  // the picture is made and uploaded
    double start = cpuSeconds();
    std::this_thread::sleep_for(seconds * 1s);
    const double band = (cpuSeconds() - start) / seconds;
    const quint64 ticks = ticker.ticksRun();
    ticker.setActive(false);
    ticker.setTickSink(nullptr);
    start = cpuSeconds();
    std::this_thread::sleep_for(seconds * 1s);
    const double idle = (cpuSeconds() - start) / seconds;
    std::printf(
        "CPU of the process, band running (Step 1, Interval 10, %d px window): %.3f %% of a core (%llu ticks)\n",
        kBand.width(), band * 100, (unsigned long long)ticks);
    std::printf("CPU of the process, nothing running:                               %.3f %% of a core\n", idle * 100);
    std::printf("band surface uploads: %d pictures\n", surface->uploads());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> rest;
    const int seconds = bench::takeSecondsOption(argc, argv, rest);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "band_window_bench: DISPLAY is not set (scripts/bench-band starts a virtual display)\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int restCount = int(rest.size());
    QGuiApplication app(restCount, rest.data());
    measureLateness("idle", seconds, false);
    measureLateness("busy", seconds, true);
    measureCpu(seconds);
    return 0;
}
