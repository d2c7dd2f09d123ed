// The screen-cast portal conversation against a fake portal on a private
// session bus: the grant, a refused request, no portal at all, and the
// portal going away while the stream runs.

#include "platform/wayland/screencast_portal.h"
#include "pump_events.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace vz::wayland {

// One stream of Start's answer: a(ua{sv}), and the (ii) pairs in it.
struct PortalStream {
    uint node = 0;
    QVariantMap properties;
};
struct PortalPair {
    int a = 0, b = 0;
};

QDBusArgument& operator<<(QDBusArgument& arg, const PortalStream& s) {
    arg.beginStructure();
    arg << s.node << s.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, PortalStream& s) {
    arg.beginStructure();
    arg >> s.node >> s.properties;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const PortalPair& p) {
    arg.beginStructure();
    arg << p.a << p.b;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, PortalPair& p) {
    arg.beginStructure();
    arg >> p.a >> p.b;
    arg.endStructure();
    return arg;
}

}  // namespace vz::wayland

Q_DECLARE_METATYPE(vz::wayland::PortalStream)
Q_DECLARE_METATYPE(vz::wayland::PortalPair)

namespace vz::wayland {

// The portal's side: answers each call with a request path and, from the
// event loop, that request's Response.
class FakeScreenCast : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.ScreenCast")
    Q_PROPERTY(uint version READ version)
    Q_PROPERTY(uint AvailableCursorModes READ cursorModes)
public:
    explicit FakeScreenCast(QDBusConnection bus) : bus_(std::move(bus)) {}
    uint version() const { return 4; }
    uint cursorModes() const { return 1 | 2; }

    uint startResponse = 0;  // 0 granted, 1 cancelled, 2 failed
    QVariantMap selected;    // SelectSources' options
    int remoteFd = -1;       // handed out by OpenPipeWireRemote

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options, const QDBusMessage& message) {
        const QString session =
            QStringLiteral("/org/freedesktop/portal/desktop/session/%1/%2")
                .arg(sender(message), options.value(QStringLiteral("session_handle_token")).toString());
        return respond(message, options, 0, {{QStringLiteral("session_handle"), session}});
    }
    QDBusObjectPath SelectSources(const QDBusObjectPath&, const QVariantMap& options, const QDBusMessage& message) {
        selected = options;
        return respond(message, options, 0, {});
    }
    QDBusObjectPath Start(const QDBusObjectPath&, const QString&, const QVariantMap& options,
                          const QDBusMessage& message) {
        QVariantMap properties{{QStringLiteral("position"), QVariant::fromValue(PortalPair{1920, 0})},
                               {QStringLiteral("size"), QVariant::fromValue(PortalPair{1280, 1024})}};
        QVariantMap results{{QStringLiteral("streams"), QVariant::fromValue(QList<PortalStream>{{42, properties}})},
                            {QStringLiteral("restore_token"), QStringLiteral("granted-token")}};
        return respond(message, options, startResponse, startResponse == 0 ? results : QVariantMap());
    }
    QDBusUnixFileDescriptor OpenPipeWireRemote(const QDBusObjectPath&, const QVariantMap&) {
        return QDBusUnixFileDescriptor(remoteFd);
    }

private:
    static QString sender(const QDBusMessage& message) {
        QString s = message.service().mid(1);
        return s.replace(QLatin1Char('.'), QLatin1Char('_'));
    }
    QDBusObjectPath respond(const QDBusMessage& message, const QVariantMap& options, uint code, QVariantMap results) {
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
                                 .arg(sender(message), options.value(QStringLiteral("handle_token")).toString());
        QTimer::singleShot(0, this, [this, path, code, results] {
            QDBusMessage response = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                               QStringLiteral("Response"));
            response << code << results;
            bus_.send(response);
        });
        return QDBusObjectPath(path);
    }
    QDBusConnection bus_;
};

namespace {

// A dbus-daemon of the test's own, and two connections to it: the program's
// and the fake portal's.
class PortalTest : public ::testing::Test {
protected:
    void SetUp() override {
        qDBusRegisterMetaType<PortalStream>();
        qDBusRegisterMetaType<QList<PortalStream>>();
        qDBusRegisterMetaType<PortalPair>();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon is missing (scripts/deps installs it)";
        ASSERT_TRUE(test::pumpUntil([this] { return daemon_.canReadLine(); }, 10000));
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        const QString tag = QString::number(reinterpret_cast<quintptr>(this));
        program_.emplace(QDBusConnection::connectToBus(address, QStringLiteral("program") + tag));
        portalBus_.emplace(QDBusConnection::connectToBus(address, QStringLiteral("portal") + tag));
        ASSERT_TRUE(program_->isConnected() && portalBus_->isConnected());
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        readEnd_ = fds[0];
        ::close(fds[1]);
    }
    void TearDown() override {
        portal_.reset();
        fake_.reset();
        if (program_) QDBusConnection::disconnectFromBus(program_->name());
        if (portalBus_) QDBusConnection::disconnectFromBus(portalBus_->name());
        daemon_.terminate();
        daemon_.waitForFinished(5000);
        if (readEnd_ >= 0) ::close(readEnd_);
        if (startedFd >= 0) ::close(startedFd);
    }

