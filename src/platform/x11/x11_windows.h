#pragma once
// Top-level windows as the user sees them: the frame the window manager put
// round a client (the client's ancestor that is a child of the root).

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>

namespace vz::x11 {

class X11Windows final : public Windows {
public:
    explicit X11Windows(std::shared_ptr<Connection> connection);
    ~X11Windows() override;
    QRect outerGeometry(WindowId window) override;
    // Through the Composite extension when the server has it (obscured parts
    // come out right), else XGetImage of the frame as it shows on the screen.
    bool captureWindow(WindowId window, QImage& into) override;

private:
    struct Frame;
    bool findFrame(WindowId window, Frame& frame);
    bool captureComposited(const Frame& frame, QImage& into);
    bool captureFromScreen(const Frame& frame, QImage& into);

    std::shared_ptr<Connection> connection_;
    unsigned long redirected_ = 0;  // the frame we keep redirected off-screen, 0 for none
};

}  // namespace vz::x11
