#include "app/instance_channel.h"

#include "app/command_line.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QVariant>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace vz {

namespace {
// A request is a few file names long; anything longer is not one of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;
// A caller that connects and sends nothing is let go after this long.
constexpr int kIdleMs = 10000;
}  // namespace

InstanceServer::InstanceServer(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) take(socket);
    });
}

bool InstanceServer::listen(const QString& path, QString* error) {
    QLocalServer::removeServer(path);
    if (server_.listen(path)) return true;
    if (error) *error = QStringLiteral("cannot listen on %1: %2").arg(path, server_.errorString());
    return false;
}

void InstanceServer::take(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kIdleMs, socket, [socket] {
        if (!socket->property("taken").toBool()) socket->abort();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->property("taken").toBool()) return;  // one request per connection
        if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMaxRequestBytes) socket->abort();
            return;
        }
        socket->setProperty("taken", true);
        // The handler may open a message box, whose event loop may see the
        // caller hang up and the socket go.
        const QPointer<QLocalSocket> guard(socket);
        const std::optional<QStringList> arguments = argumentsOfRequestLine(socket->readLine(kMaxRequestBytes));
        const QString reason = arguments ? handler_(*arguments) : QStringLiteral("the request could not be read");
        if (!guard) return;
        const QByteArray answer =
            reason.isEmpty() ? QByteArray("ok\n") : "error " + reason.toUtf8().replace('\n', ' ') + '\n';
        socket->write(answer);
        socket->disconnectFromServer();
    });
}

ForwardResult forwardToRunningCopy(const QString& path, const QStringList& arguments, int connectMs, int answerMs) {
    ForwardResult result;
    QLocalSocket socket;
    const QDeadlineTimer connectDeadline(connectMs);
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(200)) break;
        if (connectDeadline.hasExpired()) {
            result.message =
                QStringLiteral("Vivivoz is already running but does not answer (%1)").arg(socket.errorString());
            return result;
        }
        socket.abort();
        QThread::msleep(100);
    }
    socket.write(requestLine(arguments));
    socket.flush();
    const QDeadlineTimer answerDeadline(answerMs);
    while (!socket.canReadLine()) {
        if (answerDeadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState) {
            // What arrived before the copy hung up may still hold the answer.
            if (socket.canReadLine()) break;
            result.message = QStringLiteral("Vivivoz is already running but gave no answer");
            return result;
        }
        socket.waitForReadyRead(int(std::max<qint64>(1, answerDeadline.remainingTime())));
    }
    const QString answer = QString::fromUtf8(socket.readLine()).trimmed();
    if (answer == QLatin1String("ok")) {
        result.status = ForwardResult::Status::Taken;
    } else {
        result.status = ForwardResult::Status::Refused;
        result.message = answer.startsWith(QLatin1String("error ")) ? answer.mid(6) : answer;
    }
    return result;
}

}  // namespace vz
