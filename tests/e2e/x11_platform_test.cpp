// The X11 platform against a real (virtual) X server: run through
// tests/e2e/with_display, which provides two RandR monitors, openbox and a tray.

#include "core/clipboard/clipboard_reader.h"
#include "platform/x11/x11_clipboard_reader.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_global_keys.h"
#include "platform/x11/x11_platform.h"
#include "platform/x11/x11_pointer_fence.h"
#include "platform/x11/x11_screen_capture.h"
#include "x11_test_client.h"

#include <QBuffer>
#include <QCursor>
#include <QTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include <unistd.h>

namespace {

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kYellow = qRgb(255, 255, 0),
           kBlack = qRgb(0, 0, 0);

// The stored 32-bit value: RGB32 pixels must carry 0xff in the top byte,
// which QImage::pixel() would paper over.
QRgb raw(const QImage& image, QPoint at) { return reinterpret_cast<const QRgb*>(image.constScanLine(at.y()))[at.x()]; }

// Other clients' drawing reaches the server on their own connection: poll.
bool waitUntil(const std::function<bool()>& condition, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

// Four coloured quadrants: red, green / blue, yellow.
class PatternWindow : public QRasterWindow {
public:
    explicit PatternWindow(Qt::WindowFlags flags = {}) { setFlags(flags); }
    QRgb single = 0;  // non-zero: one colour instead of the quadrants

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (single) {
            p.fillRect(QRect(QPoint(0, 0), size()), QColor(single));
            return;
        }
        const int w = width() / 2, h = height() / 2;
        p.fillRect(0, 0, w, h, QColor(kRed));
        p.fillRect(w, 0, width() - w, h, QColor(kGreen));
        p.fillRect(0, h, w, height() - h, QColor(kBlue));
        p.fillRect(w, h, width() - w, height() - h, QColor(kYellow));
    }
};

class X11Platform : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        platform = vz::makeX11Platform(&error);
        ASSERT_TRUE(platform.monitors) << error.toStdString();
    }
    vz::Platform platform;
};

