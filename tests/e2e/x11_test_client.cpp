#include "x11_test_client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

X11TestClient::X11TestClient() : display_(XOpenDisplay(nullptr)) {}

X11TestClient::~X11TestClient() {
    if (display_) XCloseDisplay(display_);
}

unsigned long X11TestClient::createWindow(const WindowSetup& setup) {
    Display* display = display_;
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = setup.background & 0xffffff;  // 24-bit TrueColor
    attributes.override_redirect = setup.overrideRedirect ? True : False;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), setup.geometry.x(), setup.geometry.y(),
                      unsigned(setup.geometry.width()), unsigned(setup.geometry.height()), 0, CopyFromParent,
                      InputOutput, CopyFromParent, CWBackPixel | CWOverrideRedirect, &attributes);

    // Where the window manager should put it: where we asked.
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = setup.geometry.x();
    hints.y = setup.geometry.y();
    hints.width = setup.geometry.width();
    hints.height = setup.geometry.height();
    XSetWMNormalHints(display, window, &hints);

    if (!setup.utf8Title.isEmpty())
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(setup.utf8Title.constData()),
                        int(setup.utf8Title.size()));
    if (!setup.latin1Title.isEmpty())
        XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(setup.latin1Title.constData()),
                        int(setup.latin1Title.size()));
    if (!setup.wmClass.isEmpty()) {
        QByteArray instance = setup.instance, wmClass = setup.wmClass;
        XClassHint hint{instance.data(), wmClass.data()};
        XSetClassHint(display, window, &hint);
    }
    if (setup.withPid) {
        const long pid = long(getpid());
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        XTextProperty machine{};
        char* hostList[] = {host};
        if (XStringListToTextProperty(hostList, 1, &machine)) {
            XSetWMClientMachine(display, window, &machine);
            XFree(machine.value);
        }
    }
    if (setup.map) XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void X11TestClient::destroyWindow(unsigned long window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

void X11TestClient::iconify(unsigned long window) {
    XIconifyWindow(display_, window, DefaultScreen(display_));
    XSync(display_, False);
}

void X11TestClient::fillRoot(const QRect& rect, QRgb colour) {
    const Window root = DefaultRootWindow(display_);
    XGCValues values{};
    values.foreground = colour & 0xffffff;
    const GC gc = XCreateGC(display_, root, GCForeground, &values);
    XFillRectangle(display_, root, gc, rect.x(), rect.y(), unsigned(rect.width()), unsigned(rect.height()));
    XFreeGC(display_, gc);
    XSync(display_, False);
}

void X11TestClient::sync() { XSync(display_, False); }

unsigned long X11TestClient::supportingWmCheck() {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    unsigned long window = 0;
    if (XGetWindowProperty(display_, DefaultRootWindow(display_),
                           XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &remaining, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1)
        window = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    return window;
}

void X11TestClient::ownSelection(const QByteArray& name, unsigned long window) {
    XSetSelectionOwner(display_, XInternAtom(display_, name.constData(), False), Window(window), CurrentTime);
    XSync(display_, False);
}

void X11TestClient::setSupportingWmCheck(unsigned long window) {
    const long value = long(window);
    XChangeProperty(display_, DefaultRootWindow(display_), XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False),
                    XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&value), 1);
    XSync(display_, False);
}
