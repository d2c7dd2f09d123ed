#pragma once
// Runs the test thread's event loop until a condition holds.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace vz::test {

// Polls `done` every few milliseconds from the event loop; false when it did
// not hold within `ms`.
inline bool pumpUntil(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(2);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > ms) loop.quit();
    });
    poll.start();
    if (!done()) loop.exec();
    return done();
}

}  // namespace vz::test