TEST_F(X11Platform, MonitorsPrimaryFirst) {
    const QVector<QRect> expected{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(platform.monitors->monitors(), expected);
    EXPECT_EQ(platform.monitors->primary(), QRect(0, 0, 1920, 1080));
}

// A compositing manager is one that owns the screen's _NET_WM_CM_S0
// selection: the virtual display has none until a client takes it, and none
// again once that client's window is gone.
TEST_F(X11Platform, CompositingFollowsTheSelectionOwner) {
    ASSERT_TRUE(platform.compositing);
    X11TestClient client;
    ASSERT_TRUE(client.ok());
    EXPECT_FALSE(platform.compositing());
    X11TestClient::WindowSetup setup;
    setup.geometry = QRect(0, 0, 8, 8);
    setup.map = false;
    const unsigned long owner = client.createWindow(setup);
    client.ownSelection("_NET_WM_CM_S0", owner);
    EXPECT_TRUE(platform.compositing());
    client.destroyWindow(owner);
    client.sync();
    EXPECT_FALSE(platform.compositing());
}

// A bypass-the-window-manager window with the quadrant pattern straddling
// the two monitors at 1900,100, 64x48.
class ScreenCaptureTest : public ::testing::TestWithParam<vz::x11::X11ScreenCapture::Method> {
protected:
    void SetUp() override {
        auto connection = vz::x11::Connection::open(nullptr);
        ASSERT_TRUE(connection);
        capture = std::make_unique<vz::x11::X11ScreenCapture>(std::move(connection), GetParam());
        pattern.setGeometry(QRect(kWhere, QSize(64, 48)));
        pattern.show();
        QImage probe;
        ASSERT_TRUE(waitUntil([&] {
            return capture->captureScreen(QRect(kWhere, QSize(64, 48)), probe) && probe.pixel(63, 47) == kYellow &&
                   probe.pixel(0, 0) == kRed;
        })) << "the pattern window never showed";
    }
    static constexpr QPoint kWhere{1900, 100};
    PatternWindow pattern{Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint};
    std::unique_ptr<vz::x11::X11ScreenCapture> capture;
};

TEST_P(ScreenCaptureTest, CopiesThePixelsOfTheRectangle) {
    EXPECT_EQ(capture->usesSharedMemory(), GetParam() == vz::x11::X11ScreenCapture::Method::Auto);
    struct Case {
        QRect rect;
        QPoint at;
        QRgb expected;
    };
    // Quadrant edges on the root: x 1932, y 124.
    const Case cases[] = {
        {QRect(1900, 100, 64, 48), {0, 0}, kRed},      {QRect(1900, 100, 64, 48), {31, 23}, kRed},
        {QRect(1900, 100, 64, 48), {32, 23}, kGreen},  {QRect(1900, 100, 64, 48), {31, 24}, kBlue},
        {QRect(1900, 100, 64, 48), {63, 47}, kYellow}, {QRect(1920, 112, 24, 24), {11, 11}, kRed},
        {QRect(1920, 112, 24, 24), {12, 11}, kGreen},  {QRect(1920, 112, 24, 24), {11, 12}, kBlue},
        {QRect(1920, 112, 24, 24), {12, 12}, kYellow}, {QRect(1931, 123, 2, 2), {1, 1}, kYellow},
    };
    QImage image;
    for (const Case& c : cases) {
        ASSERT_TRUE(capture->captureScreen(c.rect, image));
        ASSERT_EQ(image.size(), c.rect.size());
        ASSERT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(raw(image, c.at), c.expected)
            << "rect " << c.rect.x() << "," << c.rect.y() << " at " << c.at.x() << "," << c.at.y();
    }
}

// The server's own drawing (the root's background) may leave the unused top
// byte at zero.
TEST_P(ScreenCaptureTest, EveryPixelIsOpaque) {
    QImage image;
    ASSERT_TRUE(capture->captureScreen(QRect(0, 0, 3200, 1080), image));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ASSERT_EQ(qAlpha(raw(image, {x, y})), 255) << x << "," << y;
}

TEST_P(ScreenCaptureTest, ReusesTheCallersBuffer) {
    QImage image;
    ASSERT_TRUE(capture->captureScreen(QRect(1900, 100, 64, 48), image));
    const uchar* bits = image.constBits();
    ASSERT_TRUE(capture->captureScreen(QRect(1900, 100, 64, 48), image));
    EXPECT_EQ(image.constBits(), bits);
    ASSERT_TRUE(capture->captureScreen(QRect(0, 0, 1920, 1080), image));
    ASSERT_TRUE(capture->captureScreen(QRect(1900, 100, 64, 48), image));  // smaller after larger
    EXPECT_EQ(image.pixel(63, 47), kYellow);
}

TEST_P(ScreenCaptureTest, OutsideTheRootIsBlack) {
    // Green squares in the root's top-left and bottom-right corners.
    PatternWindow topLeft(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    PatternWindow bottomRight(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    topLeft.single = bottomRight.single = kGreen;
    topLeft.setGeometry(0, 0, 16, 16);
    bottomRight.setGeometry(3200 - 16, 1080 - 16, 16, 16);
    topLeft.show();
    bottomRight.show();
    QImage probe;
    ASSERT_TRUE(waitUntil([&] {
        return capture->captureScreen(QRect(0, 0, 3200, 1080), probe) && probe.pixel(0, 0) == kGreen &&
               probe.pixel(3199, 1079) == kGreen;
    }));

    struct Case {
        QRect rect;
        QPoint at;
        QRgb expected;
    };
    const Case cases[] = {
        {QRect(-16, -16, 32, 32), {15, 15}, kBlack},  {QRect(-16, -16, 32, 32), {16, 16}, kGreen},
        {QRect(-16, -16, 32, 32), {31, 31}, kGreen},  {QRect(-16, -16, 32, 32), {31, 0}, kBlack},
        {QRect(3190, 1070, 20, 20), {9, 9}, kGreen},  {QRect(3190, 1070, 20, 20), {10, 9}, kBlack},
        {QRect(3190, 1070, 20, 20), {9, 10}, kBlack}, {QRect(3190, 1070, 20, 20), {19, 19}, kBlack},
        {QRect(-40, -40, 20, 20), {10, 10}, kBlack},  // wholly outside
    };
    QImage image;
    for (const Case& c : cases) {
        ASSERT_TRUE(capture->captureScreen(c.rect, image));
        ASSERT_EQ(image.size(), c.rect.size());
        EXPECT_EQ(raw(image, c.at), c.expected)
            << "rect " << c.rect.x() << "," << c.rect.y() << " at " << c.at.x() << "," << c.at.y();
    }
}

TEST_P(ScreenCaptureTest, EmptyRectangleFailsAndLeavesImageAlone) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(kGreen);
    EXPECT_FALSE(capture->captureScreen(QRect(10, 10, 0, 5), image));
    EXPECT_EQ(image.size(), QSize(4, 4));
    EXPECT_EQ(image.pixel(0, 0), kGreen);
}

INSTANTIATE_TEST_SUITE_P(Methods, ScreenCaptureTest,
                         ::testing::Values(vz::x11::X11ScreenCapture::Method::Auto,
                                           vz::x11::X11ScreenCapture::Method::PlainGetImage),
                         [](const auto& info) {
                             return info.param == vz::x11::X11ScreenCapture::Method::Auto ? "SharedMemory" : "GetImage";
                         });

TEST_F(X11Platform, PointerPositionAndCursor) {
    QCursor::setPos(QPoint(700, 400));
    EXPECT_TRUE(waitUntil([&] { return platform.pointer->position() == QPoint(700, 400); }));
    QCursor::setPos(QPoint(2500, 900));
    EXPECT_TRUE(waitUntil([&] { return platform.pointer->position() == QPoint(2500, 900); }));

    QImage cursor;
    QPoint hotSpot(-1, -1);
    ASSERT_TRUE(platform.pointer->cursorImage(cursor, hotSpot));
    EXPECT_FALSE(cursor.isNull());
    EXPECT_EQ(cursor.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_TRUE(cursor.rect().contains(hotSpot));
    // Premultiplied: no channel exceeds alpha. Some pixel must be visible.
    bool visible = false;
    for (int y = 0; y < cursor.height(); ++y)
        for (int x = 0; x < cursor.width(); ++x) {
            const QRgb p = cursor.pixel(x, y);
            visible |= qAlpha(p) > 0;
            ASSERT_LE(qRed(p), qAlpha(p));
        }
    EXPECT_TRUE(visible);
}

TEST_F(X11Platform, WindowCaptureSeesObscuredPartsAndVanishedWindowFails) {
    auto window = std::make_unique<PatternWindow>();
    window->single = kBlue;
    window->setTitle(QStringLiteral("x11 platform test"));
    window->setGeometry(300, 200, 240, 160);
    window->show();
    const vz::WindowId id = window->winId();
    QRect client;
    ASSERT_TRUE(waitUntil([&] {
        client = QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
        const QRect outer = platform.windows->outerGeometry(id);
        return window->isExposed() && outer.contains(client) && outer != client;  // framed by openbox
    })) << "the window was never framed";

    // A window on top of the client's centre.
    PatternWindow cover(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    cover.single = kRed;
    cover.setGeometry(QRect(client.center() - QPoint(20, 20), QSize(40, 40)));
    cover.show();
    QImage screen;
    ASSERT_TRUE(waitUntil([&] {
        return platform.screen->captureScreen(QRect(client.center(), QSize(1, 1)), screen) &&
               screen.pixel(0, 0) == kRed;
    }));

    QImage image;
    QRect outer;
    const auto windowPixel = [&](QPoint rootPoint) { return image.pixel(rootPoint - outer.topLeft()); };
    ASSERT_TRUE(waitUntil([&] {
        outer = platform.windows->outerGeometry(id);
        return platform.windows->captureWindow(id, image) && image.size() == outer.size() &&
               windowPixel(client.topLeft() + QPoint(2, 2)) == kBlue &&
               windowPixel(client.center()) == kBlue;  // under the cover: Composite gives the window's own pixels
    })) << "window content was not captured";
    EXPECT_EQ(image.format(), QImage::Format_RGB32);

    window.reset();
    EXPECT_TRUE(waitUntil([&] { return platform.windows->outerGeometry(id).isEmpty(); }));
    const qint64 key = image.cacheKey();
    EXPECT_FALSE(platform.windows->captureWindow(id, image));
    EXPECT_EQ(image.cacheKey(), key);
    EXPECT_EQ(image.size(), outer.size());
}

TEST_F(X11Platform, UnknownWindowsFail) {
    QImage image;
    for (const vz::WindowId id : {vz::WindowId(0), vz::WindowId(0x1fffffff), vz::WindowId(0xffffffffffULL)}) {
        EXPECT_TRUE(platform.windows->outerGeometry(id).isEmpty()) << id;
        EXPECT_FALSE(platform.windows->captureWindow(id, image)) << id;
    }
    EXPECT_TRUE(image.isNull());
}

std::optional<vz::WindowInfo> findListed(vz::Windows& windows, vz::WindowId id) {
    for (const vz::WindowInfo& info : windows.listWindows())
        if (info.id == id) return info;
    return std::nullopt;
}

// Windows of a plain Xlib client, as an application makes them.
class X11WindowList : public X11Platform {
protected:
    void SetUp() override {
        X11Platform::SetUp();
        ASSERT_TRUE(client.ok());
    }
    // Waits until the window manager has framed and mapped `id`.
    vz::WindowInfo waitListed(vz::WindowId id) {
        std::optional<vz::WindowInfo> info;
        EXPECT_TRUE(waitUntil([&] {
            info = findListed(*platform.windows, id);
            return info && info->visible && info->outer.width() > 0;
        })) << "window "
            << id << " was never listed as visible";
        return info.value_or(vz::WindowInfo{});
    }
    X11TestClient client;
};

TEST_F(X11WindowList, ListsTitleClassAndProgram) {
    const QString ownProgram = QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe").string());
    struct Case {
        X11TestClient::WindowSetup setup;
        QString title, instanceName, className, programPath;
    };
    const Case cases[] = {
        {{QRect(200, 150, 300, 200), kBlue, "Čebelica – ☂ window", "", "picker-test", "PickerTest"},
         QStringLiteral("Čebelica – ☂ window"),
         QStringLiteral("picker-test"),
         QStringLiteral("PickerTest"),
         ownProgram},
        // Only the old Latin-1 title; no process id, so no program path.
        {{QRect(600, 150, 200, 120), kGreen, "", "Caf\xe9 only", "old", "Old", false},
         QStringLiteral("Café only"),
         QStringLiteral("old"),
         QStringLiteral("Old"),
         QString()},
        // Nothing at all.
        {{QRect(900, 150, 120, 90), kRed, "", "", "", "", false}, QString(), QString(), QString(), QString()},
    };
    for (const Case& c : cases) {
        const vz::WindowId id = client.createWindow(c.setup);
        const vz::WindowInfo info = waitListed(id);
        SCOPED_TRACE(c.title.toStdString());
        EXPECT_EQ(info.title, c.title);
        EXPECT_EQ(info.instanceName, c.instanceName);
        EXPECT_EQ(info.className, c.className);
        EXPECT_EQ(info.programPath, c.programPath);
        EXPECT_EQ(info.processId, c.setup.withPid ? qint64(getpid()) : 0);
        EXPECT_FALSE(info.desktopOrPanel);
        // Framed by openbox: the frame holds the client and is larger.
        EXPECT_GE(info.outer.width(), c.setup.geometry.width());
        EXPECT_GT(info.outer.height(), c.setup.geometry.height());
        EXPECT_EQ(info.outer, platform.windows->outerGeometry(id));
        client.destroyWindow(id);
    }

    // The tray (trayer) is a dock: listed as a panel.
    bool panel = false;
    for (const vz::WindowInfo& info : platform.windows->listWindows())
        panel |= info.desktopOrPanel && info.className == QLatin1String("trayer");
    EXPECT_TRUE(panel);
}

// A window manager that is gone may leave its client list behind: then the
// root's children are read, each frame standing for the client inside it.
TEST_F(X11WindowList, WithoutAWorkingWindowManagerTheRootChildrenAreListed) {
    const vz::WindowId id = client.createWindow({QRect(250, 250, 160, 120), kBlue, "inside a frame", "", "f", "F"});
    const vz::WindowId bypass = client.createWindow({QRect(50, 50, 40, 40), kRed, "", "", "", "", false, true});
    // Never mapped: the window manager does not know it, the root does.
    const vz::WindowId unmanaged =
        client.createWindow({QRect(60, 60, 40, 40), kRed, "unmanaged", "", "", "", false, false, false});
    const vz::WindowInfo managed = waitListed(id);
    EXPECT_FALSE(findListed(*platform.windows, unmanaged));
    const unsigned long check = client.supportingWmCheck();
    ASSERT_NE(check, 0UL);
    client.setSupportingWmCheck(bypass);  // a window that does not point back at itself
    const QVector<vz::WindowInfo> list = platform.windows->listWindows();
    client.setSupportingWmCheck(check);

    std::optional<vz::WindowInfo> found;
    for (const vz::WindowInfo& info : list) {
        if (info.id == id) found = info;
        EXPECT_NE(info.id, bypass) << "override-redirect windows are no application windows";
    }
    ASSERT_TRUE(found) << "the client inside its frame was not found";
    const auto hidden = std::find_if(list.begin(), list.end(), [&](const auto& info) { return info.id == unmanaged; });
    ASSERT_NE(hidden, list.end()) << "the root's children were not read";
    EXPECT_FALSE(hidden->visible);
    EXPECT_EQ(hidden->title, QStringLiteral("unmanaged"));
    EXPECT_EQ(found->title, managed.title);
    EXPECT_EQ(found->outer, managed.outer);
    EXPECT_TRUE(found->visible);
    EXPECT_EQ(findListed(*platform.windows, id)->id, id);  // the manager's list again
    for (const vz::WindowId window : {bypass, unmanaged, id}) client.destroyWindow(window);
}

TEST_F(X11WindowList, MinimisedWindowIsListedHiddenAndCannotBeCaptured) {
    const vz::WindowId id =
        client.createWindow({QRect(300, 300, 200, 150), kBlue, "to be minimised", "", "min", "Min"});
    waitListed(id);
    QImage image;
    EXPECT_TRUE(waitUntil([&] { return platform.windows->captureWindow(id, image); }));
    client.iconify(id);
    std::optional<vz::WindowInfo> info;
    EXPECT_TRUE(waitUntil([&] {
        info = findListed(*platform.windows, id);
        return info && !info->visible;
    }));
    const qint64 key = image.cacheKey();
    EXPECT_FALSE(platform.windows->captureWindow(id, image));
    EXPECT_EQ(image.cacheKey(), key);
    client.destroyWindow(id);
}

// The thumbnails' case: a service of its own on a worker thread captures a
// window with another one on top of it.
TEST_F(X11WindowList, CoveredWindowGivesItsOwnContentOnAWorkerThread) {
    const QRect geometry(400, 300, 320, 240);
    const vz::WindowId id = client.createWindow({geometry, kBlue, "covered", "", "covered", "Covered"});
    const vz::WindowInfo info = waitListed(id);
    const QRect cover(info.outer.center() - QPoint(40, 40), QSize(80, 80));
    const vz::WindowId coverId = client.createWindow({cover, kRed, "", "", "", "", false, true});
    QImage screen;
    ASSERT_TRUE(waitUntil([&] {
        return platform.screen->captureScreen(QRect(info.outer.center(), QSize(1, 1)), screen) &&
               screen.pixel(0, 0) == kRed;
    })) << "the cover never showed";

    QImage image;
    QRect outer;
    bool captured = false;
    std::thread worker([&] {
        std::unique_ptr<vz::Windows> windows = platform.openWindows();
        if (!windows) return;
        outer = windows->outerGeometry(id);
        captured = windows->captureWindow(id, image);
    });
    worker.join();
    ASSERT_TRUE(captured);
    ASSERT_EQ(image.size(), outer.size());
    ASSERT_EQ(outer, info.outer);
    const QPoint centre = info.outer.center() - outer.topLeft();
    EXPECT_EQ(raw(image, centre), kBlue) << "the cover was captured, not the window";
    EXPECT_EQ(raw(image, centre + QPoint(0, 60)), kBlue);  // below the cover
    // The frame (title bar) is part of the picture, and it is not the client's colour.
    EXPECT_NE(raw(image, QPoint(outer.width() / 2, 2)), kBlue);
    client.destroyWindow(coverId);
    client.destroyWindow(id);
}

TEST_F(X11WindowList, WindowDestroyedAfterListingFailsQuietly) {
    const vz::WindowId id = client.createWindow({QRect(500, 200, 200, 100), kGreen, "short-lived", "", "s", "S"});
    waitListed(id);
    std::unique_ptr<vz::Windows> ownConnection = platform.openWindows();
    ASSERT_TRUE(ownConnection);
    for (vz::Windows* windows : {platform.windows.get(), ownConnection.get()}) {
        ASSERT_TRUE(findListed(*windows, id));
    }
    client.destroyWindow(id);
    // An X error would end the process (Xlib's default handler); these fail instead.
    for (vz::Windows* windows : {platform.windows.get(), ownConnection.get()}) {
        QImage image;
        EXPECT_FALSE(windows->captureWindow(id, image));
        EXPECT_TRUE(image.isNull());
        EXPECT_TRUE(windows->outerGeometry(id).isEmpty());
        EXPECT_FALSE(findListed(*windows, id));
    }
}

TEST_F(X11WindowList, DrawingOnTheRootShowsUpOnce) {
    ASSERT_TRUE(platform.screenChanges);
    vz::ScreenChanges& changes = *platform.screenChanges;
    ASSERT_TRUE(changes.available());
    changes.takeChanges();  // whatever happened before
    EXPECT_TRUE(changes.takeChanges().isEmpty());

    // On the first monitor and on the second; away from every window.
    const QRect first(1300, 700, 37, 23), second(2700, 600, 50, 40);
    client.fillRoot(first, kYellow);
    const QRegion one = changes.takeChanges();
    EXPECT_EQ(one, QRegion(first));
    EXPECT_TRUE(changes.takeChanges().isEmpty());

    client.fillRoot(first, kGreen);
    client.fillRoot(second, kGreen);
    EXPECT_EQ(changes.takeChanges(), QRegion(first) + QRegion(second));
    EXPECT_TRUE(changes.takeChanges().isEmpty());
}
// Runs xdotool (synthetic input through XTest) while the event loop turns:
// the services under test read their events on it.
bool xdotool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    if (!process.waitForStarted(5000)) return false;
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Lets the event loop run for `ms` milliseconds.
void settle(int ms) {
    waitUntil([] { return false; }, ms);
}

std::unique_ptr<vz::x11::X11GlobalKeys> openGlobalKeys() {
    auto connection = vz::x11::Connection::open(nullptr);
    return connection ? std::make_unique<vz::x11::X11GlobalKeys>(std::move(connection)) : nullptr;
}

constexpr std::uint32_t kF1 = 0xffbe, kF7 = 0xffc4, kF8 = 0xffc5, kF9 = 0xffc6, kLetterA = 0x61;
using enum vz::KeyRegistration;

class GlobalKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        keys = openGlobalKeys();
        ASSERT_TRUE(keys);
        keys->setPressHandler([this](int id) { pressed.push_back(id); });
    }
    // Presses `combination` (xdotool's spelling) and waits for `id` to arrive.
    bool pressAndExpect(const QString& combination, int id) {
        pressed.clear();
        if (!xdotool({QStringLiteral("key"), combination})) return false;
        return waitUntil([&] { return !pressed.empty(); }, 3000) && pressed == std::vector<int>{id};
    }
    std::unique_ptr<vz::x11::X11GlobalKeys> keys;
    std::vector<int> pressed;
};

TEST_F(GlobalKeysTest, PressesArriveWithTheirIdWhateverTheLockKeys) {
    // Num Lock and Caps Lock are bound to modifiers on the virtual server.
    const std::vector<unsigned> locks = keys->lockMasks();
    EXPECT_GE(std::count_if(locks.begin(), locks.end(), [](unsigned m) { return m != 0; }), 2);

    ASSERT_EQ(keys->registerKey(3, {kF7, vz::KeyModifier::Ctrl}), Registered);
    ASSERT_EQ(keys->registerKey(4, {kLetterA, vz::KeyModifier::Shift | vz::KeyModifier::Alt}), Registered);
    EXPECT_TRUE(pressAndExpect(QStringLiteral("ctrl+F7"), 3));
    EXPECT_TRUE(pressAndExpect(QStringLiteral("shift+alt+a"), 4));

    // An unregistered combination, then a registered one: only the second arrives.
    pressed.clear();
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+F8")}));
    EXPECT_TRUE(pressAndExpect(QStringLiteral("ctrl+F7"), 3));

    for (const char* lock : {"Num_Lock", "Caps_Lock"}) {
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QString::fromLatin1(lock)}));  // on
        EXPECT_TRUE(pressAndExpect(QStringLiteral("ctrl+F7"), 3)) << lock;
        ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}));  // both on, or Num Lock off
        EXPECT_TRUE(pressAndExpect(QStringLiteral("shift+alt+a"), 4)) << lock;
    }
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("Caps_Lock")}));  // all off again

    // Gone after unregistering: an unrelated press is all that arrives.
    keys->unregisterKey(3);
    pressed.clear();
    ASSERT_TRUE(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+F7")}));
    EXPECT_TRUE(pressAndExpect(QStringLiteral("shift+alt+a"), 4));
}

