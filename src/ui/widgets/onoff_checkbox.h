#pragma once
// The two-state option box: a small tick box followed by its caption, white
// on the panel. The caption ("On"/"Off") is set by whoever handles clicked();
// the box never changes it by itself. Setting the state from code emits no
// clicked(), so no click handler runs.

#include <QAbstractButton>

namespace vz {

class OnOffCheckBox : public QAbstractButton {
    Q_OBJECT
public:
    explicit OnOffCheckBox(QWidget* parent = nullptr);
    explicit OnOffCheckBox(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

}  // namespace vz
