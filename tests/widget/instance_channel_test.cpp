// A later start hands its arguments to the running copy over the local socket.

#include "app/instance_channel.h"
#include "pump_events.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vz::test {
namespace {

// The second start blocks; the running copy answers from its event loop.
ForwardResult forwardFromAnotherThread(const QString& path, const QStringList& args, int connectMs = 5000) {
    ForwardResult result;
    std::atomic<bool> done{false};
    std::thread client([&] {
        result = forwardToRunningCopy(path, args, connectMs, 5000);
        done = true;
    });
    pumpUntil([&] { return done.load(); }, 15000);
    client.join();
    return result;
}

TEST(InstanceChannel, RunningCopyTakesOrRefusesTheArguments) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vivivoz-test.socket"));
    QList<QStringList> received;
    InstanceServer server([&](const QStringList& args) {
        received << args;
        return args.contains(QStringLiteral("bad")) ? QStringLiteral("bad value\non two lines") : QString();
    });
    QString error;
    ASSERT_TRUE(server.listen(path, &error)) << qPrintable(error);

    const QStringList args{"--start", "slideshow", "/shows/spring \"2026\".vsl"};
    ForwardResult sent = forwardFromAnotherThread(path, args);
    EXPECT_EQ(sent.status, ForwardResult::Status::Taken) << qPrintable(sent.message);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0], args);

    sent = forwardFromAnotherThread(path, {"--rate", "bad"});
    EXPECT_EQ(sent.status, ForwardResult::Status::Refused);
    EXPECT_EQ(sent.message, QStringLiteral("bad value on two lines"));
}

TEST(InstanceChannel, NoServerIsNoAnswerAndALaterCopyServesThePathAgain) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vivivoz-test.socket"));
    {
        InstanceServer ended([](const QStringList&) { return QString(); });
        ASSERT_TRUE(ended.listen(path, nullptr));
    }
    const ForwardResult none = forwardFromAnotherThread(path, {"--start", "desktop"}, 300);
    EXPECT_EQ(none.status, ForwardResult::Status::NoAnswer);
    EXPECT_FALSE(none.message.isEmpty());

    int calls = 0;
    InstanceServer server([&](const QStringList&) {
        ++calls;
        return QString();
    });
    ASSERT_TRUE(server.listen(path, nullptr));
    EXPECT_EQ(forwardFromAnotherThread(path, {"--start", "desktop"}).status, ForwardResult::Status::Taken);
    EXPECT_EQ(calls, 1);
}

TEST(InstanceChannel, GarbageIsRefusedWithoutCallingTheHandler) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vivivoz-test.socket"));
    int calls = 0;
    InstanceServer server([&](const QStringList&) {
        ++calls;
        return QString();
    });
    ASSERT_TRUE(server.listen(path, nullptr));
    QByteArray answer;
    std::atomic<bool> done{false};
    std::thread client([&] {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(2000)) {
            socket.write("{\"not\": \"a list\"}\n");
            socket.flush();
            while (!socket.canReadLine() && socket.waitForReadyRead(2000)) {}
            answer = socket.readLine();
        }
        done = true;
    });
    pumpUntil([&] { return done.load(); }, 10000);
    client.join();
    EXPECT_EQ(answer, QByteArray("error the request could not be read\n"));
    EXPECT_EQ(calls, 0);
}

}  // namespace
}  // namespace vz::test