TEST_F(GlobalKeysTest, ACombinationHeldElsewhereIsRefused) {
    auto other = openGlobalKeys();  // another client
    ASSERT_TRUE(other);
    ASSERT_EQ(other->registerKey(1, {kF9, vz::KeyModifier::Ctrl}), Registered);
    EXPECT_EQ(keys->registerKey(1, {kF9, vz::KeyModifier::Ctrl}), HeldElsewhere);
    EXPECT_FALSE(keys->isRegistered(1));
    EXPECT_EQ(keys->registerKey(2, {kF9, vz::KeyModifier::Ctrl | vz::KeyModifier::Shift}), Registered);

    // Two of our own ids cannot share a combination either.
    EXPECT_EQ(keys->registerKey(5, {kF8, vz::KeyModifier::Alt}), Registered);
    EXPECT_EQ(keys->registerKey(6, {kF8, vz::KeyModifier::Alt}), HeldElsewhere);

    // Given back on unregistering and on destruction.
    other->unregisterKey(1);
    EXPECT_EQ(keys->registerKey(1, {kF9, vz::KeyModifier::Ctrl}), Registered);
    EXPECT_TRUE(pressAndExpect(QStringLiteral("ctrl+F9"), 1));
    keys.reset();
    EXPECT_EQ(other->registerKey(1, {kF9, vz::KeyModifier::Ctrl}), Registered);
    EXPECT_EQ(other->registerKey(2, {kF8, vz::KeyModifier::Alt}), Registered);
}

