#pragma once
// Which window lies above which: message boxes and dialogs belong to the
// window that opened them, and the windows that stay on top (the window
// picker, the preview, the toolbar) step down into the ordinary layer while
// a dialog the user must answer is open, so that nothing hides it.

class QApplication;
class QWidget;

namespace vz::stacking {

// The window a message box or dialog opened now belongs to: the modal
// dialog in force, else the active window, else null.
QWidget* dialogOwner();

// Makes the top-level `dialog` belong to `owner` for the window manager
// (kept above it, never in the task bar of its own) without making it a
// child widget; a null owner, or the dialog itself, leaves it on its own.
void belongTo(QWidget* dialog, QWidget* owner);

// Whether a dialog the user must answer is shown: a message box, a file
// dialog, or any other top-level dialog that does not stay on top itself
// and is not the program's main window.
bool dialogOpen();

// Marks the dialog that serves as the program's main window (the settings
// dialog): the windows on top stay on top while it is open.
void markMainWindow(QWidget* dialog);

// Marks `window` (one that stays on top) as one that leaves the top layer
// while a dialog is open and goes back once the last one has closed.
void yieldToDialogs(QWidget* window);

// Whether `window` stays on top right now (its hint, unless it stepped down
// for a dialog).
bool staysOnTop(const QWidget* window);

// Whether the window system, not the program, decides where windows go and
// which stays above which (Wayland): a position given to a window is not
// honoured, and neither is staying on top; full screen on a chosen screen is.
bool windowSystemPlacesWindows();

// Watches the application's windows for dialogs shown and hidden; once per
// program, before the first window is shown.
void install(QApplication* application);

}  // namespace vz::stacking
