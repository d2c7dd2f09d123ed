#pragma once
// A plain Xlib client for the platform tests: windows with the properties an
// application sets, and drawing on the root window, over a connection of its
// own. No X11 header is included from here, so the tests stay free of its
// macros.

#include <QByteArray>
#include <QRect>
#include <QRgb>

#include <atomic>
#include <memory>
#include <thread>

struct _XDisplay;

class X11TestClient {
public:
    X11TestClient();  // opens $DISPLAY; check ok()
    ~X11TestClient();
    bool ok() const { return display_ != nullptr; }

    struct WindowSetup {
        QRect geometry;
        QRgb background = 0;           // the server paints it: no redrawing needed
        QByteArray utf8Title;          // _NET_WM_NAME; empty: none
        QByteArray latin1Title;        // WM_NAME; empty: none
        QByteArray instance, wmClass;  // WM_CLASS
        bool withPid = true;           // _NET_WM_PID and WM_CLIENT_MACHINE
        bool overrideRedirect = false;
        bool map = true;
    };
    // Creates (and maps) the window; returns its id.
    unsigned long createWindow(const WindowSetup& setup);
    void destroyWindow(unsigned long window);
    void iconify(unsigned long window);
    // The root's _NET_SUPPORTING_WM_CHECK (0 when none), and setting it, to
    // make the window manager look gone.
    unsigned long supportingWmCheck();
    void setSupportingWmCheck(unsigned long window);
    // Makes `window` the owner of the selection `name` (0: no owner), as a
    // compositing manager takes _NET_WM_CM_S0.
    void ownSelection(const QByteArray& name, unsigned long window);
    // Fills a rectangle of the root window (not over its children).
    void fillRoot(const QRect& rect, QRgb colour);
    // Waits until the server has handled every request sent so far.
    void sync();

private:
    _XDisplay* display_ = nullptr;
};

// Owns the CLIPBOARD selection on a connection and a thread of its own and
// serves `data` as `type` (TARGETS lists it), in increments of `piece`
// bytes when it is larger, as large transfers go. Silent: answers nothing.
// DiesMidTransfer: closes its connection after the first increment, as a
// program that is killed. Destruction gives the selection up.
class X11ClipboardOwner {
public:
    enum class Behaviour { Answers, Silent, DiesMidTransfer };
    X11ClipboardOwner(QByteArray type, QByteArray data, Behaviour behaviour, int piece = 16 * 1024);
    ~X11ClipboardOwner();
    bool ok() const { return display_ != nullptr; }
    // How many increments were handed out so far.
    int piecesSent() const { return pieces_; }

private:
    void serve();

    _XDisplay* display_ = nullptr;
    QByteArray type_, data_;
    Behaviour behaviour_;
    int piece_;
    unsigned long window_ = 0;
    int stop_[2] = {-1, -1};  // a pipe that ends the thread
    std::atomic<int> pieces_{0};
    std::thread thread_;
};
