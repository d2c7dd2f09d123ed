#pragma once
// A number box that keeps its value within [minimum, maximum]; text that is
// not a number reads as the minimum.

#include <QSpinBox>

namespace vz {

class SpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit SpinEdit(int min = 1, int max = 1000, QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
    void fixup(QString& input) const override;
};

}  // namespace vz
