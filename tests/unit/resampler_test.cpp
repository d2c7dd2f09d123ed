#include "core/scaling/resample_kernels.h"
#include "core/scaling/resampler.h"
#include "core/scaling/row_workers.h"
#include "reference/resample_reference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using vz::resample;
using vz::ResampleKernel;
using vz::ResampleScratch;

namespace {

QImage randomPicture(int w, int h, unsigned seed, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, format);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) row[x] = rng() | (format == QImage::Format_RGB32 ? 0xff000000u : 0u);
    }
    return image;
}

QImage grey(int w, int h, const std::vector<int>& values) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = values[size_t(y * w + x)];
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

std::vector<int> greyOf(const QImage& image) {
    std::vector<int> values;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            EXPECT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
            values.push_back(qBlue(p));
        }
    return values;
}

// Every kernel this processor runs, each once on one thread and once on all.
struct Variant {
    ResampleKernel kernel;
    bool threaded;
};

std::vector<Variant> variants() {
    std::vector<Variant> out;
    for (ResampleKernel k : {ResampleKernel::Portable, ResampleKernel::Sse2, ResampleKernel::Avx2})
        if (vz::resampleKernelSupported(k))
            for (bool threaded : {false, true}) out.push_back({k, threaded});
    return out;
}

std::string variantName(const ::testing::TestParamInfo<Variant>& info) {
    const char* names[] = {"Auto", "Portable", "Sse2", "Avx2"};
    return std::string(names[int(info.param.kernel)]) + (info.param.threaded ? "Threaded" : "Single");
}

class ResamplerTest : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        scratch.setKernel(GetParam().kernel);
        scratch.setThreaded(GetParam().threaded);
    }
    QImage scaled(const QImage& src, QSize size) {
        QImage dst;
        resample(src, dst, size, scratch);
        return dst;
    }
    ResampleScratch scratch;
    // Three workers, so that a threaded resample splits its rows on any machine.
    vz::RowWorkers workers{3};
    const vz::RowWorkers::Lend lend{&workers};
};

TEST_P(ResamplerTest, SameSizeCopiesPixelsUnchanged) {
    const QImage src = randomPicture(37, 23, 1);
    EXPECT_EQ(scaled(src, src.size()), src);
}

