#pragma once
// Mouse input for the area overlay, as the window system delivers it: local
// coordinates, which lie beyond the window when the release comes outside.

#include "ui/area/area_overlay.h"

#include <QApplication>
#include <QMouseEvent>

namespace vz::test {

inline void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButton changed = type == QEvent::MouseMove ? Qt::NoButton : button;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(local), QPointF(target->mapToGlobal(local)), changed, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Press at `from`, a move on the way, a move to `to` and the release there.
inline void dragOnOverlay(AreaOverlay& overlay, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(&overlay, QEvent::MouseButtonPress, from, button);
    sendMouse(&overlay, QEvent::MouseMove, (from + to) / 2, button);
    sendMouse(&overlay, QEvent::MouseMove, to, button);
    sendMouse(&overlay, QEvent::MouseButtonRelease, to, button);
}

}  // namespace vz::test
