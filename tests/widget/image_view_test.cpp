// The image view: layout by view mode, black outside the picture, and the
// cached resample that repaints reuse.
#include "ui/widgets/image_view.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <thread>

namespace {

using vz::ImageView;
using vz::ViewFit;

QImage filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Every pixel different, so that a misplaced copy shows.
QImage gradient(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    return image;
}

bool rowsAre(const QImage& image, int from, int to, QRgb colour) {
    for (int y = from; y < to; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour) return false;
    return true;
}

class ImageViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(284, 178);
        view.setFit(ViewFit::Resize);
        view.show();
        // repaint() paints only once the window is exposed.
        QDeadlineTimer deadline(5000);
        while (!(view.windowHandle() && view.windowHandle()->isExposed()) && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        QApplication::processEvents();
        ASSERT_TRUE(view.windowHandle()->isExposed());
    }
    ImageView view;
};

TEST_F(ImageViewTest, FullHdFrameInPreviewSizeHasBarsAboveAndBelow) {
    view.setPicture(filled({1920, 1080}, qRgb(200, 30, 60)));
    EXPECT_EQ(view.drawnRect(), QRect(0, 9, 284, 160));
    const QImage shown = view.rendered();
    ASSERT_EQ(shown.size(), QSize(284, 178));
    EXPECT_TRUE(rowsAre(shown, 0, 9, qRgb(0, 0, 0)));
    EXPECT_TRUE(rowsAre(shown, 9, 169, qRgb(200, 30, 60)));
    EXPECT_TRUE(rowsAre(shown, 169, 178, qRgb(0, 0, 0)));
}

TEST_F(ImageViewTest, RepaintsReuseTheScaledPicture) {
    view.setPicture(gradient({1920, 1080}));
    view.repaint();
    EXPECT_EQ(view.resampleCount(), 1);
    view.repaint();
    view.update();
    QApplication::processEvents();
    const QImage first = view.rendered();
    EXPECT_EQ(view.rendered(), first);
    EXPECT_EQ(view.resampleCount(), 1);
}

TEST_F(ImageViewTest, EachChangeResamplesOnceAtTheNextPaint) {
    view.setPicture(gradient({1920, 1080}));
    view.repaint();
    ASSERT_EQ(view.resampleCount(), 1);

    view.setFit(ViewFit::Stretch);
    view.setFit(ViewFit::Stretch);  // no change: nothing to redo
    view.repaint();
    view.repaint();
    EXPECT_EQ(view.resampleCount(), 2);
    EXPECT_EQ(view.drawnRect(), QRect(0, 0, 284, 178));
    EXPECT_FALSE(rowsAre(view.rendered(), 0, 1, qRgb(0, 0, 0)));  // no bar any more

    view.resize(300, 100);
    view.repaint();
    EXPECT_EQ(view.resampleCount(), 3);

    view.setPicture(gradient({1920, 1080}));
    view.repaint();
    EXPECT_EQ(view.resampleCount(), 4);
}

TEST_F(ImageViewTest, ClearedViewIsAllBlack) {
    view.setPicture(filled({640, 480}, qRgb(255, 255, 255)));
    view.repaint();
    view.clearPicture();
    EXPECT_FALSE(view.hasPicture());
    EXPECT_TRUE(view.drawnRect().isEmpty());
    EXPECT_TRUE(rowsAre(view.rendered(), 0, 178, qRgb(0, 0, 0)));
}

TEST_F(ImageViewTest, PictureLargerThanTheViewShowsItsCentre) {
    const QImage picture = gradient({400, 300});
    view.resize(100, 80);
    view.setFit(ViewFit::Normal);
    view.setPicture(picture);
    EXPECT_EQ(view.drawnRect(), QRect(-150, -110, 400, 300));
    EXPECT_EQ(view.rendered(), picture.copy(150, 110, 100, 80));
    EXPECT_EQ(view.resampleCount(), 0);  // 1:1 needs no resampling
}

TEST_F(ImageViewTest, ScaledPastTheViewResamplesOnlyWhatIsVisible) {
    const QImage picture = gradient({90, 70});
    view.resize(100, 80);
    view.setFit(ViewFit::Scale);
    view.setScaleFactor(2.5f);
    view.setPicture(picture);
    const QRect drawn = view.drawnRect();
    EXPECT_EQ(drawn, QRect(-62, -47, 225, 175));
    vz::ResampleScratch scratch;
    QImage whole;
    vz::resample(picture, whole, drawn.size(), scratch);
    EXPECT_EQ(view.rendered(), whole.copy(62, 47, 100, 80));
}

