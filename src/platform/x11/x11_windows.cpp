#include "platform/x11/x11_windows.h"

#include "platform/image_copy.h"
#include "platform/posix/process_path.h"
#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_image_convert.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

#include <unistd.h>

#include <iterator>
#include <thread>
#include <vector>

namespace vz::x11 {

struct X11Windows::Frame {
    Window id = 0;
    QRect outer;  // border included, root coordinates
    int border = 0;
    Visual* visual = nullptr;
    bool viewable = false;
};

struct X11Windows::Atoms {
    Atom clientList, supportingWmCheck, wmName, utf8String, wmState, wmPid, wmClientMachine, windowType, typeDesktop,
        typeDock;
};

namespace {

// How long applications get to redraw their windows into the off-screen
// copies the server makes when they are first redirected.
constexpr std::chrono::milliseconds kRedrawAfterRedirect{150};

}  // namespace

X11Windows::X11Windows(std::shared_ptr<Connection> connection, Redirect redirect)
    : connection_(std::move(connection)), atoms_(std::make_unique<Atoms>()), redirect_(redirect) {
    Display* display = connection_->display();
    char* names[] = {const_cast<char*>("_NET_CLIENT_LIST"),
                     const_cast<char*>("_NET_SUPPORTING_WM_CHECK"),
                     const_cast<char*>("_NET_WM_NAME"),
                     const_cast<char*>("UTF8_STRING"),
                     const_cast<char*>("WM_STATE"),
                     const_cast<char*>("_NET_WM_PID"),
                     const_cast<char*>("WM_CLIENT_MACHINE"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE_DESKTOP"),
                     const_cast<char*>("_NET_WM_WINDOW_TYPE_DOCK")};
    Atom atoms[std::size(names)] = {};
    XInternAtoms(display, names, int(std::size(names)), False, atoms);
    *atoms_ = Atoms{atoms[0], atoms[1], atoms[2], atoms[3], atoms[4], atoms[5], atoms[6], atoms[7], atoms[8], atoms[9]};

    if (redirect_ == Redirect::AllWindows && connection_->hasComposite()) {
        ErrorTrap trap(display);
        XCompositeRedirectSubwindows(display, connection_->root(), CompositeRedirectAutomatic);
        redirectedAll_ = trap.sync();
        settledAt_ = std::chrono::steady_clock::now() + kRedrawAfterRedirect;
    }
}

X11Windows::~X11Windows() {
    if (!redirected_ && !redirectedAll_) return;
    ErrorTrap trap(connection_->display());
    if (redirected_) XCompositeUnredirectWindow(connection_->display(), redirected_, CompositeRedirectAutomatic);
    if (redirectedAll_)
        XCompositeUnredirectSubwindows(connection_->display(), connection_->root(), CompositeRedirectAutomatic);
}

bool X11Windows::findFrame(WindowId window, Frame& frame) {
    Display* display = connection_->display();
    const Window root = connection_->root();
    if (window == 0 || window == root) return false;
    ErrorTrap trap(display);
    Window current = Window(window);
    // Walk up until the parent is the root: that ancestor is the frame.
    for (;;) {
        Window rootReturn = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, current, &rootReturn, &parent, &children, &count) || trap.failed()) return false;
        if (children) XFree(children);
        if (parent == root || parent == 0) break;
        current = parent;
    }
    // A minimised client is unmapped while its frame may still be mapped for
    // a moment: the client tells.
    XWindowAttributes attributes;
    if (current != Window(window) && (!XGetWindowAttributes(display, Window(window), &attributes) || trap.failed()))
        return false;
    const bool clientViewable = current == Window(window) || attributes.map_state == IsViewable;
    if (!XGetWindowAttributes(display, current, &attributes) || trap.failed()) return false;
    frame.id = current;
    frame.border = attributes.border_width;
    frame.outer = QRect(attributes.x, attributes.y, attributes.width + 2 * attributes.border_width,
                        attributes.height + 2 * attributes.border_width);
    frame.visual = attributes.visual;
    frame.viewable = clientViewable && attributes.map_state == IsViewable;
    return true;
}

QRect X11Windows::outerGeometry(WindowId window) {
    Frame frame;
    return findFrame(window, frame) ? frame.outer : QRect();
}

bool X11Windows::captureWindow(WindowId window, QImage& into) {
    if (redirectedAll_) std::this_thread::sleep_until(settledAt_);
    Frame frame;
    if (!findCapturable(window, frame)) return false;
    // A window redirected now shows its covered parts only once its
    // application has redrawn them into the new off-screen copy.
    if (redirect_ == Redirect::OneWindow && connection_->hasComposite() && frame.id != redirected_ &&
        redirectOnly(frame.id))
        std::this_thread::sleep_for(kRedrawAfterRedirect);
    return captureFrame(frame, into);
}

