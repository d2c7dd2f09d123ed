#pragma once
// The platform for Linux Wayland sessions. Wayland gives a program no view
// of the desktop beyond its own windows: the screen comes through the
// desktop's screen-cast portal and PipeWire, the monitors from Qt (which
// reads the compositor's outputs), and what Wayland does not allow at all
// (holding the pointer in a rectangle of the desktop, listing and copying
// other programs' windows) is said once, in words a user understands.

#include "platform/platform.h"

#include <functional>

namespace vz {

// Builds every service except the prompter (the shell supplies a Qt one).
// Needs the QGuiApplication (on the Wayland platform plugin) made first; call
// it on the user-interface thread. `tell` receives each notice once, on
// that thread, whichever thread found it out.
Platform makeWaylandPlatform(std::function<void(const QString& text)> tell);

// Whether this start should use the Wayland platform: a Wayland display and
// no X display, unless Qt is told otherwise; or Qt is told to use Wayland
// (QT_QPA_PLATFORM=wayland, or the "-platform wayland" option in `args`).
bool wantsWaylandSession(int argc, char** argv);

}  // namespace vz
