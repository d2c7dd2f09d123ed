#pragma once
// A panel filled with one colour. With setDragsWindow(true) a left-button
// drag on the panel moves its top-level window.

#include <QColor>
#include <QFrame>
#include <QPoint>

namespace vz {

class MovablePanel : public QFrame {
    Q_OBJECT
public:
    explicit MovablePanel(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return color_; }

    void setDragsWindow(bool drags) { dragsWindow_ = drags; }
    bool dragsWindow() const { return dragsWindow_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor color_{67, 74, 84};
    bool dragsWindow_ = false;
    bool dragging_ = false;  // manual move in progress
    QPoint pressGlobal_;     // pointer at the press, global
    QPoint windowAtPress_;   // top-level position at the press
};

}  // namespace vz
