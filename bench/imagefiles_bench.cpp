// The capture-file writers against their peers, measured in the same run on
// a 1920x1080 desktop-like frame and a downscaled photo-like picture:
//   PNG  ours (saveImageFile) / QImage::save as PNG   goal <= 0.35, size <= 1.35x Qt's file
//   JPEG ours (saveImageFile) / a bare libjpeg-turbo encode of the same frame to a file   goal <= 1.05
//   BMP  ours (saveImageFile) / memcpy of the frame plus writing it to a file             goal <= 2.0
// Every contender writes a real file into the same folder (by default
// /dev/shm, so that the disk's speed does not decide). Ours includes the
// temporary file, the flush to disk and the rename. The contenders run in
// alternating rounds and the best time of each is kept, so that load from
// other processes hits all alike; the order is shuffled each round.
//
// Usage: imagefiles_bench [--rounds=N] [--dir=FOLDER]

#include "core/imagefiles/image_writers.h"

#include <benchmark/benchmark.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// A desktop: wallpaper gradient, windows with title bars and text, a panel,
// icons, and one window showing a picture.
QImage desktopFrame(const QImage& photo) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient wallpaper(0, 0, kWidth, kHeight);
    wallpaper.setColorAt(0, QColor(32, 74, 135));
    wallpaper.setColorAt(1, QColor(114, 159, 207));
    p.fillRect(image.rect(), wallpaper);
    for (int i = 0; i < 8; ++i) {
        p.fillRect(QRect(24, 24 + i * 90, 48, 48), QColor::fromHsv(i * 40, 160, 220));
        p.setPen(Qt::white);
        p.drawText(QRect(8, 76 + i * 90, 80, 20), Qt::AlignCenter, QStringLiteral("Item %1").arg(i));
    }
    std::mt19937 rng(3);
    const QRect windows[] = {{160, 60, 900, 640}, {700, 300, 1000, 620}, {300, 520, 700, 480}};
    for (int w = 0; w < 3; ++w) {
        const QRect r = windows[w];
        p.fillRect(r.adjusted(4, 4, 4, 4), QColor(0, 0, 0, 60));
        p.fillRect(r, QColor(246, 245, 244));
        p.fillRect(QRect(r.left(), r.top(), r.width(), 32), QColor(222, 221, 218));
        p.setPen(Qt::black);
        p.drawText(QRect(r.left() + 12, r.top(), r.width(), 32), Qt::AlignVCenter,
                   QStringLiteral("Document %1 - Editor").arg(w + 1));
        if (w == 1) {
            p.drawImage(r.adjusted(10, 42, -10, -10), photo);
            continue;
        }
        for (int line = 0; line * 18 + 50 < r.height() - 10; ++line) {
            std::string text;
            const int words = 4 + int(rng() % 12);
            for (int k = 0; k < words; ++k) text += std::string(1 + rng() % 9, char('a' + rng() % 26)) + " ";
            p.drawText(QPoint(r.left() + 14, r.top() + 50 + line * 18), QString::fromStdString(text));
        }
    }
    p.fillRect(QRect(0, kHeight - 40, kWidth, 40), QColor(40, 40, 40));
    for (int i = 0; i < 10; ++i) p.fillRect(QRect(8 + i * 44, kHeight - 34, 28, 28), QColor::fromHsv(i * 30, 200, 230));
    p.setPen(Qt::white);
    p.drawText(QRect(kWidth - 120, kHeight - 40, 110, 40), Qt::AlignCenter, QStringLiteral("14:07"));
    return image;
}

// A photo-like picture: several octaves of smooth random texture in each
// channel, soft shapes and sensor noise, made at twice the size and scaled
// down as a photo on screen would be.
QImage downscaledPhoto() {
    const int w = kWidth * 2, h = kHeight * 2;
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    std::vector<float> channel[3];
    for (auto& c : channel) c.assign(size_t(w) * h, 0.f);
    float amplitude = 90.f;
    for (int cell = 512; cell >= 4; cell /= 2, amplitude *= 0.62f) {
        const int gw = w / cell + 2, gh = h / cell + 2;
        for (auto& c : channel) {
            std::vector<float> grid(size_t(gw) * gh);
            for (float& g : grid) g = unit(rng) - 0.5f;
            for (int y = 0; y < h; ++y) {
                const float fy = float(y) / cell;
                const int gy = int(fy);
                const float ty = fy - gy;
                for (int x = 0; x < w; ++x) {
                    const float fx = float(x) / cell;
                    const int gx = int(fx);
                    const float tx = fx - gx;
                    const float* g0 = &grid[size_t(gy) * gw + gx];
                    const float* g1 = g0 + gw;
                    const float v = (g0[0] * (1 - tx) + g0[1] * tx) * (1 - ty) + (g1[0] * (1 - tx) + g1[1] * tx) * ty;
                    c[size_t(y) * w + x] += amplitude * v;
                }
            }
        }
    }
    QImage image(w, h, QImage::Format_RGB32);
    std::normal_distribution<float> noise(0.f, 3.f);
    const float base[3] = {120.f, 110.f, 95.f};
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int v[3];
            for (int k = 0; k < 3; ++k)
                v[k] = std::clamp(int(std::lround(base[k] + channel[k][size_t(y) * w + x] + noise(rng))), 0, 255);
            row[x] = qRgb(v[0], v[1], v[2]);
        }
    }
    return image.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// ---- Peers ------------------------------------------------------------------

