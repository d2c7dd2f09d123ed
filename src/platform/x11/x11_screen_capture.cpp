#include "platform/x11/x11_screen_capture.h"

#include "platform/image_copy.h"
#include "platform/x11/x11_error_trap.h"
#include "platform/x11/x11_image_convert.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>
#include <cstdio>

namespace vz::x11 {

struct X11ScreenCapture::Shm {
    XShmSegmentInfo info{0, -1, nullptr, False};  // XShmCreateImage keeps a pointer to it
    std::size_t size = 0;
    bool attached = false;
    XImage* image = nullptr;
};

namespace {

// Frees an image header made by XShmCreateImage, never the shared pixels.
void destroyHeader(XImage*& image) {
    if (!image) return;
    image->data = nullptr;
    XDestroyImage(image);
    image = nullptr;
}

std::atomic<bool> fallbackReported{false};

}  // namespace

X11ScreenCapture::X11ScreenCapture(std::unique_ptr<Connection> connection, Method method)
    : connection_(std::move(connection)),
      shm_(std::make_unique<Shm>()),
      useShm_(method == Method::Auto),
      rootSize_(connection_->rootSize()) {
    if (useShm_ && !connection_->hasShm()) giveUpShm("the X server has no MIT-SHM extension");
}

X11ScreenCapture::~X11ScreenCapture() { releaseShm(); }

bool X11ScreenCapture::captureScreen(const QRect& rect, QImage& into) {
    if (rect.isEmpty()) return false;
    const auto visibleNow = [&] { return rect & QRect(QPoint(0, 0), rootSize_); };
    if (!QRect(QPoint(0, 0), rootSize_).contains(rect)) rootSize_ = connection_->rootSize();
    if (grab(visibleNow(), into, rect)) return true;

    // The root window may have been resized since we last asked.
    rootSize_ = connection_->rootSize();
    if (grab(visibleNow(), into, rect)) return true;
    // Shared memory can fail where the plain request works.
    if (useShm_ && grabPlain(visibleNow(), into, rect)) {
        giveUpShm("XShmGetImage failed");
        return true;
    }
    return false;
}

bool X11ScreenCapture::grab(const QRect& visible, QImage& into, const QRect& rect) {
    if (visible.isEmpty()) {
        ensureFrame(into, rect.size());
        into.fill(Qt::black);
        return true;
    }
    if (useShm_) {
        if (prepareShmImage(visible.size())) return grabShm(visible, into, rect);
        giveUpShm("the shared memory segment could not be set up");
    }
    return grabPlain(visible, into, rect);
}

namespace {

// Puts the grabbed `image` (covering `visible`) into `into`, which becomes
// rect.size(), black outside `visible`.
bool deliver(const XImage* image, const QRect& visible, QImage& into, const QRect& rect) {
    if (!canCopyXImage(image)) return false;
    ensureFrame(into, rect.size());
    if (visible != rect) into.fill(Qt::black);
    return copyXImage(image, into, visible.topLeft() - rect.topLeft());
}

}  // namespace

bool X11ScreenCapture::captureScreenAt(const QRect& rect, QImage& into, QPoint at) {
    if (rect.isEmpty() || into.format() != QImage::Format_RGB32 || !into.rect().contains(QRect(at, rect.size())))
        return false;
    // Parts off the root window (black) and the plain path go the general way.
    if (!useShm_ || !QRect(QPoint(0, 0), rootSize_).contains(rect) || !prepareShmImage(rect.size()))
        return ScreenCapture::captureScreenAt(rect, into, at);
    Display* display = connection_->display();
    bool ok;
    {
        ErrorTrap trap(display, false);  // XShmGetImage waits for its reply
        ok = XShmGetImage(display, connection_->root(), shm_->image, rect.x(), rect.y(), AllPlanes) && !trap.failed();
    }
    if (ok && copyXImage(shm_->image, into, at)) return true;
    return ScreenCapture::captureScreenAt(rect, into, at);
}

bool X11ScreenCapture::grabShm(const QRect& visible, QImage& into, const QRect& rect) {
    Display* display = connection_->display();
    bool ok;
    {
        ErrorTrap trap(display, false);  // XShmGetImage waits for its reply
        ok = XShmGetImage(display, connection_->root(), shm_->image, visible.x(), visible.y(), AllPlanes) &&
             !trap.failed();
    }
    return ok && deliver(shm_->image, visible, into, rect);
}

bool X11ScreenCapture::grabPlain(const QRect& visible, QImage& into, const QRect& rect) {
    Display* display = connection_->display();
    XImage* image;
    {
        ErrorTrap trap(display, false);  // XGetImage waits for its reply
        image = XGetImage(display, connection_->root(), visible.x(), visible.y(), unsigned(visible.width()),
                          unsigned(visible.height()), AllPlanes, ZPixmap);
    }
    if (!image) return false;
    const bool ok = deliver(image, visible, into, rect);
    XDestroyImage(image);
    return ok;
}

bool X11ScreenCapture::prepareShmImage(QSize size) {
    XImage*& image = shm_->image;
    if (image && image->width == size.width() && image->height == size.height()) return true;
    destroyHeader(image);
    Display* display = connection_->display();
    const int screen = DefaultScreen(display);
    image = XShmCreateImage(display, DefaultVisual(display, screen), unsigned(DefaultDepth(display, screen)), ZPixmap,
                            nullptr, &shm_->info, unsigned(size.width()), unsigned(size.height()));
    if (!image) return false;
    const std::size_t needed = std::size_t(image->bytes_per_line) * std::size_t(image->height);
    if (needed > shm_->size && !attachSegment(needed)) {
        destroyHeader(image);
        return false;
    }
    image->data = shm_->info.shmaddr;
    return true;
}

bool X11ScreenCapture::attachSegment(std::size_t size) {
    Display* display = connection_->display();
    XImage* image = shm_->image;  // the header keeps a pointer to info, which stays put
    shm_->image = nullptr;
    releaseShm();
    shm_->image = image;

    shm_->info.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (shm_->info.shmid < 0) return false;
    void* addr = shmat(shm_->info.shmid, nullptr, 0);
    if (addr == reinterpret_cast<void*>(-1)) {
        shmctl(shm_->info.shmid, IPC_RMID, nullptr);
        shm_->info.shmid = -1;
        return false;
    }
    shm_->info.shmaddr = static_cast<char*>(addr);
    shm_->info.readOnly = False;
    bool attached;
    {
        // A server on another machine cannot reach our segment: BadAccess.
        ErrorTrap trap(display);
        attached = XShmAttach(display, &shm_->info) && trap.sync();
    }
    // Marked for removal at once: the kernel frees it when both sides have
    // detached, even if we crash.
    shmctl(shm_->info.shmid, IPC_RMID, nullptr);
    shm_->attached = attached;
    shm_->size = attached ? size : 0;
    if (!attached) releaseShm();
    return attached;
}

void X11ScreenCapture::releaseShm() {
    destroyHeader(shm_->image);
    if (shm_->attached) {
        ErrorTrap trap(connection_->display());
        XShmDetach(connection_->display(), &shm_->info);
        shm_->attached = false;
    }
    if (shm_->info.shmaddr) shmdt(shm_->info.shmaddr);
    shm_->info = XShmSegmentInfo{0, -1, nullptr, False};
    shm_->size = 0;
}

void X11ScreenCapture::giveUpShm(const char* why) {
    useShm_ = false;
    releaseShm();
    if (!fallbackReported.exchange(true))
        std::fprintf(stderr, "vivivoz: screen capture uses XGetImage (slower): %s\n", why);
}

}  // namespace vz::x11
