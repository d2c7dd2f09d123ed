#include "ui/widgets/spin_edit.h"

#include <algorithm>
#include <optional>

namespace vz {

namespace {

// The number the text holds, or nothing when it holds none.
std::optional<long long> parseNumber(const QString& text) {
    bool ok = false;
    const long long n = text.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return n;
}

}  // namespace

SpinEdit::SpinEdit(int min, int max, QWidget* parent) : QSpinBox(parent) {
    if (max < min) std::swap(min, max);
    setRange(min, max);
    setValue(min);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State SpinEdit::validate(QString& text, int& /*pos*/) const {
    // Anything may be typed; fixup() turns what is out of range or not a
    // number into a value when editing ends.
    const auto n = parseNumber(text);
    if (n && *n >= minimum() && *n <= maximum()) return QValidator::Acceptable;
    return QValidator::Intermediate;
}

int SpinEdit::valueFromText(const QString& text) const {
    const auto n = parseNumber(text);
    if (!n) return minimum();
    return int(std::clamp<long long>(*n, minimum(), maximum()));
}

void SpinEdit::fixup(QString& input) const { input = textFromValue(valueFromText(input)); }

}  // namespace vz
