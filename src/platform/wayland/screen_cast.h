#pragma once
// The desktop mirror's source in a Wayland session: the screen-cast portal
// grants a stream of the primary monitor, PipeWire delivers it, CastFrames
// keeps the newest picture. The stream is asked for when a copy of the
// screen is first wanted (a user who only plays slideshows is never asked),
// and kept until the program ends.

#include "platform/wayland/cast_frames.h"

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

namespace vz::wayland {

class PipeWireStream;
class ScreenCastPortal;

class ScreenCast : public QObject {
    Q_OBJECT
public:
    using Tell = std::function<void(const QString& text)>;
    // `primaryOrigin` (asked on this object's thread) places the picture
    // when the portal does not say where its monitor is; `tell` reports,
    // once, why there is no stream.
    ScreenCast(QDBusConnection bus, std::function<QPoint()> primaryOrigin, Tell tell, QObject* parent = nullptr);
    ~ScreenCast() override;

    const std::shared_ptr<CastFrames>& frames() const { return frames_; }
    // Starts the stream unless it was asked for already. Any thread.
    void request();
    // The portal's restore token from the previous run, and where to keep a
    // new one. Call before the first request, on this object's thread.
    void keepGrant(const QString& stored, std::function<void(const QString&)> store);

private:
    void begin();

    QDBusConnection bus_;
    std::function<QPoint()> primaryOrigin_;
    Tell tell_;
    std::shared_ptr<CastFrames> frames_ = std::make_shared<CastFrames>();
    std::atomic<bool> requested_{false};
    QString storedToken_;
    std::function<void(const QString&)> storeToken_;
    std::unique_ptr<ScreenCastPortal> portal_;
    std::unique_ptr<PipeWireStream> stream_;
};

}  // namespace vz::wayland
