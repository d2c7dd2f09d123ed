#pragma once
// A slider with a thin groove and tick marks every tickInterval(), styled
// for the dark panels. Horizontal: ticks below, the smallest value at the
// left. Vertical: ticks to the right, the smallest value at the top, and the
// keys and the wheel move the handle the way they point (Up, Left, Page Up
// and the wheel turned away from the user toward the top), as a vertical
// track bar does.

#include <QSlider>

namespace vz {

class TrackBar : public QSlider {
    Q_OBJECT
public:
    TrackBar(int min, int max, QWidget* parent = nullptr);
    TrackBar(Qt::Orientation orientation, int min, int max, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vz
