#include <gtest/gtest.h>

#include <QPointF>
#include <QTransform>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "core/transitions/transition_styles.h"
#include "transition_test_pictures.h"

using namespace vz::transitions;
using namespace vz::transitions::testing;

namespace {

// ---------------------------------------------------------------- the table

TEST(TransitionStyleTable, NamesInOrderWithTheirRepeatsAndSpellings) {
    ASSERT_EQ(transitionStyles().size(), 176u);
    const struct {
        int number;
        const char* name;
    } cases[] = {{1, "Expand from right"},
                 {18, "Expand from bottom"},
                 {33, "Expand from bottom"},
                 {34, "Expand in from top"},
                 {76, "Unven shred from bottom"},
                 {135, "Push and sqeeze down"},
                 {146, "Rectangles apear from left and disapear to right"},
                 {163, "Zigzag Vertical"},
                 {168, "Pixelate"},
                 {176, "Slide out from top"}};
    for (const auto& c : cases) EXPECT_EQ(styleName(c.number), QString::fromLatin1(c.name)) << c.number;
    EXPECT_EQ(styleName(0), "Custom");
    EXPECT_TRUE(styleName(177).isEmpty());
}

TEST(TransitionStyleTable, LookupByNameTakesTheFirstMatchIgnoringCase) {
    EXPECT_EQ(styleNumberForName("Expand from bottom"), 18);
    EXPECT_EQ(styleNumberForName("EXPAND IN FROM TOP"), 25);
    EXPECT_EQ(styleNumberForName("custom"), 0);
    EXPECT_EQ(styleNumberForName("Unven shred from bottom"), 76);
    EXPECT_EQ(styleNumberForName("Expand from nowhere"), -1);
}

TEST(TransitionStyleTable, ProgressFollowsTheLongerSideWithRoundedDivisions) {
    const struct {
        int w, h, p, x, y;
    } cases[] = {{40, 30, 50, 20, 15}, {30, 40, 50, 15, 20},       {40, 30, 1, 0, 0},
                 {40, 30, 99, 40, 30}, {1920, 1080, 33, 634, 357}, {1080, 1920, 33, 357, 634},
                 {200, 3, 99, 198, 3}, {3, 200, 99, 3, 198},       {50, 50, 37, 19, 19}};
    for (const auto& c : cases) {
        const ProgressExtents e = progressExtents(c.w, c.h, c.p);
        EXPECT_EQ(e.x, c.x) << c.w << "x" << c.h << " at " << c.p;
        EXPECT_EQ(e.y, c.y) << c.w << "x" << c.h << " at " << c.p;
    }
}

// ---------------------------------------------------------------- exact members

using Mask = std::function<bool(int x, int y, int W, int H, int X, int Y)>;

bool inRect(int x, int y, int l, int t, int r, int b) { return x >= l && x < r && y >= t && y < b; }

// Pixel centre strictly inside the triangle.
bool inTriangle(int x, int y, double ax, double ay, double bx, double by, double cx, double cy) {
    const double px = x + 0.5, py = y + 0.5;
    const double d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by);
    const double d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy);
    const double d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay);
    return (d1 > 0 && d2 > 0 && d3 > 0) || (d1 < 0 && d2 < 0 && d3 < 0);
}

