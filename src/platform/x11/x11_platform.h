#pragma once
// The real platform for Linux/X11. No X11 header is included from here.

#include "platform/platform.h"

namespace vz {

// Opens the X display named by $DISPLAY and builds every service except the
// prompter (left null; the shell supplies a Qt one). When no display can be
// opened, `monitors`, `screen`, `pointer`, `windows`, `globalKeys` and
// `pointerFence` are null and `*error` says why; the instance lock and the
// paths work without a display. Call it on the UI thread: the global keys and
// the pointer fence deliver their events there.
Platform makeX11Platform(QString* error);

// A window service on a connection of its own, for a worker thread. By
// default it keeps every top-level window's contents off-screen while it
// lives, so that many windows can be captured in turn with their covered
// parts; `oneWindow` keeps only the window being captured. Null, with
// `*error` set, when the display cannot be opened.
std::unique_ptr<Windows> makeX11WindowsOnOwnConnection(QString* error, bool oneWindow = false);

}  // namespace vz