TEST_P(ResamplerTest, FlatPictureStaysFlatAtAnySize) {
    QImage src(61, 47, QImage::Format_RGB32);
    src.fill(qRgb(201, 13, 77));
    for (QSize size : {QSize(61, 47), QSize(200, 150), QSize(7, 5), QSize(1, 1), QSize(61, 3), QSize(400, 9)}) {
        const QImage out = scaled(src, size);
        ASSERT_EQ(out.size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                ASSERT_EQ(out.pixel(x, y), qRgb(201, 13, 77))
                    << size.width() << "x" << size.height() << " at " << x << "," << y;
    }
}

TEST_P(ResamplerTest, EnlargingTwoByTwoInterpolatesBilinearly) {
    // Destination centres fall at -0.25 (clamped to 0), 0.25, 0.75 and 1.25
    // (clamped to 1) source pixels on both axes.
    const QImage src = grey(2, 2, {0, 160, 80, 240});
    EXPECT_EQ(greyOf(scaled(src, {4, 4})), (std::vector<int>{0, 40, 120, 160,    //
                                                             20, 60, 140, 180,   //
                                                             60, 100, 180, 220,  //
                                                             80, 120, 200, 240}));
}

TEST_P(ResamplerTest, HalvingWeighsByTheTent) {
    // Radius 2 around centres 0.5, 2.5, 4.5, 6.5: weights .25 .75 .75 .25,
    // those outside the picture left out (so the edges divide by 1.75).
    const std::vector<int> line{0, 0, 160, 0, 0, 0, 0, 80};
    const std::vector<int> expected{23, 60, 0, 34};  // 40/1.75, 120/2, 0, 60/1.75
    EXPECT_EQ(greyOf(scaled(grey(8, 1, line), {4, 1})), expected);
    EXPECT_EQ(greyOf(scaled(grey(1, 8, line), {1, 4})), expected);
}

TEST_P(ResamplerTest, ShrinkingOneAxisWhileEnlargingTheOther) {
    // Horizontal: halving (tent radius 2); vertical: 1 -> 2 rows is a copy
    // of the only row.
    const std::vector<int> line{0, 0, 160, 0, 0, 0, 0, 80};
    EXPECT_EQ(greyOf(scaled(grey(8, 1, line), {4, 2})), (std::vector<int>{23, 60, 0, 34, 23, 60, 0, 34}));
}

TEST_P(ResamplerTest, AgreesWithTheExactFilterWithinOneLevel) {
    const QImage src = randomPicture(173, 91, 7);
    for (QSize size : {QSize(120, 64), QSize(300, 200), QSize(173, 40), QSize(50, 91), QSize(29, 17), QSize(400, 30),
                       QSize(11, 300), QSize(172, 92)}) {
        const QImage out = scaled(src, size);
        ASSERT_EQ(out.size(), size);
        EXPECT_LE(vzref::maxDifference(out, vzref::resampleExact(src, size.width(), size.height())), 1.0)
            << size.width() << "x" << size.height();
    }
}

TEST_P(ResamplerTest, PicturesLargeEnoughToSplitOverThreads) {
    const QImage src = randomPicture(700, 500, 9);
    for (QSize size : {QSize(300, 200), QSize(1000, 800), QSize(640, 520)}) {
        const QImage out = scaled(src, size);
        EXPECT_LE(vzref::maxDifference(out, vzref::resampleExact(src, size.width(), size.height())), 1.0)
            << size.width() << "x" << size.height();
    }
}

TEST_P(ResamplerTest, ExtremeSizesStayInBoundsAndCorrect) {
    const struct {
        QSize from, to;
    } cases[] = {
        {{1, 1}, {1000, 1}}, {{1, 1}, {1, 1000}}, {{1, 1}, {300, 200}},  {{3000, 2}, {3, 1}}, {{2, 3000}, {1, 3}},
        {{1000, 1}, {1, 1}}, {{1, 1000}, {1, 1}}, {{1, 57}, {9, 5}},     {{57, 1}, {5, 9}},   {{5, 3}, {2, 2}},
        {{3, 1}, {1, 1}},    {{7, 5}, {3, 11}},   {{2000, 3}, {2, 700}}, {{6, 2}, {1, 1}},    {{1013, 1}, {1, 1}},
    };
    for (const auto& c : cases) {
        const QImage src = randomPicture(c.from.width(), c.from.height(), 3);
        const QImage out = scaled(src, c.to);
        ASSERT_EQ(out.size(), c.to);
        EXPECT_LE(vzref::maxDifference(out, vzref::resampleExact(src, c.to.width(), c.to.height())), 1.0)
            << c.from.width() << "x" << c.from.height() << " -> " << c.to.width() << "x" << c.to.height();
    }
}

TEST_P(ResamplerTest, PartIsTheSameAsTheCorrespondingPartOfTheWhole) {
    const QImage src = randomPicture(120, 80, 11);
    for (QSize size : {QSize(300, 200), QSize(50, 30), QSize(120, 80)}) {
        const QImage whole = scaled(src, size);
        for (QRect part : {QRect(10, 5, 33, 17), QRect(-20, -20, 60, 60), QRect(size.width() - 7, 0, 50, 3)}) {
            QImage piece;
            resample(src, piece, size, part, scratch);
            const QRect clipped = part & QRect(QPoint(), size);
            EXPECT_EQ(piece, whole.copy(clipped))
                << size.width() << "x" << size.height() << " part " << part.x() << "," << part.y();
        }
    }
}

// A picture changed in one rectangle, brought up to date in a kept output
// by resampleChanged, equals a whole resample of the changed picture, bit for
// bit, for every kind of scale and for changes at the corners, the edges,
// of one pixel and of odd sizes, in a part of the output and in all of it.
TEST_P(ResamplerTest, ChangedRectanglesMatchAWholeResampleBitForBit) {
    const QSize from(157, 93);
    struct Scale {
        QSize size;
        QRect part;
    };
    const Scale scales[] = {
        {{104, 83}, {0, 0, 104, 83}},     // shrinking both ways (taps over several pixels)
        {{40, 23}, {0, 0, 40, 23}},       // shrinking a lot
        {{331, 197}, {0, 0, 331, 197}},   // enlarging (two taps)
        {{301, 61}, {0, 0, 301, 61}},     // enlarging one way, shrinking the other
        {{157, 93}, {0, 0, 157, 93}},     // 1:1
        {{157, 140}, {0, 0, 157, 140}},   // 1:1 across, enlarging down
        {{250, 150}, {13, 7, 201, 121}},  // a part of the output only
    };
    const QRect changes[] = {
        {0, 0, 1, 1},     {156, 92, 1, 1},   {0, 92, 1, 1},     {156, 0, 1, 1},    // corners
        {0, 40, 157, 3},  {70, 0, 5, 93},    {0, 0, 157, 1},    {155, 10, 2, 50},  // edges, rows, columns
        {77, 45, 1, 1},   {31, 17, 13, 29},  {100, 60, 57, 33},                    // inside, odd sizes
        {-5, -5, 20, 20}, {150, 90, 40, 40},                                       // partly outside the picture
    };
    const QImage before = randomPicture(from.width(), from.height(), 21);
    for (const Scale& scale : scales)
        for (const QRect& change : changes) {
            QImage kept;
            resample(before, kept, scale.size, scale.part, scratch);
            QImage after = before.copy();
            const QImage patch = randomPicture(change.width(), change.height(), 22);
            const QRect inside = change & after.rect();
            for (int y = inside.top(); y <= inside.bottom(); ++y)
                for (int x = inside.left(); x <= inside.right(); ++x)
                    after.setPixel(x, y, patch.pixel(x - change.x(), y - change.y()));
            const QRegion written = vz::resampleChanged(after, kept, scale.size, scale.part, change, scratch);
            QImage whole;
            resample(after, whole, scale.size, scale.part, scratch);
            const auto where = [&] {
                return std::to_string(scale.size.width()) + "x" + std::to_string(scale.size.height()) + " change " +
                       std::to_string(change.x()) + "," + std::to_string(change.y()) + " " +
                       std::to_string(change.width()) + "x" + std::to_string(change.height());
            };
            ASSERT_EQ(kept, whole) << where();
            // Only what the change reaches is written, and it is reported.
            EXPECT_EQ(written, vz::resampledRegion(from, scale.size, scale.part, change, scratch)) << where();
            if (scale.part == QRect(QPoint(), scale.size)) {
                EXPECT_FALSE(written.isEmpty()) << where();
            }
            EXPECT_LT(qint64(written.boundingRect().width()) * written.boundingRect().height(),
                      qint64(kept.width()) * kept.height())
                << where();
        }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ResamplerTest, ::testing::ValuesIn(variants()), variantName);

TEST(Resampler, ReusesTheOutputBufferFrameAfterFrame) {
    ResampleScratch scratch;
    QImage dst;
    resample(randomPicture(640, 480, 1), dst, {320, 200}, scratch);
    const uchar* buffer = dst.constBits();
    for (unsigned frame = 2; frame < 5; ++frame) {
        resample(randomPicture(640, 480, frame), dst, {320, 200}, scratch);
        EXPECT_EQ(dst.constBits(), buffer);
    }
}

TEST(Resampler, EmptyInputOrSizeGivesNullImage) {
    ResampleScratch scratch;
    QImage dst(5, 5, QImage::Format_RGB32);
    resample(QImage(), dst, {10, 10}, scratch);
    EXPECT_TRUE(dst.isNull());
    dst = QImage(5, 5, QImage::Format_RGB32);
    resample(randomPicture(4, 4, 1), dst, {0, 10}, scratch);
    EXPECT_TRUE(dst.isNull());
    resample(randomPicture(4, 4, 1), dst, {10, 10}, QRect(20, 20, 5, 5), scratch);
    EXPECT_TRUE(dst.isNull());
}

TEST(Resampler, KeepsAlphaFormatsAndConvertsOthers) {
    ResampleScratch scratch;
    QImage dst;
    QImage argb(4, 4, QImage::Format_ARGB32);
    argb.fill(qRgba(10, 20, 30, 40));
    resample(argb, dst, {2, 2}, scratch);
    EXPECT_EQ(dst.format(), QImage::Format_ARGB32);
    EXPECT_EQ(dst.pixel(1, 1), qRgba(10, 20, 30, 40));

    QImage rgb888(3, 3, QImage::Format_RGB888);
    rgb888.fill(qRgb(1, 2, 3));
    resample(rgb888, dst, {6, 6}, scratch);
    EXPECT_EQ(dst.format(), QImage::Format_RGB32);
    EXPECT_EQ(dst.pixel(5, 5), qRgb(1, 2, 3));
}

TEST(Resampler, ResamplingAPictureIntoItself) {
    ResampleScratch scratch;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(9, 8, 7));
    resample(image, image, {9, 2}, scratch);
    EXPECT_EQ(image.size(), QSize(9, 2));
    EXPECT_EQ(image.pixel(8, 1), qRgb(9, 8, 7));
}