// Pixel centre inside the polygon (crossing rule; the sweep polygons are
// simple, so it agrees with the winding rule).
bool inPolygon(int x, int y, const std::vector<QPointF>& points) {
    const double px = x + 0.5, py = y + 0.5;
    bool inside = false;
    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
        const QPointF a = points[i], b = points[j];
        if ((a.y() > py) != (b.y() > py) && px < (b.x() - a.x()) * (py - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
    }
    return inside;
}

// The sweep: the centre and `progress` points of the circle round it, at the
// angles -pi/2 + k*pi/50 (clockwise on the screen), or at their negations.
bool inSweep(int x, int y, int W, int H, int progress, bool negated) {
    const double cx = W / 2, cy = H / 2;
    const double r = std::ceil(std::sqrt(cx * cx + cy * cy));
    std::vector<QPointF> points{{cx, cy}};
    for (int k = 0; k < progress; ++k) {
        const double a = (negated ? -1 : 1) * (-std::numbers::pi / 2 + k * std::numbers::pi / 50);
        points.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
    }
    return inPolygon(x, y, points);
}

// For shapes that follow the progress itself rather than X and Y.
using ProgressMask = std::function<bool(int x, int y, int W, int H, int progress)>;

struct RegionCase {
    int style;
    Mask revealed;
    ProgressMask byProgress = {};
};

// Members that show the new picture unmoved through a region: every pixel
// is new exactly inside the region and then is the new pixel of its place.
TEST(TransitionExactMembers, RevealRegionsMatchTheirGeometry) {
    const RegionCase cases[] = {
        {5, [](int x, int y, int, int H, int X, int) { return inRect(x, y, 0, 0, X, H); }},
        {11, [](int x, int y, int W, int H, int X, int) { return inRect(x, y, (W - X) / 2, 0, (W - X) / 2 + X, H); }},
        {12, [](int x, int y, int W, int H, int X, int) { return inRect(x, y, 0, 0, X / 2, H) || inRect(x, y, W - X / 2, 0, W, H); }},
        {29, [](int x, int y, int W, int H, int, int Y) { return inRect(x, y, 0, 0, W, Y / 2) || inRect(x, y, 0, H - Y / 2, W, H); }},
        {43, [](int x, int y, int, int, int X, int Y) { return inRect(x, y, 0, 0, X, Y); }},
        {53, [](int x, int y, int W, int H, int X, int Y) {
             return inRect(x, y, (W - X) / 2, (H - Y) / 2, (W - X) / 2 + X, (H - Y) / 2 + Y);
         }},
        {54, [](int x, int y, int W, int H, int X, int Y) { return !inRect(x, y, X / 2, Y / 2, W - X / 2, H - Y / 2); }},
        {55, [](int x, int y, int W, int H, int X, int Y) {
             const int a = X / 2, b = Y / 2;
             return inRect(x, y, 0, 0, a, b) || inRect(x, y, W - a, 0, W, b) || inRect(x, y, 0, H - b, a, H) ||
                    inRect(x, y, W - a, H - b, W, H);
         }},
        {60, [](int x, int y, int W, int, int X, int) {  // bars 1 px thick at these sizes
             const int a = 2 * X;
             if (a <= W) return y % 2 == 0 && x >= W - a;
             return y % 2 == 0 || x >= 2 * W - a;
         }},
        {64, [](int x, int y, int W, int, int X, int) { return y % 2 == 0 ? x >= W - X : x < X; }},
        {110, [](int x, int y, int, int, int X, int Y) { return inTriangle(x, y, 0, 0, 2.0 * X, 0, 0, 2.0 * Y); }},
        {114, [](int x, int y, int W, int H, int X, int) {
             return inTriangle(x, y, 0, H, 0, 0, X, H) || inTriangle(x, y, W, H, W, 0, W - X, 0);
         }},
        // 144 starts at twelve o'clock and turns clockwise; 145 starts at six
        // o'clock and turns anticlockwise (the top-bottom mirror image).
        {144, {}, [](int x, int y, int W, int H, int p) { return inSweep(x, y, W, H, p, false); }},
        {145, {}, [](int x, int y, int W, int H, int p) { return inSweep(x, y, W, H, p, true); }},
        {154, [](int x, int y, int, int H, int X, int Y) {
             return inTriangle(x, y, 0, H / 2 - Y, 2.0 * X, H / 2, 0, H / 2 + Y);
         }},
        {165, [](int x, int y, int W, int H, int X, int Y) {
             const double cx = W / 2, cy = H / 2;
             return inTriangle(x, y, cx - X, cy, cx, cy - Y, cx + X, cy) ||
                    inTriangle(x, y, cx - X, cy, cx, cy + Y, cx + X, cy) || (y + 0.5 == cy && std::abs(x + 0.5 - cx) < X);
         }},
        {137, [](int x, int, int W, int, int, int) {  // 40 wide: slats of 4, opening 1 px each side of the middle
             (void)W;
             return x % 4 == 1 || x % 4 == 2;
         }},
        {173, [](int x, int, int, int, int X, int) { return x < X; }},
    };
    const struct { int w, h, p; } sizes[] = {{40, 30, 1}, {40, 30, 50}, {40, 30, 75}, {40, 30, 99}, {30, 40, 50}};
    for (const auto& c : cases) {
        for (const auto& s : sizes) {
            if (c.style == 137 && (s.w != 40 || s.p != 50)) continue;
            const ProgressExtents e = progressExtents(s.w, s.h, s.p);
            const QImage frame = frameOf(c.style, s.w, s.h, s.p);
            int wrong = 0;
            for (int y = 0; y < s.h; ++y)
                for (int x = 0; x < s.w; ++x) {
                    const uint32_t px = frame.pixel(x, y);
                    const bool expected =
                        c.byProgress ? c.byProgress(x, y, s.w, s.h, s.p) : c.revealed(x, y, s.w, s.h, e.x, e.y);
                    if (expected ? px != tagged(x, y, true) : isNew(px)) ++wrong;
                }
            EXPECT_EQ(wrong, 0) << "style " << c.style << " at " << s.w << "x" << s.h << " progress " << s.p;
        }
    }
}

// Members that place the new picture somewhere else: which new pixel lands
// at (x, y), or -1 where the old picture stays.
struct PlacementCase {
    int style;
    std::function<QPoint(int x, int y, int W, int H, int X, int Y)> source;
};

int nearestIndex(int i, int from, int to) { return int(((2LL * i + 1) * from) / (2LL * to)); }

TEST(TransitionExactMembers, StretchesAndSlidesPlaceTheRightPixels) {
    const QPoint none(-1, -1);
    const PlacementCase cases[] = {
        {1, [&](int x, int y, int W, int, int X,
                int) { return x >= W - X ? QPoint(nearestIndex(x - (W - X), W, X), y) : none; }},
        {3, [&](int x, int y, int W, int, int X, int) { return x >= W - X ? QPoint(x - (W - X), y) : none; }},
        {39, [&](int x, int y, int W, int H, int X,
                 int Y) { return x >= W - X && y >= H - Y ? QPoint(x - (W - X), y - (H - Y)) : none; }},
        {7,
         [&](int x, int y, int W, int, int X, int) { return X > 0 ? QPoint(nearestIndex(x, X, 2 * W - X), y) : none; }},
        {47,
         [&](int x, int y, int W, int H, int X, int Y) {
             return X > 0 && Y > 0 ? QPoint(nearestIndex(x, X, 2 * W - X), nearestIndex(y, Y, 2 * H - Y)) : none;
         }},
        {13,
         [&](int x, int y, int W, int, int X, int) {
             const int a = X / 2, half = W / 2;
             if (x < a) return QPoint(nearestIndex(x, half, a), y);
             if (x >= W - a) return QPoint(half + nearestIndex(x - (W - a), W - half, a), y);
             return none;
         }},
        {129, [&](int x, int y, int W, int, int X, int) { return x < X ? QPoint(W - X + x, y) : none; }},
    };
    for (const auto& c : cases) {
        for (int p : {1, 30, 50, 99}) {
            const int W = 40, H = 30;
            const ProgressExtents e = progressExtents(W, H, p);
            const QImage frame = frameOf(c.style, W, H, p);
            int wrong = 0;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const QPoint s = c.source(x, y, W, H, e.x, e.y);
                    const uint32_t px = frame.pixel(x, y);
                    if (s == none ? isNew(px) : px != tagged(s.x(), s.y(), true)) ++wrong;
                }
            EXPECT_EQ(wrong, 0) << "style " << c.style << " progress " << p;
        }
    }
}

