#pragma once
// The running copy's door for later starts: a local socket next to the
// instance lock. A second start connects, sends its arguments (a JSON array
// of strings and a line end) and waits for one answer line: "ok", or
// "error " and the reason. The folder of the socket is private to the user.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace vz {

class InstanceServer : public QObject {
    Q_OBJECT
public:
    // Carries out a later start's arguments; returns the reason it could
    // not (empty: done).
    using Handler = std::function<QString(const QStringList& arguments)>;

    InstanceServer(Handler handler, QObject* parent = nullptr);
    // Listens on `path`, replacing a socket file left by a copy that ended
    // (the caller holds the instance lock, so no copy serves it).
    bool listen(const QString& path, QString* error);

private:
    void take(class QLocalSocket* socket);
    Handler handler_;
    QLocalServer server_;
};

struct ForwardResult {
    enum class Status { Taken, Refused, NoAnswer };
    Status status = Status::NoAnswer;
    QString message;  // Refused: the running copy's reason; NoAnswer: what went wrong
};

// Hands `arguments` to the copy serving `path`. Connecting is retried for
// `connectMs` (the running copy may be starting); its answer is awaited for
// `answerMs`.
ForwardResult forwardToRunningCopy(const QString& path, const QStringList& arguments, int connectMs = 5000,
                                   int answerMs = 20000);

}  // namespace vz
