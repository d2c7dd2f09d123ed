#pragma once
// Monitors from RandR 1.5's monitor list.

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>

class QSocketNotifier;

namespace vz::x11 {

class X11Monitors final : public Monitors {
public:
    explicit X11Monitors(std::shared_ptr<Connection> connection);
    // The primary monitor first, the others in RandR's order; one monitor
    // of the root window's size when RandR lists none.
    QVector<QRect> monitors() const override;
    // From the screen resources: each output's connection, its CRTC's mode
    // and the adapter (RandR provider) name; the root's depth.
    QVector<DisplayOutput> outputs() const override;

private:
    std::shared_ptr<Connection> connection_;
};

// RandR's screen, CRTC and output change events, read from the event loop.
class X11MonitorChanges final : public MonitorChanges {
public:
    // Null when the server has no RandR.
    static std::unique_ptr<X11MonitorChanges> open(std::unique_ptr<Connection> connection);
    ~X11MonitorChanges() override;
    void watch(std::function<void()> changed) override;

private:
    explicit X11MonitorChanges(std::unique_ptr<Connection> connection);
    void readEvents();
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> changed_;
    unsigned long workAreaAtom_ = 0;
    unsigned long desktopGeometryAtom_ = 0;
};

}  // namespace vz::x11