struct BareJpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// libjpeg-turbo with nothing around it: the frame's rows as they are, the
// library's defaults at quality 90, the library's own stdio destination.
bool bareJpeg(const QImage& frame, const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    BareJpegError error;
    jpeg_compress_struct cinfo{};
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<BareJpegError*>(c->err)->jump, 1); };
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = JDIMENSION(frame.width());
    cinfo.image_height = JDIMENSION(frame.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(frame.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

// The least any bitmap writer must do: copy the frame once and write it.
bool copyAndWrite(const QImage& frame, std::vector<uchar>& buffer, const std::string& path) {
    std::memcpy(buffer.data(), frame.constBits(), buffer.size());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::write(fd, buffer.data() + done, buffer.size() - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    return ::close(fd) == 0 && done == buffer.size();
}

// ---- Timing -----------------------------------------------------------------

struct Contender {
    std::string name;
    std::function<bool()> run;
    int repeats;          // runs a round: more for the quick ones, whose best time is the noisier
    double best = 1e300;  // milliseconds
};

double millisecondsOf(const std::function<bool()>& run) {
    const auto start = std::chrono::steady_clock::now();
    if (!run()) {
        std::fprintf(stderr, "a write failed\n");
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

qint64 fileSize(const std::string& path) { return QFileInfo(QString::fromStdString(path)).size(); }

}  // namespace

int main(int argc, char** argv) {
    int rounds = 15;
    QString folder = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QString();
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0) rounds = std::max(1, std::atoi(argv[i] + 9));
        if (std::strncmp(argv[i], "--dir=", 6) == 0) folder = QString::fromLocal8Bit(argv[i] + 6);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // fonts for the desktop frame's text
    QTemporaryDir dir(folder.isEmpty() ? QString() : folder + QStringLiteral("/imagefiles-bench-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a folder to write into\n");
        return 1;
    }
    const auto file = [&](const char* name) { return dir.filePath(QString::fromLatin1(name)).toStdString(); };

    std::printf("making the pictures...\n");
    const QImage photo = downscaledPhoto();
    const QImage frames[] = {desktopFrame(photo.scaled(980, 568)), photo};
    const char* frameNames[] = {"desktop frame", "downscaled photo"};
    std::vector<uchar> buffer(size_t(frames[0].sizeInBytes()));

    std::printf("writing into %s, %d rounds, best time of each\n\n", qPrintable(dir.path()), rounds);
    std::printf("%-18s %-5s %10s %10s %7s %6s %12s %12s %6s\n", "picture", "kind", "ours ms", "peer ms", "ratio",
                "goal", "ours bytes", "peer bytes", "size");
    bool met = true;
    for (int f = 0; f < 2; ++f) {
        const QImage& frame = frames[f];
        const auto ours = [&](vz::ImageFileType type, const char* name) {
            return [&frame, type, path = QString::fromStdString(file(name))] {
                return vz::saveImageFile(frame, type, path);
            };
        };
        std::vector<Contender> all = {
            {"png ours", ours(vz::ImageFileType::Png, "ours.png"), 1},
            {"png qt", [&] { return frame.save(QString::fromStdString(file("qt.png")), "PNG"); }, 1},
            {"jpg ours", ours(vz::ImageFileType::Jpeg, "ours.jpg"), 5},
            {"jpg bare", [&] { return bareJpeg(frame, file("bare.jpg")); }, 5},
            {"bmp ours", ours(vz::ImageFileType::Bmp, "ours.bmp"), 5},
            {"bmp copy", [&] { return copyAndWrite(frame, buffer, file("copy.raw")); }, 5},
        };
        // A fresh order each round: whoever runs right after another picks up
        // its warm or cold caches, and no contender should always be second.
        std::vector<size_t> order(all.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::mt19937 shuffler(unsigned(f + 1));
        for (int round = 0; round < rounds; ++round) {
            std::shuffle(order.begin(), order.end(), shuffler);
            for (size_t i : order)
                for (int k = 0; k < all[i].repeats; ++k)
                    all[i].best = std::min(all[i].best, millisecondsOf(all[i].run));
        }

        struct Goal {
            const char* kind;
            size_t ours, peer;
            double maxRatio;
            const char *oursFile, *peerFile;
            double maxSize;  // 0: size not compared
        };
        const Goal goals[] = {
            {"PNG", 0, 1, 0.35, "ours.png", "qt.png", 1.35},
            {"JPEG", 2, 3, 1.05, "ours.jpg", "bare.jpg", 0},
            {"BMP", 4, 5, 2.0, "ours.bmp", "copy.raw", 0},
        };
        for (const Goal& g : goals) {
            const double ratio = all[g.ours].best / all[g.peer].best;
            const qint64 oursBytes = fileSize(file(g.oursFile)), peerBytes = fileSize(file(g.peerFile));
            const double sizeRatio = double(oursBytes) / double(peerBytes);
            const bool ok = ratio <= g.maxRatio && (g.maxSize == 0 || sizeRatio <= g.maxSize);
            met = met && ok;
            std::printf("%-18s %-5s %10.2f %10.2f %7.3f %6.2f %12lld %12lld %6.3f%s\n", frameNames[f], g.kind,
                        all[g.ours].best, all[g.peer].best, ratio, g.maxRatio, (long long)oursBytes,
                        (long long)peerBytes, sizeRatio, ok ? "" : "  MISSED");
        }
    }
    std::printf("\ngoals (PNG <= 0.35x Qt at <= 1.35x its size, JPEG <= 1.05x bare, BMP <= 2x copy+write): %s\n",
                met ? "met" : "MISSED");
    benchmark::DoNotOptimize(buffer.data());
    return 0;
}
