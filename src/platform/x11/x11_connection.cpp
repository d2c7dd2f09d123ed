#include "platform/x11/x11_connection.h"

#include <QByteArray>

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

namespace vz::x11 {

std::unique_ptr<Connection> Connection::open(QString* error) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        if (error) *error = QStringLiteral("DISPLAY is not set");
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        if (error) *error = QStringLiteral("cannot open X display '%1'").arg(QString::fromLocal8Bit(name));
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(display));
}

Connection::Connection(_XDisplay* display) : display_(display) {
    root_ = DefaultRootWindow(display_);
    shm_ = XShmQueryExtension(display_);

    int event = 0, err = 0;
    if (XFixesQueryExtension(display_, &event, &err)) {
        int major = 0, minor = 0;
        // XFixes wants the client's version announced before any other request.
        XFixesQueryVersion(display_, &major, &minor);
        fixes_ = major >= 1;  // cursor images came with version 1
    }
    if (XRRQueryExtension(display_, &event, &err)) {
        int major = 0, minor = 0;
        if (XRRQueryVersion(display_, &major, &minor)) randr15_ = major > 1 || (major == 1 && minor >= 5);
    }
    if (XCompositeQueryExtension(display_, &event, &err)) {
        int major = 0, minor = 2;
        if (XCompositeQueryVersion(display_, &major, &minor))
            composite_ = major > 0 || minor >= 2;  // NameWindowPixmap came with 0.2
    }
}

Connection::~Connection() { XCloseDisplay(display_); }

QSize Connection::rootSize() const {
    Window rootReturn = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display_, root_, &rootReturn, &x, &y, &width, &height, &border, &depth))
        return QSize(DisplayWidth(display_, DefaultScreen(display_)), DisplayHeight(display_, DefaultScreen(display_)));
    return QSize(int(width), int(height));
}

}  // namespace vz::x11

namespace vz::x11 {

bool Connection::compositingManagerRunning() const {
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display_));
    const Atom selection = XInternAtom(display_, name.constData(), False);
    return selection != None && XGetSelectionOwner(display_, selection) != None;
}

}  // namespace vz::x11
