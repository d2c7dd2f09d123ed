#include "platform/wayland/screencast_portal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>

#include <fcntl.h>
#include <unistd.h>

namespace vz::wayland {

namespace {

const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");

constexpr uint kMonitorSource = 1;
constexpr uint kEmbeddedCursor = 2;
constexpr uint kPersistUntilRevoked = 2;

// A (ii) structure of a stream's properties.
QPoint pointOf(const QVariant& value, bool* ok) {
    *ok = false;
    if (!value.canConvert<QDBusArgument>()) return {};
    const QDBusArgument arg = value.value<QDBusArgument>();
    int x = 0, y = 0;
    arg.beginStructure();
    arg >> x >> y;
    arg.endStructure();
    *ok = true;
    return {x, y};
}

QString objectPathText(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>() && value.userType() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

}  // namespace

ScreenCastPortal::ScreenCastPortal(QDBusConnection bus, Handlers handlers, QString service, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), handlers_(std::move(handlers)), service_(std::move(service)) {}

ScreenCastPortal::~ScreenCastPortal() {
    stopListening();
    if (!sessionPath_.isEmpty() && bus_.isConnected())
        bus_.send(QDBusMessage::createMethodCall(service_, sessionPath_, kSession, QStringLiteral("Close")));
}

void ScreenCastPortal::start(const QString& restoreToken) {
    if (step_ != Step::Idle) return;
    restoreToken_ = restoreToken;
    if (!bus_.isConnected()) {
        fail(QStringLiteral("there is no D-Bus session bus, so the screen-cast portal cannot be asked"));
        return;
    }
    watcher_ = new QDBusServiceWatcher(service_, bus_, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        if (step_ != Step::Failed) fail(QStringLiteral("the desktop's screen-cast portal went away"));
    });
    // What this portal offers decides the options of SelectSources.
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        service_, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    getAll << kScreenCast;
    step_ = Step::CreatingSession;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(getAll), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (step_ == Step::Failed) return;
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (!reply.isError()) {
            version_ = reply.value().value(QStringLiteral("version"), 1).toUInt();
            cursorModes_ = reply.value().value(QStringLiteral("AvailableCursorModes"), 0).toUInt();
        }
        const QString session = QStringLiteral("vivivoz%1").arg(++tokens_);
        call(QStringLiteral("CreateSession"), {QVariantMap{{QStringLiteral("session_handle_token"), session}}},
             Step::CreatingSession);
    });
}

QString ScreenCastPortal::listen(const QString& token) {
    // The request's path is known before the call, so the answer cannot come
    // before we listen: /org/freedesktop/portal/desktop/request/SENDER/TOKEN.
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("%1/request/%2/%3").arg(kPortalPath, sender, token);
    stopListening();
    requestPath_ = path;
    bus_.connect(service_, path, kRequest, QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    return path;
}

void ScreenCastPortal::stopListening() {
    if (requestPath_.isEmpty()) return;
    bus_.disconnect(service_, requestPath_, kRequest, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    requestPath_.clear();
}

void ScreenCastPortal::call(const QString& method, const QList<QVariant>& arguments, Step next) {
    QList<QVariant> args = arguments;
    const QString token = QStringLiteral("vivivoz%1").arg(++tokens_);
    QVariantMap options = args.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    args.append(options);
    const QString expected = listen(token);
    step_ = next;

    QDBusMessage message = QDBusMessage::createMethodCall(service_, kPortalPath, kScreenCast, method);
    message.setArguments(args);
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, method, expected](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (step_ == Step::Failed) return;
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            const bool missing = reply.error().type() == QDBusError::ServiceUnknown ||
                                 reply.error().type() == QDBusError::UnknownInterface ||
                                 reply.error().type() == QDBusError::UnknownMethod;
            fail(missing
                     ? QStringLiteral("the desktop offers no screen-cast portal, so Vivivoz cannot see the screen")
                     : QStringLiteral("the screen-cast portal refused %1: %2").arg(method, reply.error().message()));
            return;
        }
        // An old portal may name the request otherwise: follow it there.
        const QString handle = reply.value().path();
        if (handle != expected && requestPath_ == expected) {
            stopListening();
            requestPath_ = handle;
            bus_.connect(service_, handle, kRequest, QStringLiteral("Response"), this,
                         SLOT(onResponse(uint, QVariantMap)));
        }
    });
}

