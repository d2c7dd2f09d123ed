#include "platform/x11/x11_clipboard_reader.h"

#include "platform/threads.h"
#include "platform/x11/x11_error_trap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <poll.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace vz::x11 {

namespace {

using Clock = std::chrono::steady_clock;

// The bytes a property's items take in Xlib's copy: 32-bit items come as
// longs.
qint64 itemSize(int format) { return format == 32 ? qint64(sizeof(long)) : format / 8; }

}  // namespace

std::unique_ptr<X11ClipboardReader> X11ClipboardReader::open(std::unique_ptr<Connection> connection,
                                                             std::chrono::milliseconds timeout) {
    if (!connection) return nullptr;
    std::unique_ptr<X11ClipboardReader> reader(new X11ClipboardReader(std::move(connection), timeout));
    if (!reader->window_ || !reader->interrupt_->valid()) return nullptr;
    return reader;
}

X11ClipboardReader::X11ClipboardReader(std::unique_ptr<Connection> connection, std::chrono::milliseconds timeout)
    : connection_(std::move(connection)), timeout_(timeout), interrupt_(std::make_unique<posix::WakeCounter>()) {
    Display* display = connection_->display();
    clipboard_ = XInternAtom(display, "CLIPBOARD", False);
    targets_ = XInternAtom(display, "TARGETS", False);
    incr_ = XInternAtom(display, "INCR", False);
    atom_ = XA_ATOM;
    property_ = XInternAtom(display, "VIVIVOZ_CLIPBOARD", False);
    // An unmapped window of our own receives the data; its property changes
    // pace an incremental transfer.
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    window_ = XCreateWindow(display, connection_->root(), -1, -1, 1, 1, 0, CopyFromParent, InputOnly, CopyFromParent,
                            CWEventMask, &attributes);
    // Told when the clipboard changes hands or its owner goes away, so a
    // transfer from an owner that died ends at once instead of at its
    // deadline.
    int error = 0;
    if (connection_->hasFixes() && XFixesQueryExtension(display, &fixesEvent_, &error))
        XFixesSelectSelectionInput(display, window_, clipboard_,
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
    else
        fixesEvent_ = -1;
    XSync(display, False);
}

X11ClipboardReader::~X11ClipboardReader() {
    if (window_) XDestroyWindow(connection_->display(), window_);
    XSync(connection_->display(), False);
}

void X11ClipboardReader::interrupt() { interrupt_->bump(); }

void X11ClipboardReader::clearInterrupt() { interrupt_->drain(); }

bool X11ClipboardReader::interrupted() const {
    pollfd wake{interrupt_->descriptor(), POLLIN, 0};
    return ::poll(&wake, 1, 0) > 0;
}

template <class Wanted>
X11ClipboardReader::Wait X11ClipboardReader::waitFor(XEvent& event, Wanted wanted) {
    Display* display = connection_->display();
    const Clock::time_point deadline = Clock::now() + timeout_;
    XFlush(display);
    for (;;) {
        while (XPending(display) > 0) {
            XNextEvent(display, &event);
            if (wanted(event)) return Wait::Got;
            // Any change of owner (XFixes' one selection event) makes the
            // answer under way worthless or never coming.
            if (fixesEvent_ >= 0 && event.type == fixesEvent_ + XFixesSelectionNotify) return Wait::OwnerChanged;
        }
        if (interrupted()) return Wait::Interrupted;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Wait::TimedOut;
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {interrupt_->descriptor(), POLLIN, 0}};
        ::poll(fds, 2, int(std::min<long long>(left, INT_MAX)));
    }
}

