#pragma once
// What changed on the screen, through the DAMAGE extension on the root window
// over a connection of its own. No X11 header is included from here.

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>

namespace vz::x11 {

class X11ScreenChanges final : public ScreenChanges {
public:
    // Starts tracking at once. Without DAMAGE (or XFixes, which carries its
    // regions) available() is false.
    explicit X11ScreenChanges(std::unique_ptr<Connection> connection);
    ~X11ScreenChanges() override;

    bool available() const override { return damage_ != 0; }
    // Asks the server for the damage gathered so far and clears it (one
    // round trip), once the server has notified a change; with no
    // notification waiting it returns at once, asking nothing. No event
    // loop is needed. Should the server refuse, available() turns false for
    // good.
    QRegion takeChanges() override;

private:
    std::unique_ptr<Connection> connection_;
    unsigned long damage_ = 0;  // the Damage object on the root, 0 when unavailable
    unsigned long parts_ = 0;   // the XFixes region that receives the damage
};

}  // namespace vz::x11
