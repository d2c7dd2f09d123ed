#pragma once
// What a thread asks of the operating system for itself: a name, a priority,
// the slack of its timers; and a wake-up counter another thread can bump
// (Linux: an eventfd) for an event loop to watch. Plain functions, no Qt.
//
// The core's threads reach the system only through this header; the one
// implementation is platform/posix/threads.cpp (every system the program runs
// on is a POSIX one).

namespace vz::posix {

// The calling thread's name as the system's tools show it (at most 15 bytes
// are kept).
void setCurrentThreadName(const char* name);

// The lowest real-time priority (first in, first out) for the calling thread
// where the system grants it; false where it does not (most desktops), and
// the thread stays an ordinary one.
bool setCurrentThreadRealtime();

// The calling thread's nice value alone (higher is kinder to other threads).
void setCurrentThreadNice(int nice);

// The calling thread's timed waits end at most `nanoseconds` after their
// deadline instead of the default 50 µs.
void setCurrentThreadTimerSlack(unsigned long nanoseconds);

// A counter another thread bumps to wake whoever watches its descriptor
// (readable while bumped). Not copyable; the descriptor is closed with it.
class WakeCounter {
public:
    WakeCounter();  // valid() is false when the system has none to give
    ~WakeCounter();
    WakeCounter(const WakeCounter&) = delete;
    WakeCounter& operator=(const WakeCounter&) = delete;

    bool valid() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    // From any thread; false when the bump did not get through.
    bool bump();
    // Resets the counter (the watcher, before it looks for work).
    void drain();

private:
    int fd_ = -1;
};

}  // namespace vz::posix
