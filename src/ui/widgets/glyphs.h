#pragma once
// The program's pictures, drawn in code with QPainter: white outlines on a
// transparent background for the buttons, red screens for the tray icon.

#include <QIcon>
#include <QPixmap>

namespace vz::glyphs {

QPixmap cog();           // 19 x 19, settings
QPixmap sendToSecond();  // 42 x 16, screen -> arrow -> screen
QPixmap run();           // 16 x 16, play triangle
QPixmap stop();          // 16 x 16, two upright bars (pause)

// Source buttons of the settings dialog, 32 x 24 each.
QPixmap stopAll();            // a square
QPixmap desktop();            // a monitor
QPixmap partOfDesktop();      // a monitor with a dashed rectangle
QPixmap singleApplication();  // a window frame
QPixmap clipboard();          // a clipboard
QPixmap images();             // a picture with mountains and a sun
QPixmap scrollText();         // lines of text and an arrow
QPixmap captureImage();       // a camera

// Tray icon: red outlines of two screens with stands, 32 x 32 plus 16 and
// 22 pixel renderings.
QIcon trayIcon();
QPixmap trayPixmap(int size = 32);

}  // namespace vz::glyphs
