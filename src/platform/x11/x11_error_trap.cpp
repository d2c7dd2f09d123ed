#include "platform/x11/x11_error_trap.h"

#include <X11/Xlib.h>

namespace vz::x11 {
namespace {

// Xlib's error handler is one per process; the trap that owns it is
// serialised by this mutex, so these are only touched by the thread holding it.
std::mutex trapMutex;
Display* trappedDisplay = nullptr;
int trappedError = 0;
XErrorHandler previousHandler = nullptr;

int trapHandler(Display* display, XErrorEvent* event) {
    if (display == trappedDisplay) {
        if (!trappedError) trappedError = event->error_code;
        return 0;
    }
    return previousHandler ? previousHandler(display, event) : 0;
}

}  // namespace

ErrorTrap::ErrorTrap(_XDisplay* display, bool finalSync) : lock_(trapMutex), display_(display), finalSync_(finalSync) {
    trappedDisplay = display;
    trappedError = 0;
    previousHandler = XSetErrorHandler(trapHandler);
}

ErrorTrap::~ErrorTrap() {
    if (finalSync_) XSync(display_, False);
    XSetErrorHandler(previousHandler);
    trappedDisplay = nullptr;
    previousHandler = nullptr;
}

bool ErrorTrap::sync() {
    XSync(display_, False);
    return trappedError == 0;
}

bool ErrorTrap::failed() const { return trappedError != 0; }

int ErrorTrap::errorCode() const { return trappedError; }

}  // namespace vz::x11
