#pragma once
// Solid background colours for panels and windows.

#include <QColor>

class QWidget;

namespace vz {

// Makes `widget` paint its whole area in `colour` behind its children.
void fillBackground(QWidget* widget, const QColor& colour);

}  // namespace vz
