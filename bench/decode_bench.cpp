// Picture decoding for the slideshow against its peers, measured in one run:
//   jpeg-fit: a 24-megapixel JPEG shown on a 1280x1024 monitor, ours (DCT
//     scaling + our resampler) against Qt's reader asked for the same size;
//   jpeg-full: the same JPEG at full size, ours against bare libjpeg-turbo
//     decoding straight into 32-bit rows (goal: ratio <= 1.1);
//   png-1080p: a 1920x1080 PNG, ours against Qt's reader (goal: ratio <= 1.0).
// Ours and the peer alternate round by round; the best time of each is kept,
// so load from other processes hits both alike.
//
// Usage: decode_bench [--rounds=N] [Google Benchmark flags]

#include "bench_photo.h"
#include "core/scaling/row_workers.h"
#include "core/slideshow/picture_decoder.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include <jpeglib.h>

namespace {

using vz::slideshow::FileKind;

using bench::encode;
using bench::photo;

struct Files {
    QByteArray jpeg24mp, png1080p;
};

const Files& files() {
    static const Files f = [] {
        Files out;
        out.jpeg24mp = encode(photo(QSize(6000, 4000), 1), "JPG", 90);
        out.png1080p = encode(photo(QSize(1920, 1080), 2), "PNG", -1);
        return out;
    }();
    return f;
}

const QSize kMonitor(1280, 1024);

QImage qtRead(const QByteArray& bytes, const char* format, QSize scaled) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(0);
    if (scaled.isValid()) reader.setScaledSize(scaled);
    return reader.read();
}

// libjpeg-turbo with nothing around it: 32-bit rows at the DCT scale
// eighths/8 (8: the whole picture), nothing resampled.
QImage bareJpeg(const QByteArray& bytes, int eighths = 8) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = unsigned(eighths);
    cinfo.scale_denom = 8;
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    QImage image(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

struct Case {
    const char* name;
    const char* peer;
    double goal;  // 0: no goal, shown for information
    QImage (*ours)();
    QImage (*theirs)();
};

const Case kCases[] = {
    {"jpeg-fit 6000x4000->1280x1024", "Qt reader", 0,
     [] { return vz::slideshow::decodePictureData(files().jpeg24mp, FileKind::Jpeg, kMonitor, "b").image; },
     [] { return qtRead(files().jpeg24mp, "jpeg", vz::slideshow::fittedSize(QSize(6000, 4000), kMonitor)); }},
    // The scale our decoder picks for the monitor, decoded bare: what is left
    // for us is the resampling to the exact size.
    {"jpeg-fit 6000x4000->1280x1024", "libjpeg-turbo, same scale", 1.05,
     [] { return vz::slideshow::decodePictureData(files().jpeg24mp, FileKind::Jpeg, kMonitor, "b").image; },
     [] {
         const QSize full(6000, 4000);
         return bareJpeg(files().jpeg24mp,
                         vz::slideshow::jpegScaleEighths(full, vz::slideshow::fittedSize(full, kMonitor)));
     }},
    {"jpeg-full 6000x4000", "libjpeg-turbo", 1.1,
     [] { return vz::slideshow::decodePictureData(files().jpeg24mp, FileKind::Jpeg, QSize(), "b").image; },
     [] { return bareJpeg(files().jpeg24mp); }},
    {"jpeg-full 6000x4000", "Qt reader", 0,
     [] { return vz::slideshow::decodePictureData(files().jpeg24mp, FileKind::Jpeg, QSize(), "b").image; },
     [] { return qtRead(files().jpeg24mp, "jpeg", QSize()); }},
    {"png 1920x1080", "Qt reader", 1.0,
     [] { return vz::slideshow::decodePictureData(files().png1080p, FileKind::Png, QSize(), "b").image; },
     [] { return qtRead(files().png1080p, "png", QSize()); }},
};

void measure(benchmark::State& state, QImage (*decode)()) {
    for (auto _ : state) {
        QImage image = decode();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The fastest time seen per benchmark name, rounds folded together.
class FastestRuns : public benchmark::ConsoleReporter {
public:
    FastestRuns() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> fastest;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const std::string full = run.benchmark_name();
            const std::string key = full.substr(0, full.rfind('#'));
            const double ms = run.GetAdjustedRealTime();
            const auto found = fastest.find(key);
            if (found == fastest.end() || ms < found->second) fastest[key] = ms;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    // The row workers the program lends its picture work (row_workers.h).
    vz::RowWorkers rowWorkers;
    const vz::RowWorkers::Lend lend(&rowWorkers);
    int rounds = 3;
    std::vector<char*> passOn;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            rounds = std::max(1, std::atoi(argv[i] + 9));
        else
            passOn.push_back(argv[i]);
    }
    int passCount = int(passOn.size());
    benchmark::Initialize(&passCount, passOn.data());
    files();
    for (const Case& c : kCases) {
        const QImage a = c.ours(), b = c.theirs();
        std::printf("%-32s ours %dx%d, %s %dx%d\n", c.name, a.width(), a.height(), c.peer, b.width(), b.height());
    }
    for (int round = 0; round < rounds; ++round)
        for (const Case& c : kCases) {
            const std::string base = std::string(c.name) + " vs " + c.peer;
            // Appended rather than `"#" + std::to_string(round)`: GCC 12 at -O3
            // reports a false overlap (-Wrestrict) in that operator+.
            std::string tag = "#";
            tag += std::to_string(round);
            benchmark::RegisterBenchmark(("ours: " + base + tag).c_str(), measure, c.ours)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
            benchmark::RegisterBenchmark(("peer: " + base + tag).c_str(), measure, c.theirs)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond)
                ->MinTime(0.5);
        }
    FastestRuns reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\n%-58s %10s %10s %7s %6s\n", "case", "ours ms", "peer ms", "ratio", "goal");
    bool met = true;
    for (const Case& c : kCases) {
        const std::string base = std::string(c.name) + " vs " + c.peer;
        const auto ours = reporter.fastest.find("ours: " + base), peer = reporter.fastest.find("peer: " + base);
        if (ours == reporter.fastest.end() || peer == reporter.fastest.end()) continue;
        const double ratio = ours->second / peer->second;
        char goal[16] = "-";
        if (c.goal > 0) {
            std::snprintf(goal, sizeof goal, "<=%.2f", c.goal);
            met = met && ratio <= c.goal;
        }
        std::printf("%-58s %10.2f %10.2f %7.2f %6s\n", base.c_str(), ours->second, peer->second, ratio, goal);
    }
    std::printf("goals: %s\n", met ? "met" : "MISSED");
    benchmark::Shutdown();
    return 0;
}