TEST_F(GlobalKeysTest, KeysTheKeyboardLacksOrTheServerKeepsAreToldApart) {
    struct Case {
        const char* what;
        vz::KeyCombination keys;
        vz::KeyRegistration expected;
    };
    const Case cases[] = {
        {"no key", {0, vz::KeyModifier::Ctrl}, NoSuchKey},
        {"a keysym no key produces", {0x1234567, {}}, NoSuchKey},
        {"Ctrl+Alt+F1 switches to the first console",
         {kF1, vz::KeyModifier::Ctrl | vz::KeyModifier::Alt},
         KeptBySystem},
        {"Ctrl+Alt+F7", {kF7, vz::KeyModifier::Ctrl | vz::KeyModifier::Alt}, KeptBySystem},
        {"Shift+Ctrl+Alt+F1 is an F1 again",
         {kF1, vz::KeyModifier::Shift | vz::KeyModifier::Ctrl | vz::KeyModifier::Alt},
         Registered},
        {"Ctrl+F1", {kF1, vz::KeyModifier::Ctrl}, Registered},
    };
    int id = 20;
    for (const Case& c : cases) {
        EXPECT_EQ(keys->registerKey(id, c.keys), c.expected) << c.what;
        EXPECT_EQ(keys->isRegistered(id), c.expected == Registered) << c.what;
        ++id;
    }
}