TEST(TransitionExactMembers, PushMovesTheOldPictureAlong) {
    const int W = 40, H = 30, p = 25;
    const int X = progressExtents(W, H, p).x;
    const QImage frame = frameOf(129, W, H, p);
    for (int x = X; x < W; ++x) EXPECT_EQ(frame.pixel(x, 7), tagged(x - X, 7, false)) << x;
}

TEST(TransitionExactMembers, FadeBlendsEveryChannelByTheProgress) {
    QImage oldPicture(2, 1, QImage::Format_RGB32), newPicture(2, 1, QImage::Format_RGB32);
    oldPicture.setPixel(0, 0, 0xff102030u);
    newPicture.setPixel(0, 0, 0xfff0e0d0u);
    oldPicture.setPixel(1, 0, 0xffff00ffu);
    newPicture.setPixel(1, 0, 0xff00ff00u);
    for (int p : {1, 25, 50, 99}) {
        const QImage frame = frameOf(119, oldPicture, newPicture, p);
        const int a = (256 * p + 50) / 100;
        for (int x = 0; x < 2; ++x)
            for (int shift : {0, 8, 16}) {
                const int o = (oldPicture.pixel(x, 0) >> shift) & 0xff, n = (newPicture.pixel(x, 0) >> shift) & 0xff;
                const int expected = o + int(std::floor(a * (n - o) / 256.0));
                EXPECT_EQ(int((frame.pixel(x, 0) >> shift) & 0xff), expected) << p << " " << x << " " << shift;
            }
    }
}

