#pragma once
// One connection to the X server plus what the server offers, checked once
// when the connection is opened. No X11 header is included from here.

#include <QSize>
#include <QString>

#include <memory>

struct _XDisplay;

namespace vz::x11 {

class Connection {
public:
    // Opens the display named by $DISPLAY. Null, with `*error` set, when
    // DISPLAY is unset or the display cannot be opened.
    static std::unique_ptr<Connection> open(QString* error);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    _XDisplay* display() const { return display_; }
    unsigned long root() const { return root_; }
    // Asks the server for the root window's current size.
    QSize rootSize() const;

    bool hasShm() const { return shm_; }                // MIT-SHM with shared pixmaps or images
    bool hasFixes() const { return fixes_; }            // XFixes (cursor image)
    bool hasRandrMonitors() const { return randr15_; }  // RandR 1.5 (monitor list)
    bool hasComposite() const { return composite_; }    // Composite 0.2 (window pixmaps)
    // Whether a compositing manager runs on the default screen now: some
    // client owns its _NET_WM_CM_S<n> selection. Asks the server each time.
    bool compositingManagerRunning() const;

private:
    explicit Connection(_XDisplay* display);
    _XDisplay* display_;
    unsigned long root_ = 0;
    bool shm_ = false;
    bool fixes_ = false;
    bool randr15_ = false;
    bool composite_ = false;
};

}  // namespace vz::x11