TEST_F(GlobalKeysTest, KeysymsOfAKeyComeUnshiftedFirst) {
    // The key that gives 1 on the server's US layout gives ! with Shift.
    std::optional<std::uint32_t> one;
    for (std::uint32_t code = 8; code < 256 && !one; ++code) {
        const std::vector<std::uint32_t> keysyms = keys->keysymsOfKey(code);
        if (!keysyms.empty() && keysyms.front() == '1') one = code;
    }
    ASSERT_TRUE(one) << "no key gives 1";
    EXPECT_EQ(keys->keysymsOfKey(*one), (std::vector<std::uint32_t>{'1', '!'}));
    EXPECT_TRUE(keys->keysymsOfKey(0).empty());
    EXPECT_TRUE(keys->keysymsOfKey(300).empty()) << "beyond the key codes";
}

class PointerFenceTest : public X11Platform {
protected:
    void SetUp() override {
        X11Platform::SetUp();
        if (HasFatalFailure()) return;
        monitors = platform.monitors->monitors();
        ASSERT_EQ(monitors.size(), 2);
    }
    std::unique_ptr<vz::x11::X11PointerFence> openFence(vz::x11::X11PointerFence::Method method) {
        auto connection = vz::x11::Connection::open(nullptr);
        return connection ? std::make_unique<vz::x11::X11PointerFence>(std::move(connection), method) : nullptr;
    }
    bool warp(QPoint to) {
        QCursor::setPos(to);
        return waitUntil([&] { return platform.pointer->position() == to; });
    }
    // Relative motion, as a mouse makes it; barriers stop only that.
    bool moveBy(int dx, int dy) {
        return xdotool(
            {QStringLiteral("mousemove_relative"), QStringLiteral("--"), QString::number(dx), QString::number(dy)});
    }
    // Where the pointer comes to rest.
    QPoint settledPosition() {
        settle(100);
        return platform.pointer->position();
    }
    QVector<QRect> monitors;
};