void ScreenCastPortal::onResponse(uint code, const QVariantMap& results) {
    if (calledFromDBus() && message().path() != requestPath_) return;
    stopListening();
    if (code != 0) {
        fail(code == 1 ? QStringLiteral("the screen cast was not allowed (cancelled in the desktop's dialog)")
                       : QStringLiteral("the desktop could not start the screen cast"));
        return;
    }
    switch (step_) {
        case Step::CreatingSession:
            sessionPath_ = objectPathText(results.value(QStringLiteral("session_handle")));
            if (sessionPath_.isEmpty()) {
                fail(QStringLiteral("the screen-cast portal made no session"));
                return;
            }
            bus_.connect(service_, sessionPath_, kSession, QStringLiteral("Closed"), this, SLOT(onSessionClosed()));
            selectSources();
            break;
        case Step::SelectingSources: startStream(); break;
        case Step::Starting: {
            const QString token = results.value(QStringLiteral("restore_token")).toString();
            if (!token.isEmpty() && handlers_.restoreToken) handlers_.restoreToken(token);
            const QDBusArgument streams = results.value(QStringLiteral("streams")).value<QDBusArgument>();
            std::uint32_t node = 0;
            bool found = false;
            QRect area;
            if (streams.currentType() == QDBusArgument::ArrayType) {
                streams.beginArray();
                while (!streams.atEnd()) {
                    uint id = 0;
                    QVariantMap properties;
                    streams.beginStructure();
                    streams >> id >> properties;
                    streams.endStructure();
                    if (found) continue;
                    found = true;
                    node = id;
                    bool hasPosition = false, hasSize = false;
                    const QPoint position = pointOf(properties.value(QStringLiteral("position")), &hasPosition);
                    const QPoint size = pointOf(properties.value(QStringLiteral("size")), &hasSize);
                    if (hasPosition && hasSize) area = QRect(position, QSize(size.x(), size.y()));
                }
                streams.endArray();
            }
            if (!found) {
                fail(QStringLiteral("the screen-cast portal started no stream"));
                return;
            }
            openRemote(node, area);
            break;
        }
        default: break;
    }
}

void ScreenCastPortal::selectSources() {
    QVariantMap options{{QStringLiteral("types"), QVariant::fromValue(kMonitorSource)},
                        {QStringLiteral("multiple"), false}};
    const uint version = version_;
    if (version >= 2 && (cursorModes_ & kEmbeddedCursor))
        options.insert(QStringLiteral("cursor_mode"), QVariant::fromValue(kEmbeddedCursor));
    if (version >= 4) {
        options.insert(QStringLiteral("persist_mode"), QVariant::fromValue(kPersistUntilRevoked));
        if (!restoreToken_.isEmpty()) options.insert(QStringLiteral("restore_token"), restoreToken_);
    }
    call(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(sessionPath_)), options},
         Step::SelectingSources);
}

void ScreenCastPortal::startStream() {
    call(QStringLiteral("Start"), {QVariant::fromValue(QDBusObjectPath(sessionPath_)), QString(), QVariantMap()},
         Step::Starting);
}

void ScreenCastPortal::openRemote(std::uint32_t node, QRect area) {
    step_ = Step::OpeningRemote;
    QDBusMessage message =
        QDBusMessage::createMethodCall(service_, kPortalPath, kScreenCast, QStringLiteral("OpenPipeWireRemote"));
    message << QVariant::fromValue(QDBusObjectPath(sessionPath_)) << QVariantMap();
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(message), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, node, area](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (step_ != Step::OpeningRemote) return;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        const int fd = reply.isError() || !reply.value().isValid()
                           ? -1
                           : ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (fd < 0) {
            fail(QStringLiteral("the screen-cast portal gave no PipeWire connection"));
            return;
        }
        step_ = Step::Running;
        if (handlers_.started)
            handlers_.started(fd, node, area);
        else
            ::close(fd);
    });
}

void ScreenCastPortal::onSessionClosed() {
    if (step_ != Step::Failed) fail(QStringLiteral("the desktop ended the screen cast"));
}

void ScreenCastPortal::fail(const QString& why) {
    stopListening();
    step_ = Step::Failed;
    if (handlers_.failed) handlers_.failed(why);
}

}  // namespace vz::wayland
