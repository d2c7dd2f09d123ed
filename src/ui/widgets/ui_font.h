#pragma once
// The one font family every window uses.

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace vz {

QFont uiFont(int pointSize = 9, bool bold = false);

// A white label on a dark panel at `at`.
QLabel* panelLabel(const QString& text, QWidget* parent, const QRect& at, int pointSize = 9, bool bold = false);
// A dialog's push button at `at` that Enter does not press.
QPushButton* panelButton(const QString& text, QWidget* parent, const QRect& at);

}  // namespace vz
