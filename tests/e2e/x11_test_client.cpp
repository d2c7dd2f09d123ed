#include "x11_test_client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

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

X11ClipboardOwner::X11ClipboardOwner(QByteArray type, QByteArray data, Behaviour behaviour, int piece)
    : display_(XOpenDisplay(nullptr)),
      type_(std::move(type)),
      data_(std::move(data)),
      behaviour_(behaviour),
      piece_(piece) {
    if (!display_ || pipe(stop_) != 0) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display_, XInternAtom(display_, "CLIPBOARD", False), window_, CurrentTime);
    XSync(display_, False);
    thread_ = std::thread([this] { serve(); });
}

X11ClipboardOwner::~X11ClipboardOwner() {
    if (thread_.joinable()) {
        const char stop = 1;
        (void)!write(stop_[1], &stop, 1);
        thread_.join();
    }
    if (display_) XCloseDisplay(display_);
    for (int fd : stop_)
        if (fd >= 0) close(fd);
}

void X11ClipboardOwner::serve() {
    Display* display = display_;
    const Atom targets = XInternAtom(display, "TARGETS", False);
    const Atom incr = XInternAtom(display, "INCR", False);
    const Atom type = XInternAtom(display, type_.constData(), False);
    // The transfer under way: where the next piece goes and from where.
    Window requestor = 0;
    Atom property = 0;
    qsizetype sent = 0;
    bool transferring = false;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == SelectionRequest && behaviour_ != Behaviour::Silent) {
                const XSelectionRequestEvent& request = event.xselectionrequest;
                XSelectionEvent reply{};
                reply.type = SelectionNotify;
                reply.requestor = request.requestor;
                reply.selection = request.selection;
                reply.target = request.target;
                reply.time = request.time;
                reply.property = request.property;
                if (request.target == targets) {
                    const long list[] = {long(targets), long(type)};
                    XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(list), 2);
                } else if (request.target == type && data_.size() <= piece_) {
                    XChangeProperty(display, request.requestor, request.property, type, 8, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(data_.constData()), int(data_.size()));
                } else if (request.target == type) {
                    XSelectInput(display, request.requestor, PropertyChangeMask);
                    const long size = long(data_.size());
                    XChangeProperty(display, request.requestor, request.property, incr, 32, PropModeReplace,
                                    reinterpret_cast<const unsigned char*>(&size), 1);
                    requestor = request.requestor;
                    property = request.property;
                    sent = 0;
                    transferring = true;
                } else {
                    reply.property = 0;
                }
                XSendEvent(display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
                XFlush(display);
            } else if (event.type == PropertyNotify && transferring && event.xproperty.window == requestor &&
                       event.xproperty.atom == property && event.xproperty.state == PropertyDelete) {
                // The requestor took the last piece: the next one, or an
                // empty one at the end.
                if (behaviour_ == Behaviour::DiesMidTransfer && pieces_ > 0) {
                    XCloseDisplay(display);
                    display_ = nullptr;
                    return;
                }
                const qsizetype n = std::min<qsizetype>(piece_, data_.size() - sent);
                XChangeProperty(display, requestor, property, type, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(data_.constData() + sent), int(n));
                sent += n;
                ++pieces_;
                if (n == 0) transferring = false;
                XFlush(display);
            }
        }
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {stop_[0], POLLIN, 0}};
        if (poll(fds, 2, -1) > 0 && (fds[1].revents & POLLIN)) return;
    }
}
