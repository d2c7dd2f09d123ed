#pragma once
// The conversation with the desktop's screen-cast portal
// (org.freedesktop.portal.ScreenCast over D-Bus): a session, one monitor
// chosen, the stream started, and the PipeWire connection opened for it.
// Each step is a method call that answers with a request object whose
// Response signal carries the outcome; the portal may show a dialog in
// between, so nothing here waits: the steps follow one another from the
// event loop of the thread the object lives on.

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QRect>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

namespace vz::wayland {

class ScreenCastPortal : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    static inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");

    struct Handlers {
        // The stream runs: a PipeWire remote (`fd`, the receiver's to close),
        // its node, and where the monitor lies on the desktop (null when the
        // portal does not say).
        std::function<void(int fd, std::uint32_t node, QRect area)> started;
        // It did not start, or it stopped: why, in words for the user. Once.
        std::function<void(const QString& why)> failed;
        // The portal handed out a token that lets the next start skip the
        // user's choice.
        std::function<void(const QString& token)> restoreToken;
    };

    ScreenCastPortal(QDBusConnection bus, Handlers handlers, QString service = kService, QObject* parent = nullptr);
    ~ScreenCastPortal() override;  // closes the portal's session

    // Asks for one monitor's stream (the pointer drawn in where the portal
    // can). `restoreToken`, when not empty, is one a previous run received.
    // Only the first call does anything.
    void start(const QString& restoreToken);

    enum class Step { Idle, CreatingSession, SelectingSources, Starting, OpeningRemote, Running, Failed };
    Step step() const { return step_; }

private slots:
    void onResponse(uint code, const QVariantMap& results);
    void onSessionClosed();

private:
    void call(const QString& method, const QList<QVariant>& arguments, Step next);
    QString listen(const QString& token);
    void stopListening();
    void selectSources();
    void startStream();
    void openRemote(std::uint32_t node, QRect area);
    void fail(const QString& why);

    QDBusConnection bus_;
    Handlers handlers_;
    QString service_;
    QDBusServiceWatcher* watcher_ = nullptr;
    Step step_ = Step::Idle;
    QString restoreToken_;
    QString requestPath_;  // the request whose Response is awaited
    QString sessionPath_;
    int tokens_ = 0;
    uint version_ = 1;      // the portal's interface version
    uint cursorModes_ = 0;  // AvailableCursorModes
};

}  // namespace vz::wayland
