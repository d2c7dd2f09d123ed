// The preview window: its picture, placement rules, dragging and closing.

#include "app_fixture.h"

#include "ui/widgets/image_view.h"
#include "ui/settings/settings_dialog.h"
#include "ui/preview/preview_window.h"
#include "ui/widgets/onoff_checkbox.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

namespace vz::test {
namespace {

void sendMouse(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons) {
    const QPointF local = w->mapFromGlobal(QPointF(global));
    QMouseEvent e(type, local, QPointF(global), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

class PreviewTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        startApp();
        preview().show();
        QCoreApplication::processEvents();
    }
    PreviewWindow& preview() { return *app->preview; }
    // Drags the picture from `from` by `delta` (global coordinates).
    void drag(QPoint from, QPoint delta, Qt::MouseButton button) {
        QWidget* view = preview().previewView;
        sendMouse(view, QEvent::MouseButtonPress, from, button, button);
        sendMouse(view, QEvent::MouseMove, from + delta / 2, Qt::NoButton, button);
        sendMouse(view, QEvent::MouseMove, from + delta, Qt::NoButton, button);
        sendMouse(view, QEvent::MouseButtonRelease, from + delta, button, Qt::NoButton);
    }
};

TEST_F(PreviewTest, DesignWindow) {
    app.reset();
    startApp();
    PreviewWindow& p = preview();
    EXPECT_FALSE(p.isVisible());
    EXPECT_EQ(p.windowTitle(), QStringLiteral("Preview-105202"));
    const Qt::WindowFlags f = p.windowFlags();
    EXPECT_TRUE(f.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(f.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(p.pos(), QPoint(1348, 145));
    EXPECT_EQ(p.previewView->fit(), ViewFit::Resize);
    EXPECT_FLOAT_EQ(p.previewView->scaleFactor(), 1.0f);
    EXPECT_TRUE(p.bannerStrip->isHidden());
    EXPECT_EQ(p.picturePanel->palette().color(QPalette::Window), QColor(68, 68, 68));
    EXPECT_EQ(p.closeAction->text(), QStringLiteral("Close"));
}

TEST_F(PreviewTest, WideFrameIsLetterboxedInTheDesignSizeView) {
    ASSERT_EQ(preview().previewView->size(), QSize(284, 178));
    QImage frame(1920, 1080, QImage::Format_RGB32);
    frame.fill(Qt::white);
    preview().previewView->setPicture(frame);
    EXPECT_EQ(preview().previewView->drawnRect(), QRect(0, 9, 284, 160));
}

TEST_F(PreviewTest, TheBandTakesItsHeightFromTheView) {
    preview().bannerStrip->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(preview().previewView->size(), QSize(284, 172));
    EXPECT_EQ(preview().bannerStrip->geometry().top(), preview().picturePanel->geometry().bottom() + 1);
    preview().dockBand(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(preview().bannerStrip->geometry().bottom() + 1, preview().picturePanel->geometry().top());
}

TEST_F(PreviewTest, ActivationPullsTheWindowBackOntoThePrimaryScreen) {
    const int width = preview().frameGeometry().width();
    const struct {
        QPoint at, expected;
    } cases[] = {
        {{1348, 145}, {1348, 145}},
        {{1000, 1021}, {1000, 1015}},
        // Pulled to 1670 first; the right edge still passes the screen, so
        // the move rule puts it 2 pixels inside.
        {{1821, 1050}, {1920 - width - 2, 1015}},
        {{-40, -40}, {-40, -40}},
    };
    for (const auto& c : cases) {
        preview().move(c.at);
        preview().onActivated();
        EXPECT_EQ(preview().pos(), c.expected) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(PreviewTest, TheDialogsToggleFollowsThePreviewWithoutActivation) {
    OnOffCheckBox& box = *app->settingsDialog->previewBox;
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(box.text(), QStringLiteral("On"));
    preview().hide();
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(box.text(), QStringLiteral("Off"));
    EXPECT_FALSE(controller().isShown(View::Preview));
    preview().show();
    EXPECT_TRUE(box.isChecked());
    EXPECT_TRUE(controller().isShown(View::Preview));
}

TEST_F(PreviewTest, DraggingThePictureMovesTheWindowWithAnyButton) {
    const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
    for (Qt::MouseButton b : buttons) {
        preview().move(500, 400);
        const QPoint grab = preview().previewView->mapToGlobal(QPoint(50, 40));
        drag(grab, QPoint(120, -70), b);
        EXPECT_EQ(preview().pos(), QPoint(620, 330)) << int(b);
    }
    // Moves after the release do nothing.
    sendMouse(preview().previewView, QEvent::MouseMove, QPoint(10, 10), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(preview().pos(), QPoint(620, 330));
}

TEST_F(PreviewTest, DraggingPastTheRightEdgeStopsTwoPixelsInside) {
    preview().move(1000, 300);
    const QPoint grab = preview().previewView->mapToGlobal(QPoint(50, 40));
    drag(grab, QPoint(2000, 10), Qt::LeftButton);
    EXPECT_EQ(preview().frameGeometry().right() + 1, 1920 - 2);
    EXPECT_EQ(preview().y(), 310);
}

TEST_F(PreviewTest, CloseClearsThePictureAndHides) {
    QImage frame(64, 48, QImage::Format_RGB32);
    frame.fill(Qt::green);
    preview().previewView->setPicture(frame);
    app->settingsDialog->previewBox->setChecked(true);
    preview().closeAction->trigger();
    EXPECT_FALSE(preview().isVisible());
    EXPECT_FALSE(preview().previewView->hasPicture());
    EXPECT_FALSE(app->settingsDialog->previewBox->isChecked());
    preview().show();  // shown again, the next frame fills it
    preview().previewView->setPicture(frame);
    EXPECT_TRUE(preview().previewView->hasPicture());
}

TEST_F(PreviewTest, EdgesResizeTheWindow) {
    preview().move(300, 300);
    const QRect before = preview().geometry();
    const QPoint edge = preview().mapToGlobal(QPoint(preview().width() - 2, preview().height() - 2));
    sendMouse(&preview(), QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&preview(), QEvent::MouseMove, edge + QPoint(40, 30), Qt::NoButton, Qt::LeftButton);
    sendMouse(&preview(), QEvent::MouseButtonRelease, edge + QPoint(40, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(preview().geometry(), before.adjusted(0, 0, 40, 30));
}

}  // namespace
}  // namespace vz::test
