// The scroll band's real-time behaviour, measured against peers in the same
// run:
//  1. Tick lateness (wake-up time minus deadline) of the band's own
//     deadline-paced thread and of a QTimer (Qt::PreciseTimer) loop doing the
//     same work, both running at the same time, first on an idle machine and
//     then while another thread spins on a core. Goals for the band's thread:
//     p99 <= 0.3 ms idle, <= 1 ms busy.
//  2. CPU time per second of the band at the defaults (Step 1, Interval 10)
//     drawing into a 1280-pixel image sink.
//  3. Per tick: scrolling and drawing the uncovered strip against repainting
//     the whole band each tick (Google Benchmark).
//
// Usage: scrolltext_bench [--seconds=N] [Google Benchmark flags]

#include "core/scrolltext/band_ticker.h"
#include "bench_band.h"
#include "lateness_stats.h"
#include "seconds_option.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono;

using bench::kBand;
using bench::setUpBand;

using bench::Stats;
using bench::stats;

// Runs the band's thread and a QTimer loop side by side for `seconds`.
void measureLateness(const char* phase, int seconds) {
    vz::SteadyClock clock;
    std::mutex samplesMutex;
    std::vector<double> ours, oursJitter;
    vz::Clock::TimePoint oursPrevious;
    vz::ImageBandSink sink(kBand);
    vz::BandTicker ticker(
        clock, {{}, [&](vz::Clock::TimePoint deadline) {
                    const double late = duration<double, std::milli>(clock.now() - deadline).count();
                    const auto now = clock.now();
                    std::lock_guard lock(samplesMutex);
                    ours.push_back(late);
                    if (oursPrevious != vz::Clock::TimePoint())
                        oursJitter.push_back(std::abs(duration<double, std::milli>(now - oursPrevious - 10ms).count()));
                    oursPrevious = now;
                }});
    bench::setUpTicker(ticker);

    // The peer: the same engine stepped from a precise QTimer on the event loop.
    vz::BandState peerBand;
    setUpBand(peerBand);
    vz::ImageBandSink peerSink(kBand);
    std::vector<double> peer, peerJitter;
    steady_clock::time_point previous;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    steady_clock::time_point expected;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const auto now = steady_clock::now();
        expected += 10ms;
        if (now - expected >= 10ms) expected += 10ms * ((now - expected) / 10ms);
        peer.push_back(duration<double, std::milli>(now - expected).count());
        if (previous != steady_clock::time_point())
            peerJitter.push_back(std::abs(duration<double, std::milli>(now - previous - 10ms).count()));
        previous = now;
        peerBand.tick(peerSink);
    });

    ticker.setTickSink(&sink);
    ticker.setActive(true);
    expected = steady_clock::now();
    timer.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    timer.stop();
    ticker.setActive(false);

    std::vector<double> oursCopy, oursJitterCopy;
    {
        std::lock_guard lock(samplesMutex);
        oursCopy = ours;
        oursJitterCopy = oursJitter;
    }
    const auto print = [&](const char* who, const Stats& late, const Stats& jitter) {
        std::printf("%-5s %-12s ticks %4zu  lateness p50 %6.3f p99 %6.3f max %6.3f ms  |period-10ms| p99 %6.3f ms\n",
                    phase, who, late.count, late.p50, late.p99, late.max, jitter.p99);
    };
    const Stats a = stats(oursCopy), aj = stats(oursJitterCopy), b = stats(peer), bj = stats(peerJitter);
    print("band thread", a, aj);
    print("QTimer loop", b, bj);
    std::printf("%-5s ratios band / QTimer: lateness p99 %.3f, period error p99 %.3f\n", phase,
                b.p99 > 0 ? a.p99 / b.p99 : 0.0, bj.p99 > 0 ? aj.p99 / bj.p99 : 0.0);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The band alone, the main thread asleep: CPU of the process per second.
void measureCpu(int seconds) {
    vz::SteadyClock clock;
    vz::ImageBandSink sink(kBand);
    vz::BandTicker ticker(clock);
    bench::setUpTicker(ticker);
    ticker.setTickSink(&sink);
    ticker.setActive(true);
    std::this_thread::sleep_for(500ms);  // picture built, caches warm
    const double cpu0 = cpuSeconds();
    const auto wall0 = steady_clock::now();
    const quint64 ticks0 = ticker.ticksRun();
    std::this_thread::sleep_for(seconds * 1s);
    const double cpu = cpuSeconds() - cpu0;
    const double wall = duration<double>(steady_clock::now() - wall0).count();
    const quint64 ticks = ticker.ticksRun() - ticks0;
    ticker.setActive(false);
    std::printf("engine at the defaults (Step 1, Interval 10, %d px): %.2f ms CPU per second, %.0f ticks/s\n",
                kBand.width(), 1000.0 * cpu / wall, double(ticks) / wall);
}

void BM_TickStrip(benchmark::State& state) {
    vz::BandState band;
    setUpBand(band);
    vz::ImageBandSink sink(kBand);
    for (auto _ : state) benchmark::DoNotOptimize(band.tick(sink));
}
BENCHMARK(BM_TickStrip);

// The peer: the same step, but the whole band repainted every tick.
class RepaintEverythingSink : public vz::ImageBandSink {
public:
    using ImageBandSink::ImageBandSink;
    bool hasPendingRepaint() const override { return true; }
};

void BM_TickFullRepaint(benchmark::State& state) {
    vz::BandState band;
    setUpBand(band);
    RepaintEverythingSink sink(kBand);
    for (auto _ : state) benchmark::DoNotOptimize(band.tick(sink));
}
BENCHMARK(BM_TickFullRepaint);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::vector<char*> rest;
    const int seconds = bench::takeSecondsOption(argc, argv, rest);
    int restCount = int(rest.size());
    QGuiApplication app(restCount, rest.data());

    measureLateness("idle", seconds);
    std::atomic<bool> hogging{true};
    std::thread hog([&] {
        unsigned long spin = 0;
        while (hogging.load(std::memory_order_relaxed)) benchmark::DoNotOptimize(++spin);
    });
    measureLateness("busy", seconds);
    hogging = false;
    hog.join();
    measureCpu(seconds);

    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
