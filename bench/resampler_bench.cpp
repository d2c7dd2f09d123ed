// Our resampler against QImage::scaled(..., Qt::SmoothTransformation) on the
// same photo-like 32-bit pictures, in one run. Each pair is measured in
// alternating rounds (ours, Qt, ours, Qt, ...) and the best time of each is
// kept, so that load from other processes hits both alike. Prints, per case,
// the time ratio ours / Qt (goal <= 1.0) and the PSNR of our output against
// the exact double-precision filter (goal >= 50 dB).
//
// Usage: resampler_bench [--rounds=N] [Google Benchmark flags]

#include "core/scaling/resampler.h"
#include "core/scaling/row_workers.h"
#include "reference/resample_reference.h"

#include <benchmark/benchmark.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

struct Case {
    QSize from, to;
    std::string name() const {
        return std::to_string(from.width()) + "x" + std::to_string(from.height()) + "->" + std::to_string(to.width()) +
               "x" + std::to_string(to.height());
    }
};

const std::vector<Case> kCases = {
    {{1920, 1080}, {1280, 1024}},
    {{1280, 1024}, {1920, 1080}},
    {{3840, 2160}, {1920, 1080}},
    {{1920, 1080}, {284, 160}},
};

// Smooth gradients, a few hard-edged shapes, fine texture and noise: the
// mix a desktop screenshot or a photo has.
QImage photoLike(QSize size, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 6.0);
    const int w = size.width(), h = size.height();
    struct Shape {
        double cx, cy, r;
        int rgb[3];
        bool disc;
    };
    std::vector<Shape> shapes;
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 12; ++i)
        shapes.push_back({unit(rng) * w,
                          unit(rng) * h,
                          (0.03 + 0.12 * unit(rng)) * std::min(w, h),
                          {int(unit(rng) * 255), int(unit(rng) * 255), int(unit(rng) * 255)},
                          i % 2 == 0});
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double u = double(x) / w, v = double(y) / h;
            double c[3] = {40 + 170 * u, 60 + 120 * v + 40 * std::sin(9 * u), 200 - 150 * u * v};
            if (((x / 3) + (y / 3)) % 7 == 0) c[1] += 25;  // fine texture
            for (const Shape& s : shapes) {
                const double dx = x - s.cx, dy = y - s.cy;
                const bool inside =
                    s.disc ? dx * dx + dy * dy < s.r * s.r : std::abs(dx) < s.r && std::abs(dy) < s.r * 0.6;
                if (inside)
                    for (int k = 0; k < 3; ++k) c[k] = s.rgb[k];
            }
            int out[3];
            for (int k = 0; k < 3; ++k) out[k] = std::clamp(int(std::lround(c[k] + noise(rng))), 0, 255);
            row[x] = qRgb(out[0], out[1], out[2]);
        }
    }
    return image;
}

struct Fixture {
    std::vector<QImage> sources;
    vz::ResampleScratch scratch;
    QImage ours;
};

Fixture& fixture() {
    static Fixture f;
    if (f.sources.empty())
        for (size_t i = 0; i < kCases.size(); ++i) f.sources.push_back(photoLike(kCases[i].from, unsigned(i + 1)));
    return f;
}

void runOurs(benchmark::State& state, size_t index) {
    Fixture& f = fixture();
    for (auto _ : state) {
        vz::resample(f.sources[index], f.ours, kCases[index].to, f.scratch);
        benchmark::DoNotOptimize(f.ours.constBits());
    }
}

void runQt(benchmark::State& state, size_t index) {
    const QImage& src = fixture().sources[index];
    const QSize to = kCases[index].to;
    for (auto _ : state) {
        QImage out = src.scaled(to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        benchmark::DoNotOptimize(out.constBits());
    }
}

// Keeps the best time per benchmark name, rounds folded together.
class BestTimes : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            std::string name = run.benchmark_name();
            name = name.substr(0, name.find("/round:"));
            const double t = run.GetAdjustedRealTime();
            auto [it, added] = best.emplace(name, t);
            if (!added) it->second = std::min(it->second, t);
        }
    }
    std::map<std::string, double> best;
};

}  // namespace

int main(int argc, char** argv) {
    // The row workers the program lends its picture work (row_workers.h).
    vz::RowWorkers rowWorkers;
    const vz::RowWorkers::Lend lend(&rowWorkers);
    int rounds = 3;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            rounds = std::max(1, std::atoi(argv[i] + 9));
        else
            args.push_back(argv[i]);
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());

    fixture();
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < kCases.size(); ++i) {
            const std::string suffix = kCases[i].name() + "/round:" + std::to_string(round);
            benchmark::RegisterBenchmark(("ours/" + suffix).c_str(), runOurs, i)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.3);
            benchmark::RegisterBenchmark(("qt/" + suffix).c_str(), runQt, i)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.3);
        }
    BestTimes reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-24s %10s %10s %8s %10s %12s\n", "case", "ours ms", "Qt ms", "ratio", "PSNR dB", "Qt PSNR dB");
    bool met = true;
    Fixture& f = fixture();
    for (size_t i = 0; i < kCases.size(); ++i) {
        const Case& c = kCases[i];
        const auto ours = reporter.best.find("ours/" + c.name());
        const auto qt = reporter.best.find("qt/" + c.name());
        if (ours == reporter.best.end() || qt == reporter.best.end()) continue;  // filtered out
        const std::vector<double> exact = vzref::resampleExact(f.sources[i], c.to.width(), c.to.height());
        vz::resample(f.sources[i], f.ours, c.to, f.scratch);
        const double ourPsnr = vzref::psnr(f.ours, exact);
        const double qtPsnr =
            vzref::psnr(f.sources[i].scaled(c.to, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), exact);
        const double ratio = ours->second / qt->second;
        met = met && ratio <= 1.0 && ourPsnr >= 50.0;
        std::printf("%-24s %10.3f %10.3f %8.2f %10.1f %12.1f\n", c.name().c_str(), ours->second, qt->second, ratio,
                    ourPsnr, qtPsnr);
    }
    std::printf("goals (ratio <= 1.0, PSNR >= 50 dB): %s\n", met ? "met" : "MISSED");
    benchmark::Shutdown();
    return 0;
}