TEST_F(ImageViewTest, PictureRenderedElsewhereShowsAsSetPictureWouldWithoutResampling) {
    const struct {
        const char* name;
        QSize view, picture;
        ViewFit fit;
        float factor;
    } cases[] = {
        {"shrunk with bars", {284, 178}, {1920, 1080}, ViewFit::Resize, 1.0f},
        {"stretched", {300, 100}, {640, 480}, ViewFit::Stretch, 1.0f},
        {"centre of a larger picture, 1:1", {100, 80}, {400, 300}, ViewFit::Normal, 1.0f},
        {"scaled past the view", {100, 80}, {90, 70}, ViewFit::Scale, 2.5f},
        {"scaled to nothing", {100, 80}, {90, 70}, ViewFit::Scale, 0.001f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.resize(c.view);
        view.setFit(c.fit);
        view.setScaleFactor(c.factor);
        view.clearPicture();
        view.repaint();
        const int before = view.resampleCount();

        const QImage picture = gradient(c.picture);
        const vz::ViewLayout layout{view.size(), view.fit(), view.scaleFactor()};
        vz::ViewRender render;
        // As the frame pipeline does: computed on a thread of its own.
        std::thread worker([&] {
            vz::ResampleScratch scratch;
            vz::renderView(picture, layout, render, scratch);
        });
        worker.join();
        view.setRenderedPicture(picture, render);

        ImageView reference;
        reference.resize(c.view);
        reference.setFit(c.fit);
        reference.setScaleFactor(c.factor);
        reference.setPicture(picture);

        view.repaint();
        EXPECT_EQ(view.rendered(), reference.rendered());
        EXPECT_EQ(view.resampleCount(), before);
        EXPECT_EQ(view.drawnRect(), reference.drawnRect());

        // A later change of layout is the view's own to compute again.
        view.setFit(ViewFit::Stretch);
        reference.setFit(ViewFit::Stretch);
        EXPECT_EQ(view.rendered(), reference.rendered());
    }
}

// A view that remembers what it was asked to paint.
class PaintRecordingView : public ImageView {
public:
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        painted |= event->region();
        ImageView::paintEvent(event);
    }
};

TEST(ImageViewFollowingFrames, PaintsOnlyWhatChangedSinceTheRenderItShows) {
    PaintRecordingView view;
    view.resize(200, 150);
    view.setFit(ViewFit::Stretch);
    view.show();
    QDeadlineTimer exposed(5000);
    while (!(view.windowHandle() && view.windowHandle()->isExposed()) && !exposed.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(view.windowHandle()->isExposed());

    const QImage picture = gradient({400, 300});
    const vz::ViewLayout layout{view.size(), view.fit(), view.scaleFactor()};
    vz::ResampleScratch scratch;
    const auto renderOf = [&](std::uint64_t frame, std::uint64_t since, const QRegion& changed) {
        vz::ViewRender render;
        vz::renderViewCopy(picture, layout, render, scratch);
        render.frame = frame;
        render.since = since;
        render.changed = changed;
        return render;
    };
    const auto paintedAfter = [&](const vz::ViewRender& render) {
        QApplication::processEvents();
        view.painted = QRegion();
        view.setRenderedPicture(picture, render);
        QDeadlineTimer deadline(5000);
        while (view.painted.isEmpty() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
        return view.painted;
    };
    const QRegion all(view.rect());
    EXPECT_EQ(paintedAfter(renderOf(1, 0, all)), all);
    const QRegion small = QRegion(10, 10, 5, 5) | QRegion(150, 100, 3, 7);
    EXPECT_EQ(paintedAfter(renderOf(2, 1, small)), small);
    // A frame that does not follow the one shown (one was skipped) paints all.
    EXPECT_EQ(paintedAfter(renderOf(4, 3, small)), all);
    // Nor does one after the view computed a render of its own.
    view.setFit(ViewFit::Stretch);
    view.setScaleFactor(2.0f);
    EXPECT_EQ(paintedAfter(renderOf(5, 4, small)), all);
}

TEST_F(ImageViewTest, ScaleFactorIsRaisedToAThousandth) {
    view.setScaleFactor(0.0f);
    EXPECT_FLOAT_EQ(view.scaleFactor(), 0.001f);
    view.setScaleFactor(-3.0f);
    EXPECT_FLOAT_EQ(view.scaleFactor(), 0.001f);
}

TEST_F(ImageViewTest, CopiesThePicture) {
    QImage picture = filled({10, 10}, qRgb(1, 2, 3));
    view.setPicture(picture);
    picture.fill(qRgb(9, 9, 9));
    EXPECT_EQ(view.picture().pixel(5, 5), qRgb(1, 2, 3));
}

TEST_F(ImageViewTest, DoubleClickIsSignalled) {
    int signalled = 0;
    QObject::connect(&view, &ImageView::doubleClicked, [&] { ++signalled; });
    const QPointF at(10, 10);
    QMouseEvent click(QEvent::MouseButtonDblClick, at, view.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&view, &click);
    EXPECT_EQ(signalled, 1);
}

}  // namespace
