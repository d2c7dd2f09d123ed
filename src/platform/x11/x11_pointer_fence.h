#pragma once
// The cursor lock: XFixes pointer barriers on the four sides of the fence,
// XInput 2.3 barrier events to let the pointer through while Ctrl is held,
// and a check that warps a pointer found outside back in. On a connection
// of its own, watched by a QSocketNotifier on the UI thread. No X11 header
// is included from here.

#include "platform/fence_rules.h"
#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>
#include <vector>

class QSocketNotifier;

namespace vz::x11 {

class X11PointerFence final : public PointerFence {
public:
    enum class Method {
        Auto,       // barriers when the server has XFixes 5 and XInput 2.3
        CheckOnly,  // no barriers: bringBack() alone keeps the pointer in
    };
    // Takes the connection for itself. Must be created on the UI thread.
    explicit X11PointerFence(std::unique_ptr<Connection> connection, Method method = Method::Auto);
    ~X11PointerFence() override;  // frees the pointer

    void confine(const QRect& area, const QVector<QRect>& monitors) override;
    void release() override;
    bool bringBack() override;
    QRect fence() const override { return fence_; }

    bool usesBarriers() const { return barriersAvailable_; }

private:
    void createBarriers();
    void destroyBarriers();
    bool ctrlHeld(QPoint* pointer);
    void readEvents();
    void watchEvents();
    void readLater();  // events Xlib has already queued wake no notifier

    std::unique_ptr<Connection> connection_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool barriersAvailable_ = false;
    bool mentionChecksOnly_ = false;
    int inputOpcode_ = 0;
    std::vector<unsigned long> barriers_;
    QRect fence_;
    fence::Keeper keeper_;
};

}  // namespace vz::x11
