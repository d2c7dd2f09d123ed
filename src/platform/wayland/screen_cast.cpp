#include "platform/wayland/screen_cast.h"

#include "platform/wayland/pipewire_stream.h"
#include "platform/wayland/screencast_portal.h"

#include <unistd.h>

namespace vz::wayland {

ScreenCast::ScreenCast(QDBusConnection bus, std::function<QPoint()> primaryOrigin, Tell tell, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), primaryOrigin_(std::move(primaryOrigin)), tell_(std::move(tell)) {}

ScreenCast::~ScreenCast() {
    // The stream first: its thread must not deliver into a closing session.
    stream_.reset();
    portal_.reset();
}

void ScreenCast::request() {
    if (requested_.exchange(true)) return;
    QMetaObject::invokeMethod(
        this, [this] { begin(); }, Qt::QueuedConnection);
}

void ScreenCast::keepGrant(const QString& stored, std::function<void(const QString&)> store) {
    storedToken_ = stored;
    storeToken_ = std::move(store);
}

void ScreenCast::begin() {
    auto report = [this](const QString& why) {
        if (tell_) tell_(QStringLiteral("The desktop cannot be mirrored: %1.").arg(why));
    };
    ScreenCastPortal::Handlers handlers;
    handlers.restoreToken = [this](const QString& token) {
        if (token == storedToken_) return;
        storedToken_ = token;
        if (storeToken_) storeToken_(token);
    };
    handlers.failed = [this, report](const QString& why) {
        // The last picture stays; the PipeWire side may have ended already.
        stream_.reset();
        report(why);
    };
    handlers.started = [this, report](int fd, std::uint32_t node, QRect area) {
        frames_->setOrigin(area.isNull() && primaryOrigin_ ? primaryOrigin_() : area.topLeft());
        QString error;
        // The end is reported from PipeWire's thread, never after the stream
        // is closed (the destructor closes it first): report it on ours.
        stream_ = PipeWireStream::open(
            fd, node, frames_,
            [this](const QString& why) {
                QMetaObject::invokeMethod(
                    this,
                    [this, why] {
                        if (tell_) tell_(QStringLiteral("The desktop mirror stopped: %1.").arg(why));
                    },
                    Qt::QueuedConnection);
            },
            &error);
        if (!stream_) report(error);
    };
    portal_ = std::make_unique<ScreenCastPortal>(bus_, std::move(handlers));
    portal_->start(storedToken_);
}

}  // namespace vz::wayland