ClipboardReader::Reply X11ClipboardReader::transfer(unsigned long target, qint64 maxBytes, int* format,
                                                    unsigned long* propertyType) {
    Reply reply;
    Display* display = connection_->display();
    if (interrupted()) {
        reply.outcome = Outcome::Interrupted;
        return reply;
    }
    // What is queued from earlier calls (ownership changes, late answers,
    // increments of a transfer given up) is not about this one.
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent stale;
        XNextEvent(display, &stale);
    }
    XDeleteProperty(display, window_, property_);
    if (XGetSelectionOwner(display, clipboard_) == 0) return reply;  // Empty
    XConvertSelection(display, clipboard_, target, property_, window_, CurrentTime);

    const auto ended = [&reply](Wait wait) {
        reply.bytes.clear();
        reply.outcome = wait == Wait::Interrupted ? Outcome::Interrupted : Outcome::NoAnswer;
        return reply;
    };
    XEvent event;
    const Wait answered = waitFor(event, [this, target](const XEvent& e) {
        return e.type == SelectionNotify && e.xselection.requestor == window_ && e.xselection.selection == clipboard_ &&
               e.xselection.target == target;
    });
    if (answered != Wait::Got) return ended(answered);
    if (event.xselection.property == 0) return reply;  // the owner has no such data: Empty

    // Reads the property and deletes it, which asks an incremental owner
    // for its next piece. False when it holds more than may be taken.
    unsigned long type = 0;
    const auto readProperty = [&](QByteArray& into, qint64 room) {
        int itemFormat = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        const long longs = long(std::min<qint64>(room / 4 + 1, LONG_MAX / 4));
        if (XGetWindowProperty(display, window_, property_, 0, longs, True, AnyPropertyType, &type, &itemFormat, &items,
                               &after, &data) != Success)
            return false;
        const bool fits = after == 0;
        if (data && fits) {
            *format = itemFormat;
            into.append(reinterpret_cast<const char*>(data), qsizetype(items * itemSize(itemFormat)));
        }
        if (data) XFree(data);
        if (!fits) XDeleteProperty(display, window_, property_);
        return fits && into.size() <= room;
    };
    if (!readProperty(reply.bytes, maxBytes)) {
        reply.bytes.clear();
        reply.outcome = Outcome::TooLarge;
        return reply;
    }
    *propertyType = type;
    if (type != incr_) {
        reply.outcome = Outcome::Done;
        return reply;
    }

    // Incremental: the owner puts each piece into the property once we
    // have deleted the last one, and an empty piece ends the data. Its
    // first value is a lower bound of the size.
    if (reply.bytes.size() >= qsizetype(sizeof(long)) &&
        qint64(*reinterpret_cast<const long*>(reply.bytes.constData())) > maxBytes) {
        reply.bytes.clear();
        reply.outcome = Outcome::TooLarge;
        return reply;
    }
    reply.bytes.clear();
    for (;;) {
        const Wait piece = waitFor(event, [this](const XEvent& e) {
            return e.type == PropertyNotify && e.xproperty.window == window_ && e.xproperty.atom == property_ &&
                   e.xproperty.state == PropertyNewValue;
        });
        if (piece != Wait::Got) return ended(piece);
        QByteArray part;
        if (!readProperty(part, maxBytes - reply.bytes.size())) {
            reply.bytes.clear();
            reply.outcome = Outcome::TooLarge;
            return reply;
        }
        *propertyType = type;
        if (part.isEmpty()) break;
        reply.bytes += part;
    }
    reply.outcome = Outcome::Done;
    return reply;
}

ClipboardReader::Reply X11ClipboardReader::types() {
    int format = 0;
    unsigned long type = 0;
    // Thousands of types would be a strange owner; a bound all the same.
    Reply reply = transfer(targets_, 64 * 1024, &format, &type);
    QByteArray atoms = std::move(reply.bytes);
    reply.bytes.clear();
    if (reply.outcome != Outcome::Done) return reply;
    if (format != 32 || (type != atom_ && type != targets_)) {
        reply.outcome = Outcome::Empty;
        return reply;
    }
    std::vector<Atom> list(size_t(atoms.size()) / sizeof(long));
    std::copy_n(reinterpret_cast<const long*>(atoms.constData()), list.size(), list.begin());
    std::vector<char*> names(list.size(), nullptr);
    if (list.empty()) return reply;
    {
        // An owner may list atoms that do not exist; those stay unnamed.
        ErrorTrap trap(connection_->display(), false);
        XGetAtomNames(connection_->display(), list.data(), int(list.size()), names.data());
    }
    for (char* name : names) {
        if (!name) continue;
        reply.types << QString::fromLatin1(name);
        XFree(name);
    }
    return reply;
}

ClipboardReader::Reply X11ClipboardReader::read(const QString& type, qint64 maxBytes) {
    int format = 0;
    unsigned long propertyType = 0;
    const Atom target = XInternAtom(connection_->display(), type.toLatin1().constData(), False);
    return transfer(target, maxBytes, &format, &propertyType);
}

}  // namespace vz::x11