TEST(TransitionExactMembers, ChannelMixMovesOneChannelAtATime) {
    const int W = 8, H = 2;
    QImage black(W, H, QImage::Format_RGB32), white(W, H, QImage::Format_RGB32);
    black.fill(0xff000000u);
    white.fill(0xffffffffu);
    auto channelsDone = [&](int p) {
        const uint32_t px = frameOf(172, black, white, p).pixel(3, 1);
        int full = 0, partial = 0;
        for (int shift : {0, 8, 16}) {
            const int v = (px >> shift) & 0xff;
            full += v == 255;
            partial += v > 0 && v < 255;
        }
        return std::pair(full, partial);
    };
    EXPECT_EQ(channelsDone(20), std::pair(0, 1));
    EXPECT_EQ(channelsDone(50), std::pair(1, 1));
    EXPECT_EQ(channelsDone(80), std::pair(2, 1));
}

// ---------------------------------------------------------------- every style

TEST(TransitionAllStyles, EarlyFramesKeepTheOldPictureAndLateFramesShowTheNew) {
    // Expand in and build up cover the whole picture with a magnified part
    // of the new one from their first frame on.
    auto coversAtOnce = [](int style) {
        return (style >= 7 && style <= 9) || (style >= 24 && style <= 26) || (style >= 47 && style <= 51) ||
               style == 16 || style == 17 || style == 33 || style == 34;
    };
    const struct { int w, h; } sizes[] = {{40, 30}, {30, 40}, {97, 61}};
    for (const auto& s : sizes)
        for (int style = 1; style <= kStyleCount; ++style) {
            if (!coversAtOnce(style)) {
                EXPECT_LE(newFraction(frameOf(style, s.w, s.h, 1)), 0.25) << style << " " << s.w << "x" << s.h;
            }
            EXPECT_GE(newFraction(frameOf(style, s.w, s.h, 99)), 0.75) << style << " " << s.w << "x" << s.h;
        }
}

TEST(TransitionAllStyles, ExtremeShapesAndTinyPicturesAreSafe) {
    // Run under the sanitizers: no access outside the pictures, whatever the
    // proportions; a 1 x 1 picture included.
    const struct { int w, h; } sizes[] = {{200, 3}, {3, 200}, {1, 1}, {2, 1}, {1, 57}};
    for (const auto& s : sizes)
        for (int style = 1; style <= kStyleCount; ++style)
            for (int p : {1, 50, 99}) {
                const QImage frame = frameOf(style, s.w, s.h, p);
                ASSERT_EQ(frame.size(), QSize(s.w, s.h));
            }
}

