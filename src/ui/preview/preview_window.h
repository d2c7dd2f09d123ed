#pragma once
// PreviewWindow: the preview window on the primary monitor.

#include <QPoint>
#include <QWidget>

#include "core/controller/controller.h"

class QAction;
class QLabel;
class QMenu;

namespace vz {

class ImageView;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(Controller& controller);

    QWidget* picturePanel = nullptr;
    ImageView* previewView = nullptr;  // fixed to Resize, factor 1.0
    QLabel* bannerStrip = nullptr;     // stands for the scrolling band; hidden
    QMenu* contextMenu = nullptr;      // "Close"
    QAction* closeAction = nullptr;

    void onActivated();
    // Docks the band at the top (true) or bottom edge of the window.
    void dockBand(bool atTop);

protected:
    void closeEvent(QCloseEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void changeEvent(QEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frameless window is resized by dragging its edges.
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    Qt::Edges edgesAt(QPoint pos) const;
    Controller& controller_;
    bool dragging_ = false;
    QPoint dragStart_;    // global pointer position at the button press
    QPoint windowStart_;  // window position at the button press
    Qt::Edges resizing_;  // edges being dragged by hand
    QRect resizeStart_;   // geometry when the edge drag began
};

}  // namespace vz
