#include "platform/x11/x11_platform.h"

#include "platform/posix/instance_lock.h"
#include "platform/posix/paths.h"
#include "platform/x11/x11_band_surface.h"
#include "platform/x11/x11_clipboard_reader.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_global_keys.h"
#include "platform/x11/x11_monitors.h"
#include "platform/x11/x11_pointer.h"
#include "platform/x11/x11_pointer_fence.h"
#include "platform/x11/x11_screen_capture.h"
#include "platform/x11/x11_screen_changes.h"
#include "platform/x11/x11_windows.h"

namespace vz {

Platform makeX11Platform(QString* error) {
    Platform platform;
    platform.instanceLock = std::make_unique<PosixInstanceLock>();
    platform.paths = std::make_unique<PosixPaths>();

    // Screen capture gets a connection of its own so that its large
    // requests never queue behind the others'.
    std::shared_ptr<x11::Connection> shared = x11::Connection::open(error);
    if (!shared) return platform;
    auto captureConnection = x11::Connection::open(error);
    if (!captureConnection) return platform;
    // Grabs and barriers belong to the connection that made them, and so do
    // their events: each of these services reads its own.
    auto keysConnection = x11::Connection::open(error);
    if (!keysConnection) return platform;
    auto fenceConnection = x11::Connection::open(error);
    if (!fenceConnection) return platform;

    platform.monitors = std::make_unique<x11::X11Monitors>(shared);
    platform.pointer = std::make_unique<x11::X11Pointer>(shared);
    platform.windows = std::make_unique<x11::X11Windows>(shared);
    platform.screen = std::make_unique<x11::X11ScreenCapture>(std::move(captureConnection));
    // The frame pipeline's worker reads the pointer over a connection of its
    // own: an Xlib connection is used by one thread only.
    std::shared_ptr<x11::Connection> pointerConnection = x11::Connection::open(error);
    if (!pointerConnection) return {};
    platform.capturePointer = std::make_unique<x11::X11Pointer>(pointerConnection);
    // Its events are read by whichever thread asks for the changes.
    if (auto changesConnection = x11::Connection::open(nullptr))
        platform.screenChanges = std::make_unique<x11::X11ScreenChanges>(std::move(changesConnection));
    platform.monitorChanges = x11::X11MonitorChanges::open(x11::Connection::open(nullptr));
    platform.openWindows = [] { return makeX11WindowsOnOwnConnection(nullptr); };
    platform.openWindowMirror = [] { return makeX11WindowsOnOwnConnection(nullptr, true); };
    platform.globalKeys = std::make_unique<x11::X11GlobalKeys>(std::move(keysConnection));
    platform.pointerFence = std::make_unique<x11::X11PointerFence>(std::move(fenceConnection));
    platform.clipboardReader = x11::X11ClipboardReader::open(x11::Connection::open(nullptr));
    platform.compositing = [shared] { return shared->compositingManagerRunning(); };
    platform.openBandSurface = [](WindowId window) -> std::unique_ptr<BandSink> {
        return x11::X11BandSurface::open(x11::Connection::open(nullptr), window);
    };
    return platform;
}

std::unique_ptr<Windows> makeX11WindowsOnOwnConnection(QString* error, bool oneWindow) {
    std::shared_ptr<x11::Connection> connection = x11::Connection::open(error);
    if (!connection) return nullptr;
    return std::make_unique<x11::X11Windows>(std::move(connection), oneWindow ? x11::X11Windows::Redirect::OneWindow
                                                                              : x11::X11Windows::Redirect::AllWindows);
}

}  // namespace vz