    void offerPortal() {
        fake_ = std::make_unique<FakeScreenCast>(*portalBus_);
        fake_->remoteFd = readEnd_;
        ASSERT_TRUE(portalBus_->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), fake_.get(),
                                               QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(portalBus_->registerService(ScreenCastPortal::kService));
    }

    void startPortal(const QString& token) {
        ScreenCastPortal::Handlers handlers;
        handlers.started = [this](int fd, std::uint32_t node, QRect area) {
            startedFd = fd;
            startedNode = node;
            startedArea = area;
        };
        handlers.failed = [this](const QString& why) { failures << why; };
        handlers.restoreToken = [this](const QString& t) { tokens << t; };
        portal_ = std::make_unique<ScreenCastPortal>(*program_, std::move(handlers));
        portal_->start(token);
    }

    bool settled() {
        return test::pumpUntil([this] {
            return portal_->step() == ScreenCastPortal::Step::Running ||
                   portal_->step() == ScreenCastPortal::Step::Failed;
        });
    }

    int startedFd = -1;
    std::uint32_t startedNode = 0;
    QRect startedArea;
    QStringList failures, tokens;
    std::unique_ptr<FakeScreenCast> fake_;
    std::unique_ptr<ScreenCastPortal> portal_;
    std::optional<QDBusConnection> portalBus_;

private:
    QProcess daemon_;
    std::optional<QDBusConnection> program_;
    int readEnd_ = -1;
};

TEST_F(PortalTest, AGrantedStreamOpensItsPipeWireRemote) {
    offerPortal();
    startPortal(QStringLiteral("old-token"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(portal_->step(), ScreenCastPortal::Step::Running) << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_GE(startedFd, 0);
    EXPECT_EQ(startedNode, 42u);
    EXPECT_EQ(startedArea, QRect(1920, 0, 1280, 1024));
    EXPECT_EQ(tokens, QStringList{QStringLiteral("granted-token")});
    // One monitor, the pointer drawn in, remembered until revoked, with the
    // token of the previous run.
    EXPECT_EQ(fake_->selected.value(QStringLiteral("types")).toUInt(), 1u);
    EXPECT_EQ(fake_->selected.value(QStringLiteral("multiple")).toBool(), false);
    EXPECT_EQ(fake_->selected.value(QStringLiteral("cursor_mode")).toUInt(), 2u);
    EXPECT_EQ(fake_->selected.value(QStringLiteral("persist_mode")).toUInt(), 2u);
    EXPECT_EQ(fake_->selected.value(QStringLiteral("restore_token")).toString(), QStringLiteral("old-token"));
}

TEST_F(PortalTest, RefusedOrFailedStartsAreReportedOnceInWords) {
    struct Case {
        uint response;
        const char* words;
    };
    for (const Case c : {Case{1, "not allowed"}, Case{2, "could not start"}}) {
        failures.clear();
        offerPortal();
        fake_->startResponse = c.response;
        startPortal(QString());
        ASSERT_TRUE(settled());
        EXPECT_EQ(portal_->step(), ScreenCastPortal::Step::Failed);
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures.first().contains(QLatin1String(c.words))) << failures.first().toStdString();
        EXPECT_EQ(startedFd, -1);
        EXPECT_FALSE(fake_->selected.contains(QStringLiteral("restore_token")));
        portal_.reset();
        ASSERT_TRUE(portalBus_->unregisterService(ScreenCastPortal::kService));
        portalBus_->unregisterObject(QStringLiteral("/org/freedesktop/portal/desktop"));
    }
}

TEST_F(PortalTest, WithoutAPortalTheUserIsToldSo) {
    startPortal(QString());
    ASSERT_TRUE(settled());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().contains(QLatin1String("offers no screen-cast portal")))
        << failures.first().toStdString();
}

TEST_F(PortalTest, APortalThatGoesAwayMidStreamEndsIt) {
    offerPortal();
    startPortal(QString());
    ASSERT_TRUE(settled());
    ASSERT_EQ(portal_->step(), ScreenCastPortal::Step::Running);
    ASSERT_TRUE(portalBus_->unregisterService(ScreenCastPortal::kService));
    ASSERT_TRUE(test::pumpUntil([this] { return !failures.isEmpty(); }));
    EXPECT_EQ(failures, QStringList{QStringLiteral("the desktop's screen-cast portal went away")});
    EXPECT_EQ(portal_->step(), ScreenCastPortal::Step::Failed);
}

}  // namespace
}  // namespace vz::wayland

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "screencast_portal_test.moc"
