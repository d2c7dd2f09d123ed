#include "platform/x11/x11_windows.h"

#include "core/capture/image_copy.h"
#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_image_convert.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

namespace vz::x11 {

struct X11Windows::Frame {
    Window id = 0;
    QRect outer;  // border included, root coordinates
    int border = 0;
    Visual* visual = nullptr;
    bool viewable = false;
};

X11Windows::X11Windows(std::shared_ptr<Connection> connection) : connection_(std::move(connection)) {}

X11Windows::~X11Windows() {
    if (redirected_) {
        ErrorTrap trap(connection_->display());
        XCompositeUnredirectWindow(connection_->display(), redirected_, CompositeRedirectAutomatic);
    }
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
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, current, &attributes) || trap.failed()) return false;
    frame.id = current;
    frame.border = attributes.border_width;
    frame.outer = QRect(attributes.x, attributes.y, attributes.width + 2 * attributes.border_width,
                        attributes.height + 2 * attributes.border_width);
    frame.visual = attributes.visual;
    frame.viewable = attributes.map_state == IsViewable;
    return true;
}

QRect X11Windows::outerGeometry(WindowId window) {
    Frame frame;
    return findFrame(window, frame) ? frame.outer : QRect();
}

bool X11Windows::captureWindow(WindowId window, QImage& into) {
    Frame frame;
    if (!findFrame(window, frame) || !frame.viewable || frame.outer.isEmpty()) return false;
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
        if (QRect(at, QSize(image->width, image->height)) != QRect(QPoint(0, 0), outer.size()))
            into.fill(Qt::black);
        copyXImage(image, into, at);
    }
    XDestroyImage(image);
    return readable;
}

}  // namespace

bool X11Windows::captureComposited(const Frame& frame, QImage& into) {
    Display* display = connection_->display();
    XImage* image = nullptr;
    {
        ErrorTrap trap(display);
        // Automatic redirection keeps a copy of the frame off-screen while
        // the server still shows it as usual; the pixmap includes the border.
        if (redirected_ != frame.id) {
            if (redirected_) XCompositeUnredirectWindow(display, redirected_, CompositeRedirectAutomatic);
            redirected_ = 0;
            XCompositeRedirectWindow(display, frame.id, CompositeRedirectAutomatic);
            if (!trap.sync()) return false;
            redirected_ = frame.id;
        }
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

}  // namespace vz::x11
