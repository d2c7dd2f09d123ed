#include "core/scaling/view_geometry.h"

#include <gtest/gtest.h>

using vz::ViewFit;
using vz::viewGeometry;

namespace {

struct GeometryCase {
    QSize view;
    QSize picture;
    ViewFit fit;
    float factor;
    QRect expected;
};

void PrintTo(const GeometryCase& c, std::ostream* os) {
    *os << c.picture.width() << "x" << c.picture.height() << " in " << c.view.width() << "x" << c.view.height()
        << " fit " << vz::viewFitNumber(c.fit) << " factor " << c.factor;
}

class ViewGeometryTable : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(ViewGeometryTable, DrawnRectangle) {
    const GeometryCase& c = GetParam();
    EXPECT_EQ(viewGeometry(c.view, c.picture, c.fit, c.factor), c.expected);
}

const QSize kFullHd(1920, 1080);

INSTANTIATE_TEST_SUITE_P(
    FullHdView, ViewGeometryTable,
    ::testing::Values(GeometryCase{kFullHd, {800, 600}, ViewFit::Normal, 1.0f, {560, 240, 800, 600}},
                      GeometryCase{kFullHd, {800, 600}, ViewFit::Stretch, 1.0f, {0, 0, 1920, 1080}},
                      GeometryCase{kFullHd, {800, 600}, ViewFit::Optimal, 1.0f, {560, 240, 800, 600}},
                      GeometryCase{kFullHd, {800, 600}, ViewFit::Resize, 1.0f, {240, 0, 1440, 1080}},
                      GeometryCase{kFullHd, {800, 600}, ViewFit::Scale, 0.5f, {760, 390, 400, 300}},
                      GeometryCase{kFullHd, {2560, 1440}, ViewFit::Optimal, 1.0f, {0, 0, 1920, 1080}},
                      GeometryCase{kFullHd, {2560, 1440}, ViewFit::Normal, 1.0f, {-320, -180, 2560, 1440}},
                      GeometryCase{kFullHd, {2561, 1441}, ViewFit::Normal, 1.0f, {-320, -180, 2561, 1441}}));

INSTANTIATE_TEST_SUITE_P(OtherViews, ViewGeometryTable,
                         ::testing::Values(
                             // Resize into a smaller monitor: touches left and right.
                             GeometryCase{{1280, 1024}, kFullHd, ViewFit::Resize, 1.0f, {0, 152, 1280, 720}},
                             // The preview's design size.
                             GeometryCase{{284, 178}, kFullHd, ViewFit::Resize, 1.0f, {0, 9, 284, 160}},
                             // 2.5 and 1.5 both round half to even: 2 x 2.
                             GeometryCase{kFullHd, {5, 3}, ViewFit::Scale, 0.5f, {959, 539, 2, 2}},
                             // Exactly the view's size: Optimal shows it 1:1.
                             GeometryCase{kFullHd, kFullHd, ViewFit::Optimal, 1.0f, {0, 0, 1920, 1080}},
                             // One side larger is enough for Optimal to shrink.
                             GeometryCase{kFullHd, {1921, 100}, ViewFit::Optimal, 1.0f, {0, 490, 1920, 100}},
                             // Equal ratios take the first branch (width rounded, height = H).
                             GeometryCase{{200, 100}, {400, 200}, ViewFit::Resize, 1.0f, {0, 0, 200, 100}},
                             // Resize also enlarges.
                             GeometryCase{{300, 300}, {10, 20}, ViewFit::Resize, 1.0f, {75, 0, 150, 300}},
                             // Scale enlarges past the view: negative offsets, truncated toward zero.
                             GeometryCase{{101, 101}, {50, 50}, ViewFit::Scale, 3.0f, {-24, -24, 150, 150}},
                             // Factors below 0.001 count as 0.001; anything under one pixel draws nothing.
                             GeometryCase{
                                 kFullHd, {4000, 4000}, ViewFit::Scale, 0.0f, {1920 / 2 - 2, 1080 / 2 - 2, 4, 4}},
                             GeometryCase{kFullHd, {100, 100}, ViewFit::Scale, 0.001f, {}},
                             GeometryCase{kFullHd, {1000, 10}, ViewFit::Scale, 0.01f, {}},
                             // A sliver of a picture in a short view: the height rounds to 0.
                             GeometryCase{{100, 100}, {10000, 1}, ViewFit::Resize, 1.0f, {}}));

INSTANTIATE_TEST_SUITE_P(NothingDrawn, ViewGeometryTable,
                         ::testing::Values(GeometryCase{kFullHd, {0, 0}, ViewFit::Normal, 1.0f, {}},
                                           GeometryCase{kFullHd, {0, 10}, ViewFit::Stretch, 1.0f, {}},
                                           GeometryCase{kFullHd, {10, 0}, ViewFit::Resize, 1.0f, {}},
                                           GeometryCase{{0, 1080}, {800, 600}, ViewFit::Stretch, 1.0f, {}},
                                           GeometryCase{{1920, 0}, {800, 600}, ViewFit::Optimal, 1.0f, {}},
                                           GeometryCase{{-5, 10}, {800, 600}, ViewFit::Normal, 1.0f, {}}));

TEST(ViewGeometry, EmptyResultIsEmpty) {
    EXPECT_TRUE(viewGeometry({100, 100}, {}, ViewFit::Normal, 1.0f).isEmpty());
    EXPECT_TRUE(viewGeometry({100, 100}, {100, 100}, ViewFit::Scale, 0.001f).isEmpty());
}

TEST(ViewFitNumbers, MapBothWays) {
    const struct {
        int number;
        ViewFit fit;
    } table[] = {
        {1, ViewFit::Normal}, {2, ViewFit::Stretch}, {3, ViewFit::Optimal}, {4, ViewFit::Resize}, {5, ViewFit::Scale}};
    for (const auto& row : table) {
        EXPECT_EQ(vz::viewFitFromNumber(row.number), row.fit) << row.number;
        EXPECT_EQ(vz::viewFitNumber(row.fit), row.number);
    }
}

TEST(ViewFitNumbers, OutsideOneToFiveIsRejected) {
    for (int number : {0, -1, 6, 100}) EXPECT_FALSE(vz::viewFitFromNumber(number)) << number;
}

}  // namespace
