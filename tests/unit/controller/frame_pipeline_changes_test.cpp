// The frame pipeline with a change tracker: whatever changed, and however
// little of it was copied and scaled again, every frame and its render for
// the output are exactly what a whole copy and a whole resample give, and
// what each frame says changed covers every pixel that did.

#include "core/capture/frame_pipeline.h"
#include "core/capture/pointer_overlay.h"
#include "platform/fake/fake_platform.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vz::test {
namespace {

// The pixels where two pictures of one size differ.
QRegion differences(const QImage& a, const QImage& b) {
    QRegion region;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) region |= QRect(x, y, 1, 1);
    return region;
}

void paint(QImage& image, const QRect& r, std::mt19937& rng) {
    const QRect inside = r & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) image.setPixel(x, y, rng() | 0xff000000u);
}

struct Overlay {
    const char* name;
    bool cursor, redPoint;
};

struct Layout {
    const char* name;
    ViewLayout layout;
};

class FramePipelineChangesTest : public ::testing::TestWithParam<std::tuple<Overlay, Layout>> {
protected:
    void SetUp() override {
        desktop.screen = QImage(QSize(3200, 1080), QImage::Format_RGB32);
        paint(desktop.screen, desktop.screen.rect(), rng);
        desktop.screenChangesAvailable = true;
        desktop.cursor = QImage(QSize(11, 17), QImage::Format_ARGB32_Premultiplied);
        desktop.cursor.fill(qRgba(0, 0, 128, 128));
        desktop.cursorHotSpot = QPoint(2, 3);
        desktop.pointer = source.topLeft() + QPoint(50, 40);
        platform = makeFakePlatform(desktop);
        FrameSources sources;
        sources.screen = platform.screen.get();
        sources.pointer = platform.capturePointer.get();
        sources.changes = platform.screenChanges.get();
        pipeline = std::make_unique<FramePipeline>(sources, FramePipeline::Mode::Inline);
    }

    // What the frame must hold: the source, the overlay drawn in.
    QImage expectedPicture() const {
        QImage picture = desktop.screen.copy(source);
        const auto [overlay, layout] = GetParam();
        PointerOverlay drawn{desktop.pointer - source.topLeft(), overlay.redPoint, overlay.cursor,
                             desktop.cursorHotSpot};
        drawPointerOverlay(picture, drawn, desktop.cursor);
        return picture;
    }

    // Changes `rects` (source coordinates) on the screen and reports them.
    void change(const QVector<QRect>& rects) {
        for (const QRect& r : rects) {
            paint(desktop.screen, r.translated(source.topLeft()) & source, rng);
            desktop.screenChanges |= r.translated(source.topLeft());
        }
    }

    // Asks for a frame and checks it against a whole copy and resample and
    // against the frame before it. False when no frame was made.
    bool frame(const std::string& step) {
        const auto [overlay, layout] = GetParam();
        CaptureRequest r;
        r.source = source;
        r.cursor = overlay.cursor;
        r.redPoint = overlay.redPoint;
        r.output = layout.layout;
        pipeline->request(r);
        CapturedFrame f;
        if (!pipeline->take(f)) return false;
        const QImage expected = expectedPicture();
        EXPECT_EQ(f.picture, expected) << step;
        ResampleScratch scratch;
        ViewRender whole;
        renderViewCopy(expected, layout.layout, whole, scratch);
        EXPECT_TRUE(f.scaled) << step;
        EXPECT_EQ(f.render.visible, whole.visible) << step;
        EXPECT_EQ(f.render.scaled, whole.scaled) << step;
        EXPECT_EQ(f.render.frame, f.serial) << step;
        if (!shown.empty()) {
            const CapturedFrame& previous = shown.back();
            if (f.since != 0) {
                EXPECT_EQ(f.since, previous.serial) << step;
                EXPECT_TRUE((differences(previous.picture, f.picture) - f.changed).isEmpty()) << step;
                EXPECT_EQ(f.render.since, previous.serial) << step;
                const QRegion scaledDifferences =
                    differences(previous.render.scaled, f.render.scaled).translated(f.render.visible.topLeft());
                EXPECT_TRUE((scaledDifferences - f.render.changed).isEmpty()) << step;
            }
        }
        // The views hold the last two frames, so the pipeline's buffers
        // come back several frames old.
        shown.push_back(f);
        if (shown.size() > 2) shown.erase(shown.begin());
        return true;
    }

    const QRect source{40, 30, 320, 200};
    std::mt19937 rng{7};
    FakeDesktop desktop;
    Platform platform;
    std::unique_ptr<FramePipeline> pipeline;
    std::vector<CapturedFrame> shown;
};

TEST_P(FramePipelineChangesTest, EveryFrameEqualsAWholeCopyAndResample) {
    ASSERT_TRUE(frame("first"));
    EXPECT_EQ(shown.back().since, 0u);

    struct Step {
        const char* name;
        QVector<QRect> rects;
        QPoint pointerMove;
    };
    const Step steps[] = {
        {"small", {{5, 5, 10, 10}}, {}},
        {"two far apart", {{0, 0, 3, 3}, {300, 180, 20, 20}}, {}},
        {"far corner pixel", {{319, 199, 1, 1}}, {}},
        {"pointer only", {}, {7, -4}},
        {"pointer and change under it", {{45, 30, 20, 20}}, {3, 3}},
        {"edge strip", {{0, 100, 320, 2}}, {}},
        {"most of it", {{0, 0, 320, 150}}, {}},
        {"small after whole", {{100, 100, 1, 1}}, {}},
        {"pointer to the edge", {}, {265, 155}},
        {"odd sizes", {{17, 33, 31, 7}, {201, 5, 9, 91}}, {}},
    };
    for (const Step& step : steps) {
        change(step.rects);
        desktop.pointer += step.pointerMove;
        const auto [overlay, layout] = GetParam();
        const bool moves = !step.pointerMove.isNull() && (overlay.cursor || overlay.redPoint);
        const bool made = frame(step.name);
        EXPECT_EQ(made, !step.rects.isEmpty() || moves) << step.name;
    }
    // Random small changes, several frames in a row.
    std::uniform_int_distribution<int> x(0, 319), y(0, 199), side(1, 40);
    for (int i = 0; i < 12; ++i) {
        change({QRect(x(rng), y(rng), side(rng), side(rng))});
        frame("random " + std::to_string(i));
    }
    EXPECT_GT(pipeline->counters().partial, 10u);
}

const Overlay overlays[] = {{"NoPointer", false, false}, {"RedPoint", false, true}, {"CursorAndRedPoint", true, true}};
const Layout layouts[] = {
    {"Shrunk", {QSize(200, 150), ViewFit::Resize, 1.0f}},
    {"Enlarged", {QSize(517, 333), ViewFit::Stretch, 1.0f}},
    {"OneToOneCentred", {QSize(400, 300), ViewFit::Normal, 1.0f}},
    {"OneToOneCropped", {QSize(301, 151), ViewFit::Normal, 1.0f}},
};

INSTANTIATE_TEST_SUITE_P(Views, FramePipelineChangesTest,
                         ::testing::Combine(::testing::ValuesIn(overlays), ::testing::ValuesIn(layouts)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace vz::test
