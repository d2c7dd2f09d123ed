#pragma once
// The program's one look: the blue-grey panel, white text, dark flat
// buttons and the tray icon's drawing as every window's icon. Windows take
// these colours from here instead of keeping copies of their own.

#include <QColor>
#include <QPalette>
#include <QString>

class QApplication;

namespace vz::look {

// The blue-grey of the dialogs.
inline const QColor kPanel(101, 104, 120);
// The dark face of a button, and the faces under the pointer and pressed.
inline const QColor kButtonFace(67, 74, 84);
inline const QColor kHoverFace(124, 124, 124);
inline const QColor kPressedFace(100, 100, 100);
inline const QColor kText(Qt::white);

// White text on the blue-grey panel; white fields with black text.
QPalette palette();
// The push buttons' style: dark, flat, white captions.
QString buttonStyle();

// Gives every window of the application the look and the icon; once per
// program, before the first window is built.
void install(QApplication* application);

}  // namespace vz::look
