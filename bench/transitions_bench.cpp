// Transition styles at 1920x1080: the time to compose one frame (copy of the
// old picture + the style's effect) at progress 25, 50 and 75, as a multiple
// of one memcpy of a 1920x1080x4 frame measured in the same run; then the
// pacing of the frame thread (lateness of frame starts against their
// deadlines over a 2 s transition at delay 80 while another thread is busy).
//
// Options: --rounds=N (repeats per style and progress, default 3),
//          --styles=A-B (default 1-176), --no-pacing,
//          --best (each frame's best time over the rounds instead of the
//          median: on a machine shared with other work, the best of many
//          rounds is the time the composition itself takes).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/scaling/row_workers.h"
#include "core/transitions/transition_engine.h"
#include "core/transitions/transition_styles.h"

using namespace vz::transitions;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kW = 1920, kH = 1080;

QImage testPicture(bool second) {
    QImage image(kW, kH, QImage::Format_RGB32);
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < kW; ++x)
            row[x] =
                second ? 0xff000000u | uint32_t((x * 255 / kW) << 16) | uint32_t(((x ^ y) & 0xff) << 8) | 0x40
                       : 0xff000000u | uint32_t(((y * 255 / kH)) << 8) | uint32_t((x / 40 + y / 40) % 2 ? 0xc0 : 0x20);
    }
    return image;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double memcpyMs(const QImage& from, QImage& to, int rounds) {
    std::vector<double> t;
    for (int i = 0; i < rounds; ++i) {
        const auto a = Clock::now();
        std::memcpy(to.bits(), from.constBits(), size_t(from.sizeInBytes()));
        t.push_back(ms(Clock::now() - a));
    }
    return median(t);
}

void pacing() {
    std::atomic<bool> busy{true};
    std::thread burner([&] {
        volatile uint64_t x = 0;
        while (busy.load(std::memory_order_relaxed)) x = x + 1;
    });
    TransitionEngine engine;
    engine.setDelay(80);
    engine.setStep(4);
    engine.setStyle(51);
    std::vector<double> lateness;
    std::mutex m;
    engine.setFrameStartObserver([&](SteadyTime deadline, SteadyTime started) {
        std::lock_guard lock(m);
        lateness.push_back(ms(started - deadline));
    });
    QObject::connect(&engine, &TransitionEngine::frameReady, [&] { (void)engine.currentFrame(); });
    const QImage a = testPicture(false), b = testPicture(true);
    const auto start = Clock::now();
    QEventLoop loop;
    QObject::connect(&engine, &TransitionEngine::stopped, &loop, &QEventLoop::quit);
    for (const QImage* picture : {&a, &b}) {
        engine.setPicture(*picture);
        engine.execute();
        if (engine.busy()) loop.exec();
    }
    const double total = ms(Clock::now() - start);
    busy = false;
    burner.join();
    std::lock_guard lock(m);
    std::vector<double> sorted = lateness;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(sorted.size() * 0.99))];
    std::printf("\npacing: 2 transitions of 25 frames at delay 80 (step 4), style 51, a busy thread beside\n");
    std::printf("  frames %zu, wall time %.0f ms (expected about 4000)\n", lateness.size(), total);
    std::printf("  frame start lateness: median %.3f ms, p99 %.3f ms, max %.3f ms (goal p99 <= 2 ms)\n",
                median(lateness), p99, sorted.empty() ? 0 : sorted.back());
}

}  // namespace

int main(int argc, char** argv) {
    // The row workers the program lends its picture work (row_workers.h).
    vz::RowWorkers rowWorkers;
    const vz::RowWorkers::Lend lend(&rowWorkers);
    QCoreApplication app(argc, argv);
    int rounds = 3, first = 1, last = kStyleCount;
    bool withPacing = true;
    bool best = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--rounds=", 0) == 0)
            rounds = std::max(1, std::stoi(arg.substr(9)));
        else if (arg.rfind("--styles=", 0) == 0)
            std::sscanf(arg.c_str() + 9, "%d-%d", &first, &last);
        else if (arg == "--no-pacing")
            withPacing = false;
        else if (arg == "--best")
            best = true;
    }
    first = std::clamp(first, 1, kStyleCount);
    last = std::clamp(last, first, kStyleCount);

    const QImage oldPicture = testPicture(false), newPicture = testPicture(true);
    QImage frame(kW, kH, QImage::Format_RGB32);
    memcpyMs(oldPicture, frame, 5);  // warm up
    const double copy = memcpyMs(oldPicture, frame, 21);
    std::printf("one memcpy of %dx%dx4: %.3f ms\n\n", kW, kH, copy);
    std::printf("%4s  %-58s %8s %8s %8s %8s %9s\n", "no", "style", "p25 ms", "p50 ms", "p75 ms", "worst", "x memcpy");

    RandomGenerator random{12345};
    struct Result {
        int style;
        double worst;
    };
    std::vector<Result> results;
    for (int style = first; style <= last; ++style) {
        double at[3];
        int k = 0;
        for (int p : {25, 50, 75}) {
            std::vector<double> t;
            for (int r = 0; r < rounds; ++r) {
                const auto a = Clock::now();
                std::memcpy(frame.bits(), oldPicture.constBits(), size_t(oldPicture.sizeInBytes()));
                paintStyle(style, pixelsOf(frame), pixelsOf(newPicture), p, 777, random);
                t.push_back(ms(Clock::now() - a));
            }
            at[k++] = best ? *std::min_element(t.begin(), t.end()) : median(t);
        }
        const double worst = std::max({at[0], at[1], at[2]});
        results.push_back({style, worst});
        std::printf("%4d  %-58s %8.2f %8.2f %8.2f %8.2f %8.2fx\n", style, qPrintable(styleName(style)), at[0], at[1],
                    at[2], worst, worst / copy);
    }
    std::vector<double> worsts;
    for (const Result& r : results) worsts.push_back(r.worst);
    std::printf("\nmedian style (worst of its three frames): %.2f ms = %.2fx memcpy\n", median(worsts),
                median(worsts) / copy);
    std::sort(results.begin(), results.end(), [](const Result& a, const Result& b) { return a.worst > b.worst; });
    std::printf("slowest five:\n");
    for (size_t i = 0; i < std::min<size_t>(5, results.size()); ++i)
        std::printf("  %3d %-58s %7.2f ms = %.2fx memcpy\n", results[i].style, qPrintable(styleName(results[i].style)),
                    results[i].worst, results[i].worst / copy);
    int over = 0;
    for (const Result& r : results)
        if (r.worst > 8.0) ++over;
    std::printf("styles over 8 ms: %d\n", over);
    for (const Result& r : results)
        if (r.worst > 8.0) std::printf("  %3d %s %.2f ms\n", r.style, qPrintable(styleName(r.style)), r.worst);

    if (withPacing) pacing();
    return 0;
}