bool X11Windows::redirectOnly(unsigned long frame) {
    Display* display = connection_->display();
    ErrorTrap trap(display);
    if (redirected_) XCompositeUnredirectWindow(display, redirected_, CompositeRedirectAutomatic);
    redirected_ = 0;
    XCompositeRedirectWindow(display, frame, CompositeRedirectAutomatic);
    if (!trap.sync()) return false;
    redirected_ = frame;
    return true;
}

bool X11Windows::captureWindowNow(WindowId window, QImage& into) {
    Frame frame;
    return findCapturable(window, frame) && captureFrame(frame, into);
}

bool X11Windows::findCapturable(WindowId window, Frame& frame) {
    return findFrame(window, frame) && frame.viewable && !frame.outer.isEmpty();
}

bool X11Windows::captureFrame(const Frame& frame, QImage& into) {
    if (connection_->hasComposite() && captureComposited(frame, into)) return true;
    return captureFromScreen(frame, into);
}

namespace {

// Pixmap images carry no colour masks; they have the window's layout.
bool deliver(XImage* image, const Visual* visual, QImage& into, const QRect& outer, QPoint at) {
    if (!image) return false;
    if (!image->red_mask && visual) {
        image->red_mask = visual->red_mask;
        image->green_mask = visual->green_mask;
        image->blue_mask = visual->blue_mask;
    }
    const bool readable = canCopyXImage(image);
    if (readable) {
        ensureFrame(into, outer.size());
        if (QRect(at, QSize(image->width, image->height)) != QRect(QPoint(0, 0), outer.size())) into.fill(Qt::black);
        copyXImage(image, into, at);
    }
    XDestroyImage(image);
    return readable;
}

}  // namespace

bool X11Windows::captureComposited(const Frame& frame, QImage& into) {
    Display* display = connection_->display();
    // Automatic redirection keeps a copy of the frame off-screen while the
    // server still shows it as usual; the pixmap includes the border.
    if (!redirectedAll_ && redirected_ != frame.id && !redirectOnly(frame.id)) return false;
    XImage* image = nullptr;
    {
        ErrorTrap trap(display);
        const Pixmap pixmap = XCompositeNameWindowPixmap(display, frame.id);
        if (!trap.sync()) return false;
        image = XGetImage(display, pixmap, 0, 0, unsigned(frame.outer.width()), unsigned(frame.outer.height()),
                          AllPlanes, ZPixmap);
        XFreePixmap(display, pixmap);
        if (!trap.sync() && image) {
            XDestroyImage(image);
            image = nullptr;
        }
    }
    return deliver(image, frame.visual, into, frame.outer, QPoint(0, 0));
}

bool X11Windows::captureFromScreen(const Frame& frame, QImage& into) {
    // XGetImage of a window wants the rectangle on the screen: read the part
    // that is, leave the rest black. Window coordinates start inside the border.
    const QRect visible = frame.outer & QRect(QPoint(0, 0), connection_->rootSize());
    if (visible.isEmpty()) return false;
    const QPoint offset = visible.topLeft() - frame.outer.topLeft();
    Display* display = connection_->display();
    XImage* image = nullptr;
    {
        ErrorTrap trap(display);
        image = XGetImage(display, frame.id, offset.x() - frame.border, offset.y() - frame.border,
                          unsigned(visible.width()), unsigned(visible.height()), AllPlanes, ZPixmap);
        if (!trap.sync() && image) {
            XDestroyImage(image);
            image = nullptr;
        }
    }
    return deliver(image, frame.visual, into, frame.outer, offset);
}

namespace {

// A whole property of the given type and format; empty when the window has
// none. Items of format 32 come as longs, as Xlib hands them over.
template <typename Item>
std::vector<Item> readProperty(Display* display, Window window, Atom property, Atom type, int format) {
    Atom actualType = 0;
    int actualFormat = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Item> items;
    if (XGetWindowProperty(display, window, property, 0, 1 << 20, False, type, &actualType, &actualFormat, &count,
                           &remaining, &data) == Success &&
        actualType == type && actualFormat == format && data) {
        const Item* first = reinterpret_cast<const Item*>(data);
        items.assign(first, first + count);
    }
    if (data) XFree(data);
    return items;
}

std::vector<unsigned long> readLongs(Display* display, Window window, Atom property, Atom type) {
    return readProperty<unsigned long>(display, window, property, type, 32);
}

// Text properties may hold several strings separated by zero bytes: the first.
QByteArray firstString(const std::vector<char>& bytes) {
    return QByteArray(bytes.data(), int(bytes.size())).split('\0').value(0);
}

QString hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return QString();
    return QString::fromLocal8Bit(name);
}

}  // namespace

