#pragma once
// Catches X protocol errors (BadWindow, BadMatch, BadAccess...) on one
// connection for as long as the trap lives, so that a window that vanishes
// between two requests makes a call fail instead of ending the process
// (Xlib's default handler exits). Errors on other connections go to the
// handler that was there before.

#include <mutex>

struct _XDisplay;

namespace vz::x11 {

class ErrorTrap {
public:
    // `finalSync` false: the caller's last request waited for a reply (which
    // comes after the errors of every earlier request), so the destructor
    // need not ask the server again.
    explicit ErrorTrap(_XDisplay* display, bool finalSync = true);
    // Waits for the server to finish our requests (see above), then puts the
    // previous handler back.
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to handle every request sent so far; true when
    // none of them failed since the trap was set.
    bool sync();
    // True when an error has arrived so far (without waiting for the server).
    bool failed() const;
    int errorCode() const;  // the first error's code, 0 when none

private:
    std::unique_lock<std::mutex> lock_;
    _XDisplay* display_;
    bool finalSync_;
};

}  // namespace vz::x11