TEST_F(PointerFenceTest, BarriersStopMotionAtEverySide) {
    auto fence = openFence(vz::x11::X11PointerFence::Method::Auto);
    ASSERT_TRUE(fence);
    ASSERT_TRUE(fence->usesBarriers()) << "the virtual server has XFixes 5 and XInput 2.3";

    const QRect area(400, 300, 800, 400);  // x 400..1199, y 300..699
    struct Case {
        QPoint by;
        QPoint expected;
    };
    const Case cases[] = {
        {{1000, 0}, {1199, 500}}, {{-1000, 0}, {400, 500}},    {{0, 1000}, {800, 699}},
        {{0, -1000}, {800, 300}}, {{1000, 1000}, {1199, 699}},  // into a corner
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(warp({800, 500}));
        fence->confine(area, monitors);
        ASSERT_TRUE(moveBy(c.by.x(), c.by.y()));
        EXPECT_EQ(settledPosition(), c.expected) << "moving by " << c.by.x() << "," << c.by.y();
    }

    // The primary monitor: the pointer stops at its edge with the second one.
    ASSERT_TRUE(warp({1800, 500}));
    fence->confine(monitors[0], monitors);
    EXPECT_EQ(fence->fence(), QRect(0, 0, 1920, 1080));
    ASSERT_TRUE(moveBy(400, 0));
    EXPECT_EQ(settledPosition(), QPoint(1919, 500));

    // A rectangle on no monitor: the primary monitor instead.
    fence->confine(QRect(2000, 1050, 50, 20), monitors);
    EXPECT_EQ(fence->fence(), monitors[0]);
}

