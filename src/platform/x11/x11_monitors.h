#pragma once
// Monitors from RandR 1.5's monitor list.

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>

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

}  // namespace vz::x11
