#pragma once
// The resampler's filter computed the slow, exact way, in double precision,
// for checking the product's fixed-point resampler in tests and benchmarks.
//
// Per axis, n source pixels to m destination pixels; source pixel j is
// centred at j, destination pixel i at c = (i + 0.5) * n / m - 0.5:
//   m >= n: weights 1 - |j - c| for the two pixels around c clamped to
//           [0, n - 1] (linear interpolation; pixel i itself when m == n);
//   m <  n: weights max(0, 1 - |j - c| / r) with r = n / m over the pixels
//           of the picture, normalised to sum 1.
// Horizontal first, then vertical, no rounding in between.

#include <QImage>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vzref {

struct Tap {
    int index;
    double weight;
};

inline std::vector<Tap> axisTaps(int n, int m, int i) {
    std::vector<Tap> taps;
    const double r = double(n) / double(m);
    const double c = (i + 0.5) * r - 0.5;
    if (m >= n) {
        const double cc = std::clamp(c, 0.0, double(n - 1));
        for (int j = 0; j < n; ++j) {
            const double w = 1.0 - std::abs(j - cc);
            if (w > 0.0) taps.push_back({j, w});
        }
    } else {
        for (int j = 0; j < n; ++j) {
            const double w = 1.0 - std::abs(j - c) / r;
            if (w > 0.0) taps.push_back({j, w});
        }
    }
    double sum = 0.0;
    for (const Tap& t : taps) sum += t.weight;
    for (Tap& t : taps) t.weight /= sum;
    return taps;
}

// The exact result: width * height * 4 channel values in the order of the
// pixel's bytes from the low end (blue, green, red, alpha).
inline std::vector<double> resampleExact(const QImage& src, int width, int height) {
    const QImage s = src.convertToFormat(QImage::Format_ARGB32);
    const int n = s.width(), nh = s.height();
    std::vector<double> mid(size_t(width) * size_t(nh) * 4, 0.0);
    for (int x = 0; x < width; ++x) {
        const std::vector<Tap> taps = axisTaps(n, width, x);
        for (int y = 0; y < nh; ++y) {
            const auto* row = reinterpret_cast<const quint32*>(s.constScanLine(y));
            for (const Tap& t : taps)
                for (int c = 0; c < 4; ++c)
                    mid[(size_t(y) * width + x) * 4 + c] += t.weight * double((row[t.index] >> (8 * c)) & 255);
        }
    }
    std::vector<double> out(size_t(width) * size_t(height) * 4, 0.0);
    for (int y = 0; y < height; ++y) {
        const std::vector<Tap> taps = axisTaps(nh, height, y);
        for (const Tap& t : taps)
            for (int x = 0; x < width * 4; ++x)
                out[size_t(y) * width * 4 + x] += t.weight * mid[size_t(t.index) * width * 4 + x];
    }
    return out;
}

// Largest difference, in levels, between a 32-bit picture and exact values.
inline double maxDifference(const QImage& image, const std::vector<double>& exact) {
    double worst = 0.0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 4; ++c) {
                const double v = double((row[x] >> (8 * c)) & 255);
                worst = std::max(worst, std::abs(v - exact[(size_t(y) * image.width() + x) * 4 + c]));
            }
    }
    return worst;
}

// Peak signal-to-noise ratio over the colour channels, in dB.
inline double psnr(const QImage& image, const std::vector<double>& exact) {
    double sum = 0.0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const double e = double((row[x] >> (8 * c)) & 255) - exact[(size_t(y) * image.width() + x) * 4 + c];
                sum += e * e;
            }
    }
    const double mse = sum / (double(image.width()) * image.height() * 3);
    return mse == 0.0 ? 999.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace vzref