TEST(TransitionAllStyles, RandomCellsRevealForGood) {
    for (int style : {128, 169, 170, 171}) {
        const int W = 60, H = 45;
        QImage previous = frameOf(style, W, H, 1, 1234);
        for (int p = 2; p <= 99; ++p) {
            const QImage frame = frameOf(style, W, H, p, 1234, uint32_t(p));
            int lost = 0;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) lost += isNew(previous.pixel(x, y)) && !isNew(frame.pixel(x, y));
            ASSERT_EQ(lost, 0) << "style " << style << " progress " << p;
            previous = frame;
        }
        // Another transition (another seed) draws another pattern.
        EXPECT_NE(frameOf(style, W, H, 50, 1234), frameOf(style, W, H, 50, 99)) << style;
    }
}

TEST(TransitionAllStyles, RotationSenseFollowsTheSeedParity) {
    const QImage even = frameOf(150, 60, 40, 20, 10), odd = frameOf(150, 60, 40, 20, 11);
    int differ = 0, mirroredDiffer = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            differ += isNew(odd.pixel(x, y)) != isNew(even.pixel(x, y));
            mirroredDiffer += isNew(odd.pixel(x, y)) != isNew(even.pixel(59 - x, y));
        }
    EXPECT_GT(differ, 0);
    EXPECT_EQ(mirroredDiffer, 0);
}

// ---------------------------------------------------------------- families

QImage transposed(const QImage& image) {
    QImage out(image.height(), image.width(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) out.setPixel(y, x, image.pixel(x, y));
    return out;
}

QImage mirroredX(const QImage& image) { return image.mirrored(true, false).convertToFormat(QImage::Format_RGB32); }

// A sibling on mirrored (or transposed) pictures gives the mirrored
// (transposed) frame of the drawn member.
TEST(TransitionFamilies, SiblingsAreMirrorImagesOrAxisSwaps) {
    enum Kind { Mirror, Transpose };
    const struct {
        const char* family;
        int drawn, sibling;
        Kind kind;
    } cases[] = {
        {"stretch", 1, 18, Transpose},    {"slide in", 3, 20, Transpose},        {"reveal", 5, 6, Mirror},
        {"expand in", 7, 24, Transpose},  {"unroll", 14, 31, Transpose},         {"unroll", 14, 15, Mirror},
        {"build up", 16, 33, Transpose},  {"curved", 58, 69, Transpose},         {"curved", 80, 81, Mirror},
        {"bars", 60, 71, Transpose},      {"bars", 86, 86, Transpose},           {"uneven shred", 65, 76, Transpose},
        {"polygon", 110, 111, Mirror},    {"polygon", 154, 156, Transpose},      {"polygon", 162, 163, Transpose},
        {"blend", 119, 119, Mirror},      {"pivot", 120, 122, Mirror},           {"speckle", 124, 125, Mirror},
        {"speckle", 124, 126, Transpose}, {"random cells", 170, 171, Transpose}, {"push", 129, 130, Mirror},
        {"push", 131, 135, Transpose},    {"cells", 137, 138, Transpose},        {"cells", 146, 148, Transpose},
        {"slide out", 173, 174, Mirror},
    };
    const QImage oldPicture = taggedPicture(47, 31, false), newPicture = taggedPicture(47, 31, true);
    for (const auto& c : cases) {
        auto t = [&](const QImage& image) { return c.kind == Mirror ? mirroredX(image) : transposed(image); };
        for (int p : {13, 50, 87}) {
            const QImage drawn = frameOf(c.drawn, oldPicture, newPicture, p);
            const QImage sibling = frameOf(c.sibling, t(oldPicture), t(newPicture), p);
            EXPECT_EQ(sibling, t(drawn)) << c.family << ": " << c.drawn << " -> " << c.sibling << " at " << p;
        }
    }
}

}  // namespace
