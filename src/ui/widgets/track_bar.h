#pragma once
// A horizontal slider with a thin groove and tick marks below every
// tickInterval(), styled for the dark panels.

#include <QSlider>

namespace vz {

class TrackBar : public QSlider {
    Q_OBJECT
public:
    TrackBar(int min, int max, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace vz