// The same on a fence with barriers and on one that has only its checks.
class PointerFenceMethods : public PointerFenceTest,
                            public ::testing::WithParamInterface<vz::x11::X11PointerFence::Method> {
protected:
    void SetUp() override {
        PointerFenceTest::SetUp();
        if (HasFatalFailure()) return;
        fence = openFence(GetParam());
        ASSERT_TRUE(fence);
    }
    // A test that stopped half way must not leave Ctrl held for the next.
    void TearDown() override { xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl")}); }
    std::unique_ptr<vz::x11::X11PointerFence> fence;
};

TEST_P(PointerFenceMethods, AWarpOutIsUndoneAndReleaseFreesThePointer) {
    ASSERT_TRUE(warp({2500, 600}));
    fence->confine(monitors[0], monitors);  // brings the pointer in at once
    EXPECT_EQ(settledPosition(), QPoint(1919, 600));

    ASSERT_TRUE(warp({2600, 700}));  // warps pass any barrier
    EXPECT_TRUE(fence->bringBack());
    EXPECT_EQ(settledPosition(), QPoint(1919, 700));
    EXPECT_FALSE(fence->bringBack());

    if (GetParam() == vz::x11::X11PointerFence::Method::CheckOnly) {
        ASSERT_TRUE(moveBy(400, 0));  // nothing stops it until the check
        EXPECT_GT(settledPosition().x(), 1919);
        EXPECT_TRUE(fence->bringBack());
        EXPECT_EQ(settledPosition().x(), 1919);
    }

    fence->release();
    EXPECT_TRUE(fence->fence().isNull());
    ASSERT_TRUE(moveBy(400, 0));
    EXPECT_GT(settledPosition().x(), 1920) << "released";
    EXPECT_FALSE(fence->bringBack());

    // Destroying a fence frees the pointer too.
    ASSERT_TRUE(warp({1800, 700}));
    fence->confine(monitors[0], monitors);
    fence.reset();
    ASSERT_TRUE(moveBy(400, 0));
    EXPECT_GT(settledPosition().x(), 1920) << "destroyed";
}

TEST_P(PointerFenceMethods, CtrlLetsThePointerThrough) {
    ASSERT_TRUE(warp({1800, 500}));
    fence->confine(monitors[0], monitors);

    // Ctrl down, push against the fence, push again, check, Ctrl up.
    // Between the pushes the fence hears of the hit and opens.
    ASSERT_TRUE(xdotool({QStringLiteral("keydown"), QStringLiteral("ctrl")}));
    ASSERT_TRUE(moveBy(200, 0));
    settle(300);
    ASSERT_TRUE(moveBy(200, 0));
    const QPoint out = settledPosition();
    EXPECT_GT(out.x(), 1920);
    EXPECT_FALSE(fence->bringBack()) << "let out while Ctrl is held";
    ASSERT_TRUE(xdotool({QStringLiteral("keyup"), QStringLiteral("ctrl")}));
    EXPECT_FALSE(fence->bringBack()) << "stays out after Ctrl is let go";
    EXPECT_EQ(settledPosition(), out);

    // Back inside, the fence holds again.
    ASSERT_TRUE(moveBy(-600, 0));
    EXPECT_LT(settledPosition().x(), 1920);
    EXPECT_FALSE(fence->bringBack());
    if (GetParam() == vz::x11::X11PointerFence::Method::Auto) {
        ASSERT_TRUE(moveBy(600, 0));
        EXPECT_EQ(settledPosition().x(), 1919);
    }
    ASSERT_TRUE(warp({2500, 500}));
    EXPECT_TRUE(fence->bringBack());
    EXPECT_EQ(settledPosition(), QPoint(1919, 500));
}

INSTANTIATE_TEST_SUITE_P(Methods, PointerFenceMethods,
                         ::testing::Values(vz::x11::X11PointerFence::Method::Auto,
                                           vz::x11::X11PointerFence::Method::CheckOnly),
                         [](const auto& info) {
                             return info.param == vz::x11::X11PointerFence::Method::Auto ? "Barriers" : "ChecksOnly";
                         });

// Restores $DISPLAY when it goes.
class DisplayOverride {
public:
    explicit DisplayOverride(const char* value) : saved_(qgetenv("DISPLAY")) {
        if (value)
            qputenv("DISPLAY", value);
        else
            qunsetenv("DISPLAY");
    }
    ~DisplayOverride() { qputenv("DISPLAY", saved_); }

private:
    QByteArray saved_;
};

TEST(X11PlatformWithoutDisplay, SaysWhyAndKeepsLockAndPaths) {
    struct Case {
        const char* display;
        QString error;
    };
    const Case cases[] = {
        {nullptr, QStringLiteral("DISPLAY is not set")},
        {"", QStringLiteral("DISPLAY is not set")},
        {":9876", QStringLiteral("cannot open X display ':9876'")},
    };
    for (const Case& c : cases) {
        DisplayOverride display(c.display);
        QString error;
        const vz::Platform platform = vz::makeX11Platform(&error);
        EXPECT_EQ(error, c.error);
        EXPECT_FALSE(platform.monitors);
        EXPECT_FALSE(platform.screen);
        EXPECT_FALSE(platform.pointer);
        EXPECT_FALSE(platform.windows);
        EXPECT_FALSE(platform.screenChanges);
        EXPECT_FALSE(platform.openWindows);
        EXPECT_FALSE(platform.prompter);
        EXPECT_FALSE(platform.globalKeys);
        EXPECT_FALSE(platform.pointerFence);
        ASSERT_TRUE(platform.instanceLock);
        ASSERT_TRUE(platform.paths);
        EXPECT_FALSE(platform.paths->executablePath().isEmpty());
    }
}

// --- The clipboard read on a worker -------------------------------------------

// A PNG of `size` in noise (it hardly compresses, so a large one needs
// many increments) with a red top-left pixel.
QByteArray noisePng(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    std::uint32_t seed = 12345;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            image.setPixel(x, y, qRgb(int(seed >> 24), int(seed >> 16) & 255, int(seed >> 8) & 255));
        }
    image.setPixel(0, 0, kRed);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Each owner is read through the worker the program uses, while the test's
// own event loop (the user-interface thread's) keeps running: a timer
// ticks throughout.
TEST(X11Clipboard, OwnersThatAnswerAreReadAndOthersEndTheReadWithoutHoldingTheEventLoop) {
    using Behaviour = X11ClipboardOwner::Behaviour;
    using Status = vz::ClipboardPicture::Status;
    const QByteArray small = noisePng(QSize(40, 30)), large = noisePng(QSize(400, 300));
    ASSERT_GT(large.size(), 16 * 16 * 1024);
    const struct {
        const char* what;
        QByteArray data;
        Behaviour behaviour;
        std::chrono::milliseconds timeout;
        Status status;
        int atLeastMs, belowMs;  // how long the read took
    } cases[] = {
        {"a PNG in one piece", small, Behaviour::Answers, std::chrono::seconds(5), Status::Picture, 0, 5000},
        {"a PNG in increments", large, Behaviour::Answers, std::chrono::seconds(5), Status::Picture, 0, 5000},
        // The deadline ends the wait.
        {"an owner that never answers", small, Behaviour::Silent, std::chrono::milliseconds(800), Status::NoPicture,
         800, 30000},
        // The owner's death ends it, long before the deadline.
        {"an owner that dies mid-transfer", large, Behaviour::DiesMidTransfer, std::chrono::seconds(60),
         Status::NoPicture, 0, 30000},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        X11ClipboardOwner owner("image/png", k.data, k.behaviour);
        ASSERT_TRUE(owner.ok());
        auto x11 = vz::x11::X11ClipboardReader::open(vz::x11::Connection::open(nullptr), k.timeout);
        ASSERT_TRUE(x11);
        vz::ClipboardPictureReader reader(*x11, vz::ClipboardPictureReader::Mode::Worker);
        std::optional<vz::ClipboardPicture> read;
        QObject::connect(&reader, &vz::ClipboardPictureReader::pictureRead,
                         [&](const vz::ClipboardPicture& picture) { read = picture; });
        int ticks = 0;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start();
        QElapsedTimer took;
        took.start();
        reader.readLatest();
        ASSERT_TRUE(waitUntil([&] { return read.has_value(); }, 60000));
        const qint64 ms = took.elapsed();
        EXPECT_EQ(read->status, k.status) << qPrintable(read->error);
        EXPECT_GE(ms, k.atLeastMs);
        EXPECT_LT(ms, k.belowMs);
        // The event loop ran while the owner took its time.
        if (k.atLeastMs > 0) {
            EXPECT_GT(ticks, 0);
        }
        if (k.status == Status::Picture) {
            EXPECT_EQ(read->picture.pixel(0, 0), kRed);
        }
        if (k.behaviour == Behaviour::DiesMidTransfer) {
            EXPECT_EQ(owner.piecesSent(), 1);
        }
    }
}

// A newer read ends one waiting for a silent owner at once.
TEST(X11Clipboard, InterruptEndsTheWaitForASilentOwner) {
    X11ClipboardOwner owner("image/png", noisePng(QSize(8, 8)), X11ClipboardOwner::Behaviour::Silent);
    ASSERT_TRUE(owner.ok());
    auto x11 = vz::x11::X11ClipboardReader::open(vz::x11::Connection::open(nullptr), std::chrono::minutes(5));
    ASSERT_TRUE(x11);
    std::atomic<bool> ended{false};
    vz::ClipboardReader::Outcome outcome{};
    std::thread worker([&] {
        outcome = x11->types().outcome;
        ended = true;
    });
    // Whether the request is under way yet or not: the interrupt ends it
    // (the deadline is minutes away).
    x11->interrupt();
    ASSERT_TRUE(waitUntil([&] { return ended.load(); }, 60000));
    worker.join();
    EXPECT_EQ(outcome, vz::ClipboardReader::Outcome::Interrupted);
    x11->clearInterrupt();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// --- The scroll band's surface -----------------------------------------------

#include "core/scrolltext/band_state.h"
#include "platform/x11/x11_band_surface.h"

namespace {

class BandSurfaceTest : public X11Platform {
protected:
    static constexpr QRect kWindow{200, 300, 400, 24};
    void SetUp() override {
        X11Platform::SetUp();
        ASSERT_TRUE(client.ok());
        X11TestClient::WindowSetup setup;
        setup.geometry = kWindow;
        setup.background = kBlack;
        setup.overrideRedirect = true;
        window = client.createWindow(setup);
        client.sync();
        surface = vz::x11::X11BandSurface::open(vz::x11::Connection::open(nullptr), window);
        ASSERT_TRUE(surface);
    }
    void TearDown() override {
        surface.reset();
        if (window) client.destroyWindow(window);
    }
    QImage shot() {
        QImage image;
        EXPECT_TRUE(platform.screen->captureScreen(kWindow, image));
        return image;
    }
    X11TestClient client;
    unsigned long window = 0;
    std::unique_ptr<vz::x11::X11BandSurface> surface;
};

// Tick by tick, the window shows what the same band draws into an image:
// scrolled pixels, filled strips and copies from the uploaded pictures.
TEST_F(BandSurfaceTest, TicksDrawTheWindowAsTheyDrawAnImage) {
    vz::BandState onWindow, onImage;
    for (vz::BandState* band : {&onWindow, &onImage}) {
        vz::BandLook look;
        look.font.setPixelSize(14);
        look.background = QColor(255, 255, 200);
        band->setLook(look);
        band->setSize(kWindow.size());
        band->setLoopSpacing(1);
        band->setStep(7);
        band->addItem(QStringLiteral("Scrolling band — one, two, three"));
        band->setActive(true);
    }
    // The window's first tick draws everything (nothing is on it yet); the
    // image starts with the background instead.
    vz::ImageBandSink image(kWindow.size());
    image.fill(QRect(QPoint(0, 0), kWindow.size()), QColor(255, 255, 200));
    for (int tick = 0; tick < 90; ++tick) {
        onWindow.tick(*surface);
        surface->flush();
        onImage.tick(image);
        if (tick % 30 != 29) continue;
        client.sync();
        QImage got;
        ASSERT_TRUE(waitUntil([&] {
            got = shot();
            return got == image.image();
        })) << "tick "
            << tick;
    }
    // Each tile of the picture went to the server once.
    EXPECT_LE(surface->uploads(), 2);
}

TEST_F(BandSurfaceTest, ExposeAndResizeAskForAWholeRepaint) {
    EXPECT_TRUE(surface->hasPendingRepaint());  // the first tick draws everything
    EXPECT_FALSE(surface->hasPendingRepaint());

    X11TestClient::WindowSetup cover;
    cover.geometry = kWindow.adjusted(10, 0, -10, 0);
    cover.overrideRedirect = true;
    const unsigned long coverWindow = client.createWindow(cover);
    client.sync();
    client.destroyWindow(coverWindow);
    client.sync();
    EXPECT_TRUE(waitUntil([&] { return surface->hasPendingRepaint(); }));
    EXPECT_FALSE(surface->hasPendingRepaint());
}

}  // namespace
