#pragma once
// The CLIPBOARD selection read over a connection of its own, for a worker
// thread: the request goes to the owner, and the answer (whole, or in
// increments for large data) is awaited on this connection alone, with a
// deadline for each step. No X11 header is included from here.

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <chrono>
#include <memory>

union _XEvent;

namespace vz::posix {
class WakeCounter;
}

namespace vz::x11 {

class X11ClipboardReader final : public ClipboardReader {
public:
    // How long an owner may take for each step of its answer (the first
    // answer, then each increment), as Qt waits on its own connection.
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};

    // Null when the connection cannot make the window that receives the data.
    static std::unique_ptr<X11ClipboardReader> open(std::unique_ptr<Connection> connection,
                                                    std::chrono::milliseconds timeout = kDefaultTimeout);
    ~X11ClipboardReader() override;

    Reply types() override;
    Reply read(const QString& type, qint64 maxBytes) override;
    void interrupt() override;
    void clearInterrupt() override;

private:
    X11ClipboardReader(std::unique_ptr<Connection> connection, std::chrono::milliseconds timeout);
    enum class Wait { Got, TimedOut, OwnerChanged, Interrupted };
    // Asks the owner for the selection as `target` and collects the answer
    // (increments included) into `reply.bytes`; `format` receives the
    // property's format (8, 16 or 32).
    Reply transfer(unsigned long target, qint64 maxBytes, int* format, unsigned long* propertyType);
    // Waits until an event `wanted` accepts arrives (it is left in `event`),
    // the owner changes or goes away, the step's deadline passes, or
    // interrupt() is called.
    template <class Wanted>
    Wait waitFor(_XEvent& event, Wanted wanted);
    bool interrupted() const;

    std::unique_ptr<Connection> connection_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<posix::WakeCounter> interrupt_;
    unsigned long window_ = 0;  // receives the data in a property
    unsigned long clipboard_ = 0, targets_ = 0, incr_ = 0, property_ = 0, atom_ = 0;
    int fixesEvent_ = -1;  // XFixes' first event number; -1 without XFixes
};

}  // namespace vz::x11
