#pragma once
// Copies of the root window over a connection of its own. MIT-SHM first: the
// server writes into a shared segment kept from call to call, and we copy
// its rows into the caller's image. When MIT-SHM is missing or fails (a
// remote display, no shared memory) it falls back to XGetImage for good.

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

#include <memory>

namespace vz::x11 {

class X11ScreenCapture final : public ScreenCapture {
public:
    enum class Method { Auto, PlainGetImage };
    explicit X11ScreenCapture(std::unique_ptr<Connection> connection, Method method = Method::Auto);
    ~X11ScreenCapture() override;

    // Parts of `rect` outside the root window come out black.
    bool captureScreen(const QRect& rect, QImage& into) override;
    // Straight from the shared segment into `into`, with no copy between.
    bool captureScreenAt(const QRect& rect, QImage& into, QPoint at) override;
    bool usesSharedMemory() const override { return useShm_; }

private:
    bool grab(const QRect& visible, QImage& into, const QRect& rect);
    bool grabShm(const QRect& visible, QImage& into, const QRect& rect);
    bool grabPlain(const QRect& visible, QImage& into, const QRect& rect);
    bool prepareShmImage(QSize size);
    bool attachSegment(std::size_t size);
    void releaseShm();
    void giveUpShm(const char* why);

    struct Shm;  // the shared segment (grows only) and the image header over it
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<Shm> shm_;
    bool useShm_;
    QSize rootSize_;
};

}  // namespace vz::x11
