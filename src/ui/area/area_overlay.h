#pragma once
// AreaOverlay: a frozen picture of the primary monitor on which the user
// drags the rectangle of the screen that matters (the part of the desktop to
// mirror, or the mouse area of the cursor lock). A view of the controller:
// it shows the controller's snapshot and hands the rectangle back to it.

#include "core/controller/controller.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

class QLabel;

namespace vz {

class AreaOverlay : public QWidget {
    Q_OBJECT
public:
    explicit AreaOverlay(Controller& controller);
    ~AreaOverlay() override;

    // Takes the controller's snapshot and covers the whole primary monitor
    // with it, modally, above every other window.
    void bringUp();

    QLabel* banner = nullptr;  // the red instruction
    // The picture as shown: the snapshot with the drag frame inverted into it.
    const QImage& picture() const { return picture_; }
    bool dragging() const { return dragging_; }

    // Inverts the pixels under the frame from `a` to `b` (dashed, 3 pixels
    // wide); drawing the same frame twice gives the picture back.
    static void invertFrame(QImage& picture, QPoint a, QPoint b);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showFrame(QPoint end);
    void hideFrame();

    Controller& controller_;
    QImage picture_;
    bool dragging_ = false;
    bool frameShown_ = false;  // a frame from anchor_ to end_ is in the picture
    QPoint anchor_, end_;
};

}  // namespace vz
