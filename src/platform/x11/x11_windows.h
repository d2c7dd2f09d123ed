#pragma once
// Top-level windows as the user sees them: the frame the window manager put
// round a client (the client's ancestor that is a child of the root).

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <chrono>
#include <memory>

namespace vz::x11 {

class X11Windows final : public Windows {
public:
    // Which windows the server keeps an off-screen copy of, so that parts
    // covered by other windows can be read (Composite extension).
    enum class Redirect {
        // The window being captured, one at a time: suits a capture that
        // follows one window.
        OneWindow,
        // Every top-level window for as long as this object lives: suits
        // capturing many windows in turn. The first capture waits a moment
        // after the start so that the applications can redraw into their
        // new off-screen copies.
        AllWindows,
    };
    explicit X11Windows(std::shared_ptr<Connection> connection, Redirect redirect = Redirect::OneWindow);
    ~X11Windows() override;

    // The window manager's client list (_NET_CLIENT_LIST); without one, the
    // root's children that are not override-redirect, each replaced by the
    // client inside it (the window with WM_STATE) when there is one.
    QVector<WindowInfo> listWindows() override;
    QRect outerGeometry(WindowId window) override;
    // Through the Composite extension when the server has it (obscured parts
    // come out right), else XGetImage of the frame as it shows on the screen.
    bool captureWindow(WindowId window, QImage& into) override;
    bool captureWindowNow(WindowId window, QImage& into) override;
    std::chrono::steady_clock::time_point redrawnBy() const override { return settledAt_; }

private:
    struct Frame;
    struct Atoms;
    bool findFrame(WindowId window, Frame& frame);
    // The frame, when it is on the screen and has an area.
    bool findCapturable(WindowId window, Frame& frame);
    bool captureFrame(const Frame& frame, QImage& into);
    bool captureComposited(const Frame& frame, QImage& into);
    bool captureFromScreen(const Frame& frame, QImage& into);
    // OneWindow: `frame` becomes the one window kept off-screen.
    bool redirectOnly(unsigned long frame);
    QVector<unsigned long> clientWindows();
    QVector<unsigned long> rootChildClients();
    bool describe(unsigned long window, WindowInfo& info);

    std::shared_ptr<Connection> connection_;
    std::unique_ptr<Atoms> atoms_;
    Redirect redirect_;
    bool redirectedAll_ = false;
    std::chrono::steady_clock::time_point settledAt_;
    unsigned long redirected_ = 0;  // OneWindow: the frame we keep redirected, 0 for none
};

}  // namespace vz::x11
