// Screen capture speed: our MIT-SHM capture of the primary monitor against
// Qt's QScreen::grabWindow of the same area and against a plain memcpy of a
// frame of that size, measured in one run, then printed as ratios (goals:
// grabWindow / ours >= 10, ours / memcpy <= 3). Needs an X display with a
// 1920x1080 primary monitor (scripts/bench-capture starts one).

#include "platform/x11/x11_platform.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const QRect kFrame(0, 0, 1920, 1080);
vz::ScreenCapture* screenCapture = nullptr;

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kFrame.width() * kFrame.height() * 4);
}

void BM_OurCapture(benchmark::State& state) {
    QImage frame;
    for (auto _ : state) {
        if (!screenCapture->captureScreen(kFrame, frame)) {
            state.SkipWithError("captureScreen failed");
            break;
        }
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetLabel(screenCapture->usesSharedMemory() ? "MIT-SHM" : "XGetImage");
    setBytes(state);
}

void BM_QtGrabWindow(benchmark::State& state) {
    QScreen* screen = QGuiApplication::primaryScreen();
    for (auto _ : state) {
        QPixmap pixmap = screen->grabWindow(0, kFrame.x(), kFrame.y(), kFrame.width(), kFrame.height());
        if (pixmap.isNull()) {
            state.SkipWithError("grabWindow returned nothing");
            break;
        }
        benchmark::DoNotOptimize(pixmap);
    }
    setBytes(state);
}

void BM_Memcpy(benchmark::State& state) {
    const std::size_t bytes = std::size_t(kFrame.width()) * std::size_t(kFrame.height()) * 4;
    std::vector<char> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

BENCHMARK(BM_OurCapture)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtGrabWindow)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Memcpy)->UseRealTime()->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per frame (the median when repeated).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && !medians_.count(name))
                perFrame[name] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                perFrame[name] = run.GetAdjustedRealTime();
                medians_[name] = true;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> perFrame;  // microseconds

private:
    std::map<std::string, bool> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QString error;
    vz::Platform platform = vz::makeX11Platform(&error);
    if (!platform.screen) {
        std::fprintf(stderr, "capture_bench: %s\n", qPrintable(error));
        return 1;
    }
    const QRect primary = platform.monitors->primary();
    if (!primary.contains(kFrame))
        std::fprintf(stderr, "capture_bench: the primary monitor (%dx%d) is smaller than 1920x1080\n", primary.width(),
                     primary.height());
    screenCapture = platform.screen.get();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto& t = reporter.perFrame;
    const auto has = [&](const char* name) { return t.count(name) && t.at(name) > 0; };
    if (has("BM_OurCapture") && has("BM_QtGrabWindow"))
        std::printf("grabWindow / ours = %.1f  (goal >= 10)\n", t.at("BM_QtGrabWindow") / t.at("BM_OurCapture"));
    if (has("BM_OurCapture") && has("BM_Memcpy"))
        std::printf("ours / memcpy     = %.2f  (goal <= 3)\n", t.at("BM_OurCapture") / t.at("BM_Memcpy"));
    return 0;
}
