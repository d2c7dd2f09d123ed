#include "core/controller/cursor_lock.h"

namespace vz {

namespace {
constexpr int kTickMs = 250;
}

CursorLock::CursorLock(PointerFence* fence, const MonitorWatch& monitors, QObject* parent)
    : QObject(parent), fence_(fence), monitors_(monitors) {
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &CursorLock::tick);
}

CursorLock::~CursorLock() {
    if (fence_) fence_->release();
}

void CursorLock::setLocked(bool on) {
    if (locked_ == on) return;
    locked_ = on;
    emit lockedChanged(on);
}

void CursorLock::toggle() {
    setLocked(!locked_);
    if (!timer_.isActive()) timer_.start();
}

void CursorLock::setMouseAreaToPrimary() {
    mouseArea_ = Rect4{0, 0, monitors_.primaryWidth(), monitors_.primaryHeight()};
}

void CursorLock::stopTicking() {
    timer_.stop();
    if (fence_) fence_->release();
}

void CursorLock::tick() {
    if (!fence_) return;
    if (!locked_) {
        fence_->release();
        return;
    }
    fence_->confine(mouseArea_.onScreen(monitors_.primary().topLeft()), monitors_.all());
}

}  // namespace vz