QVector<unsigned long> X11Windows::clientWindows() {
    Display* display = connection_->display();
    const Window root = connection_->root();
    ErrorTrap trap(display, false);  // every request here waits for its reply
    // A window manager that went away may leave its list behind: believe the
    // list only while the manager's check window is there.
    const auto check = readLongs(display, root, atoms_->supportingWmCheck, XA_WINDOW);
    if (!check.empty()) {
        const auto own = readLongs(display, check.front(), atoms_->supportingWmCheck, XA_WINDOW);
        if (!trap.failed() && !own.empty() && own.front() == check.front()) {
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, remaining = 0;
            unsigned char* data = nullptr;
            const bool present = XGetWindowProperty(display, root, atoms_->clientList, 0, 0, False, XA_WINDOW, &type,
                                                    &format, &count, &remaining, &data) == Success &&
                                 type == XA_WINDOW;
            if (data) XFree(data);
            if (present) {
                const auto list = readLongs(display, root, atoms_->clientList, XA_WINDOW);
                return QVector<unsigned long>(list.begin(), list.end());
            }
        }
    }
    return {};
}

QVector<unsigned long> X11Windows::rootChildClients() {
    Display* display = connection_->display();
    const auto children = [&](Window window) {
        Window rootReturn = 0, parent = 0;
        Window* list = nullptr;
        unsigned count = 0;
        QVector<unsigned long> result;
        if (XQueryTree(display, window, &rootReturn, &parent, &list, &count) && list)
            result = QVector<unsigned long>(list, list + count);
        if (list) XFree(list);
        return result;
    };
    const auto hasState = [&](Window window) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, window, atoms_->wmState, 0, 0, False, AnyPropertyType, &type, &format, &count,
                           &remaining, &data);
        if (data) XFree(data);
        return type != 0;
    };
    // The client inside a frame: the nearest descendant with WM_STATE.
    const std::function<Window(Window, int)> clientIn = [&](Window window, int depth) -> Window {
        if (hasState(window)) return window;
        if (depth == 0) return 0;
        for (const unsigned long child : children(window))
            if (const Window client = clientIn(child, depth - 1)) return client;
        return 0;
    };
    QVector<unsigned long> topLevel;
    {
        ErrorTrap trap(display, false);  // every request here waits for its reply
        topLevel = children(connection_->root());
    }
    QVector<unsigned long> clients;
    for (const unsigned long child : topLevel) {
        // A trap per window: one that vanishes meanwhile leaves the others alone.
        ErrorTrap trap(display, false);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, child, &attributes) || trap.failed()) continue;
        if (attributes.override_redirect || attributes.c_class == InputOnly) continue;
        const Window client = clientIn(child, 3);
        if (!trap.failed()) clients << (client ? client : child);
    }
    return clients;
}

QVector<WindowInfo> X11Windows::listWindows() {
    QVector<unsigned long> windows = clientWindows();
    if (windows.isEmpty()) windows = rootChildClients();
    QVector<WindowInfo> list;
    list.reserve(windows.size());
    for (const unsigned long window : windows) {
        WindowInfo info;
        if (describe(window, info)) list << info;
    }
    return list;
}

bool X11Windows::describe(unsigned long window, WindowInfo& info) {
    Frame frame;
    if (!findFrame(window, frame)) return false;
    Display* display = connection_->display();
    ErrorTrap trap(display, false);  // every request here waits for its reply
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || trap.failed()) return false;
    info.id = window;
    info.outer = frame.outer;
    info.visible = attributes.map_state == IsViewable;

    const QByteArray netName = firstString(readProperty<char>(display, window, atoms_->wmName, atoms_->utf8String, 8));
    if (!netName.isEmpty()) {
        info.title = QString::fromUtf8(netName);
    } else {
        XTextProperty text{};
        if (XGetWMName(display, window, &text) && text.value) {
            const QByteArray bytes = firstString(std::vector<char>(text.value, text.value + text.nitems));
            if (text.encoding == XA_STRING) {
                info.title = QString::fromLatin1(bytes);
            } else if (text.encoding == atoms_->utf8String) {
                info.title = QString::fromUtf8(bytes);
            } else {  // COMPOUND_TEXT and the like: Xlib converts
                char** strings = nullptr;
                int count = 0;
                if (Xutf8TextPropertyToTextList(display, &text, &strings, &count) >= Success && count > 0)
                    info.title = QString::fromUtf8(strings[0]);
                else
                    info.title = QString::fromLatin1(bytes);
                if (strings) XFreeStringList(strings);
            }
        }
        if (text.value) XFree(text.value);
    }

    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) {
        info.instanceName = QString::fromLatin1(hint.res_name);
        info.className = QString::fromLatin1(hint.res_class);
    }
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);

    for (const unsigned long type : readLongs(display, window, atoms_->windowType, XA_ATOM))
        info.desktopOrPanel |= type == atoms_->typeDesktop || type == atoms_->typeDock;

    if (const auto pid = readLongs(display, window, atoms_->wmPid, XA_CARDINAL); !pid.empty()) {
        info.processId = qint64(pid.front());
        // A process id is only meaningful on the machine the client runs on.
        const QByteArray machine =
            firstString(readProperty<char>(display, window, atoms_->wmClientMachine, XA_STRING, 8));
        if (machine.isEmpty() || QString::fromLatin1(machine) == hostName())
            info.programPath = executableOfProcess(info.processId);
    }
    return !trap.failed();
}

}  // namespace vz::x11
