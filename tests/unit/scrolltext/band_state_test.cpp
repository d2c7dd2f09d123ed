#include "core/scrolltext/band_state.h"

#include "fake_picture.h"

#include <gtest/gtest.h>

#include <vector>

namespace vz {
namespace {

using test::fakePictures;

BandState makeBand(QSize size, const QStringList& items, int loopSpacing = 1, int spacing = 100) {
    BandState band(fakePictures());
    band.setSize(size);
    band.setLoopSpacing(loopSpacing);
    band.setSpacing(spacing);
    for (const QString& item : items) band.addItem(item);
    band.setActive(true);
    return band;
}

class CountingSink : public ImageBandSink {
public:
    using ImageBandSink::ImageBandSink;
    bool pending = false;
    int scrolled = 0, filledWidth = 0, blitWidth = 0;
    bool hasPendingRepaint() const override { return pending; }
    void scrollLeft(int dx) override {
        scrolled += dx;
        ImageBandSink::scrollLeft(dx);
    }
    void fill(const QRect& r, const QColor& c) override {
        filledWidth += r.width();
        ImageBandSink::fill(r, c);
    }
    void blit(const QImage& p, const QRect& s, const QPoint& d) override {
        blitWidth += s.width();
        ImageBandSink::blit(p, s, d);
    }
    void reset() { scrolled = filledWidth = blitWidth = 0; }
};

// One item of width 100 on a band 601 wide, LoopSpacing 1 (a 6-pixel gap).
TEST(BandState, WorkedExample) {
    BandState band = makeBand({601, 20}, {"100x10"});
    ASSERT_EQ(band.loopSpacingPixels(), 6);
    ImageBandSink sink({601, 20});
    struct Row {
        int tick;
        BandState::Positions expected;
        int wraps;
    };
    // visible, headIndex, headOffset, tailIndex, tailOffset, headLoops, tailLoops
    const std::vector<Row> rows = {
        {1, {1, 0, 1, 0, 1, 1, 0}, 0},  // left edge at x = 600
        {105, {1, 0, 105, 0, 105, 1, 0}, 0},
        {106, {2, 0, 0, 0, 106, 2, 0}, 0},   // second copy at x = 601, first ends at 595
        {700, {7, 0, 64, 0, 700, 7, 0}, 0},  // a copy started every 106 ticks
        {701, {6, 0, 65, 0, 595, 7, 1}, 1},  // the first copy has left at x = 0
    };
    int tick = 0;
    for (const Row& row : rows) {
        int wraps = 0;
        while (tick < row.tick) {
            wraps = band.tick(sink);
            ++tick;
        }
        SCOPED_TRACE(row.tick);
        EXPECT_EQ(band.positions(), row.expected);
        EXPECT_EQ(wraps, row.wraps);
    }
}

TEST(BandState, StepKeepsItsLowEightBitsAndZeroBecomesOne) {
    BandState band(fakePictures());
    for (auto [assigned, stored] :
         std::vector<std::pair<unsigned, int>>{{0, 1}, {1, 1}, {255, 255}, {256, 1}, {300, 44}, {0x10005, 5}}) {
        band.setStep(assigned);
        EXPECT_EQ(band.step(), stored) << assigned;
    }
}

// After every tick, the picture made by scrolling and drawing only the
// uncovered strip must equal a full repaint at the same positions.
TEST(BandState, ScrollingAndStripDrawingMatchAFullRepaint) {
    struct Case {
        const char* name;
        QSize band;
        QStringList items;
        unsigned step;
        int loopSpacing, spacing;
        int ticks;
    };
    const std::vector<Case> cases = {
        {"worked example", {601, 20}, {"100x10"}, 1, 1, 100, 1400},
        {"short text, several copies", {601, 20}, {"30x12"}, 1, 1, 100, 900},
        {"text wider than the band", {601, 20}, {"1500x16"}, 3, 1, 100, 1200},
        {"odd step", {333, 9}, {"50x9"}, 7, 10, 100, 400},
        {"step wider than a copy and its gap", {200, 8}, {"10x8"}, 255, 0, 100, 300},
        {"text taller than the band", {120, 10}, {"40x31"}, 2, 5, 100, 300},
        {"two items", {300, 12}, {"70x12", "20x6"}, 3, 4, 20, 600},
        {"no gaps", {100, 5}, {"13x5"}, 1, 0, 0, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BandState band = makeBand(c.band, c.items, c.loopSpacing, c.spacing);
        band.setStep(c.step);
        CountingSink sink(c.band);
        band.paint(sink, QRect(QPoint(0, 0), c.band));
        for (int t = 1; t <= c.ticks; ++t) {
            sink.reset();
            band.tick(sink);
            ASSERT_EQ(sink.scrolled, band.step());
            ASSERT_LE(sink.filledWidth, band.step());
            ImageBandSink full(c.band);
            band.paint(full, QRect(QPoint(0, 0), c.band));
            ASSERT_EQ(sink.image(), full.image()) << "tick " << t;
        }
        EXPECT_GT(band.positions().tailLoops, 0);
    }
}

TEST(BandState, AShortTextRepeatsEvenlyAndATallTextShowsItsMiddle) {
    BandState band = makeBand({601, 10}, {"30x30"});
    ImageBandSink sink({601, 10});
    for (int t = 0; t < 700; ++t) band.tick(sink);
    const auto& p = band.positions();
    EXPECT_EQ(p.visibleCount, 18);  // started every 36 ticks, leaving at distance 631
    // Left edges every 36 pixels from the newest copy.
    const test::FakePicture reference({30, 30}, int(qHash(QStringLiteral("30x30")) & 7));
    for (int x = 601 - p.headOffset - 36; x >= 0; x -= 36)
        for (int dx : {0, 29})
            for (int y : {0, 9})  // strip rows 0..9 show picture rows 10..19
                ASSERT_EQ(sink.image().pixel(x + dx, y), reference.image().pixel(dx, y + 10)) << x;
}

TEST(BandState, PendingRepaintRedrawsEverythingInsteadOfScrolling) {
    BandState band = makeBand({200, 10}, {"50x10"});
    CountingSink sink({200, 10});
    band.tick(sink);
    sink.reset();
    sink.pending = true;
    band.tick(sink);
    EXPECT_EQ(sink.scrolled, 0);
    EXPECT_EQ(sink.filledWidth, 200);
}

TEST(BandState, PositionsSurviveDeactivationAndTextChanges) {
    int built = 0;
    BandState band(fakePictures(&built));
    band.setSize({601, 20});
    band.setLoopSpacing(1);
    band.addItem("100x10");
    band.setActive(true);
    ImageBandSink sink({601, 20});
    for (int t = 0; t < 160; ++t) band.tick(sink);
    const BandState::Positions before = band.positions();

    band.setActive(false);
    band.setActive(true);
    EXPECT_EQ(band.positions(), before);

    // New text, new width: the same left edges, the next copy starts by the new width.
    EXPECT_TRUE(band.setItemText(0, "40x10"));
    EXPECT_EQ(band.positions(), before);
    EXPECT_EQ(band.pictureSize(0), QSize(40, 10));
    EXPECT_EQ(built, 2);
    band.tick(sink);
    EXPECT_EQ(band.positions().headOffset, before.headOffset + 1 - 46);
    EXPECT_EQ(band.positions().visibleCount, before.visibleCount + 1);

    // Inactive: copies on screen move on, no new copy enters.
    band.setActive(false);
    const int visible = band.positions().visibleCount;
    for (int t = 0; t < 100; ++t) band.tick(sink);
    EXPECT_EQ(band.positions().visibleCount, visible);
    EXPECT_EQ(band.positions().headLoops, before.headLoops + 1);
}

TEST(BandState, RelayoutKeepsTheNewestCopyAndCountsOnlyStartedCopies) {
    BandState band = makeBand({601, 20}, {"100x10"});
    ImageBandSink sink({601, 20});
    for (int t = 0; t < 300; ++t) band.tick(sink);  // copies at distances 300, 194, 88
    ASSERT_EQ(band.positions().visibleCount, 3);
    const int head = band.positions().headOffset;

    EXPECT_TRUE(band.setSize({150, 20}));  // gap 2: copies at 88, 190, 292
    EXPECT_EQ(band.positions().headOffset, head);
    EXPECT_EQ(band.positions().visibleCount, 2);  // 190 - 100 < 150, 292 - 100 >= 150
    EXPECT_EQ(band.positions().tailOffset, 88 + 2 + 100);

    // Widening never invents copies that were never started.
    EXPECT_TRUE(band.setSize({5000, 20}));
    EXPECT_EQ(band.positions().visibleCount, 3);

    // A fresh band: one copy started, one counted however wide the band.
    BandState fresh = makeBand({601, 20}, {"100x10"});
    fresh.tick(sink);
    fresh.setSize({3000, 20});
    EXPECT_EQ(fresh.positions().visibleCount, 1);

    // Removing the last item: nothing on screen, the next tick starts afresh.
    EXPECT_TRUE(band.removeItem(0));
    EXPECT_EQ(band.positions().visibleCount, 0);
}

}  // namespace
}  // namespace vz
