#include "platform/wayland/wayland_platform.h"

#include "platform/posix/instance_lock.h"
#include "platform/posix/paths.h"
#include "platform/wayland/screen_cast.h"
#include "platform/wayland/window_keys.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

namespace vz {

namespace {

using wayland::ScreenCast;

// Says each text once, on the user-interface thread.
class Notices {
public:
    explicit Notices(std::function<void(const QString&)> tell) : tell_(std::move(tell)) {}
    void tell(const QString& text) {
        {
            std::lock_guard lock(mutex_);
            if (!told_.insert(text).second) return;
        }
        QMetaObject::invokeMethod(
            qApp,
            [tell = tell_, text] {
                if (tell) tell(text);
            },
            Qt::QueuedConnection);
    }

private:
    std::function<void(const QString&)> tell_;
    std::mutex mutex_;
    std::set<QString> told_;
};

QVector<QScreen*> screensPrimaryFirst() {
    QVector<QScreen*> list;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) list.append(primary);
    for (QScreen* s : QGuiApplication::screens())
        if (s != primary) list.append(s);
    return list;
}

class QtMonitors : public Monitors {
public:
    QVector<QRect> monitors() const override {
        QVector<QRect> list;
        for (QScreen* s : screensPrimaryFirst()) list.append(s->geometry());
        return list;
    }
    QVector<DisplayOutput> outputs() const override {
        QVector<DisplayOutput> list;
        for (QScreen* s : screensPrimaryFirst()) {
            DisplayOutput o;
            o.name = s->name();
            o.connected = o.active = true;
            o.mode = (QSizeF(s->geometry().size()) * s->devicePixelRatio()).toSize();
            o.refreshHz = s->refreshRate();
            o.depth = s->depth();
            list.append(o);
        }
        return list;
    }
};

class CastCapture : public ScreenCapture {
public:
    explicit CastCapture(std::shared_ptr<ScreenCast> cast) : cast_(std::move(cast)) {}
    bool captureScreen(const QRect& rect, QImage& into) override {
        cast_->request();
        return cast_->frames()->copy(rect, into);
    }
    bool usesSharedMemory() const override { return true; }

private:
    std::shared_ptr<ScreenCast> cast_;
};

// The compositor's damage, as the stream reports it.
class CastChanges : public ScreenChanges {
public:
    explicit CastChanges(std::shared_ptr<ScreenCast> cast) : cast_(std::move(cast)) {}
    bool available() const override { return true; }
    QRegion takeChanges() override {
        cast_->request();
        return cast_->frames()->takeChanges();
    }

private:
    std::shared_ptr<ScreenCast> cast_;
};

// Where Qt last saw the pointer (only over our own windows on Wayland); no
// cursor image: the screen cast draws the pointer in itself.
class QtPointer : public Pointer {
public:
    QPoint position() const override { return QCursor::pos(); }
    bool cursorImage(QImage&, QPoint&) override { return false; }
};

// For the capture worker: the stream has the pointer drawn in already, so
// the overlay is kept off the picture.
class StreamPointer : public Pointer {
public:
    QPoint position() const override { return {-1000000, -1000000}; }
    bool cursorImage(QImage&, QPoint&) override { return false; }
};

class NoWindows : public Windows {
public:
    explicit NoWindows(std::shared_ptr<Notices> notices) : notices_(std::move(notices)) {}
    QVector<WindowInfo> listWindows() override {
        notices_->tell(
            QStringLiteral("In a Wayland session no program may list or copy the windows of other programs: "
                           "the window mirror and the window picker stay empty. Mirror the desktop instead."));
        return {};
    }
    QRect outerGeometry(WindowId) override { return {}; }
    bool captureWindow(WindowId, QImage&) override { return false; }

private:
    std::shared_ptr<Notices> notices_;
};

class NoPointerFence : public PointerFence {
public:
    explicit NoPointerFence(std::shared_ptr<Notices> notices) : notices_(std::move(notices)) {}
    void confine(const QRect&, const QVector<QRect>&) override {
        notices_->tell(
            QStringLiteral("The cursor lock cannot work in a Wayland session: Wayland lets no program keep the "
                           "pointer inside a part of the desktop."));
    }
    void release() override {}
    bool bringBack() override { return false; }
    QRect fence() const override { return {}; }

private:
    std::shared_ptr<Notices> notices_;
};

bool equals(const char* a, const char* b) { return a && std::strcmp(a, b) == 0; }

}  // namespace

bool wantsWaylandSession(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (equals(argv[i], "-platform") || equals(argv[i], "--platform"))
            return std::strncmp(argv[i + 1], "wayland", 7) == 0;
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if (qpa && *qpa) return std::strncmp(qpa, "wayland", 7) == 0;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (!display || !*display) && wayland && *wayland;
}

Platform makeWaylandPlatform(std::function<void(const QString& text)> tell) {
    auto notices = std::make_shared<Notices>(std::move(tell));
    Platform platform;
    platform.instanceLock = std::make_unique<PosixInstanceLock>();
    platform.paths = std::make_unique<PosixPaths>();
    platform.monitors = std::make_unique<QtMonitors>();
    // No monitorChanges: the App follows Qt's screens, which are the compositor's outputs.

    auto cast = std::make_shared<ScreenCast>(
        QDBusConnection::sessionBus(),
        [] {
            QScreen* primary = QGuiApplication::primaryScreen();
            return primary ? primary->geometry().topLeft() : QPoint();
        },
        [notices](const QString& text) { notices->tell(text); });
    platform.screen = std::make_unique<CastCapture>(cast);
    platform.screenChanges = std::make_unique<CastChanges>(cast);
    platform.keepCaptureGrant = [cast](const QString& stored, std::function<void(const QString&)> store) {
        cast->keepGrant(stored, std::move(store));
    };
    platform.pointer = std::make_unique<QtPointer>();
    platform.capturePointer = std::make_unique<StreamPointer>();
    platform.windows = std::make_unique<NoWindows>(notices);
    platform.openWindows = [notices] { return std::make_unique<NoWindows>(notices); };
    platform.pointerFence = std::make_unique<NoPointerFence>(notices);
    // No program may take keys system-wide: the shortcuts act in our windows.
    platform.globalKeys = std::make_unique<wayland::WindowKeys>();
    // Every Wayland compositor composes: a window's opacity always shows.
    platform.compositing = [] { return true; };
    return platform;
}

}  // namespace vz
