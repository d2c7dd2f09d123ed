#pragma once
// The pointer's position (XQueryPointer) and shape (XFixes cursor image).

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>

namespace vz::x11 {

class X11Pointer final : public Pointer {
public:
    explicit X11Pointer(std::shared_ptr<Connection> connection);
    QPoint position() const override;
    // Reuses `image`'s buffer when the size is unchanged.
    bool cursorImage(QImage& image, QPoint& hotSpot) override;

private:
    std::shared_ptr<Connection> connection_;
};

}  // namespace vz::x11