TEST(Resampler, ChangeOnAnOutputThatCannotBeKeptResamplesTheWhole) {
    ResampleScratch scratch;
    const QImage src = randomPicture(40, 30, 5);
    QImage expected;
    resample(src, expected, {20, 15}, scratch);
    QImage dst(7, 7, QImage::Format_RGB32);  // not what the part needs
    EXPECT_EQ(vz::resampleChanged(src, dst, {20, 15}, QRect(0, 0, 20, 15), QRect(1, 1, 2, 2), scratch),
              QRegion(0, 0, 20, 15));
    EXPECT_EQ(dst, expected);
    QImage shared = expected;  // held elsewhere too: never written in place
    const QImage other = shared;
    vz::resampleChanged(src, shared, {20, 15}, QRect(0, 0, 20, 15), QRect(1, 1, 2, 2), scratch);
    EXPECT_EQ(shared, expected);
    EXPECT_NE(shared.constBits(), other.constBits());
}

TEST(Resampler, SourceSharedWithTheOutputIsLeftIntact) {
    ResampleScratch scratch;
    const QImage src = randomPicture(8, 8, 5);
    const QImage before = src.copy();
    QImage dst = src;  // shares the pixels
    resample(src, dst, {4, 4}, scratch);
    EXPECT_EQ(src, before);
}

}  // namespace
