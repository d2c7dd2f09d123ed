#include "core/capture/frame_pipeline.h"

#include "platform/image_copy.h"
#include "core/capture/pointer_overlay.h"

#include <QPainter>
#include <QRegion>

#include <cstring>
#include <utility>

namespace vz {

namespace {

// A change covering less than this share of the source is copied on its own.
constexpr double kPartialShare = 0.25;

// Buffers kept for reuse, per kind: the view holding one frame, the
// controller the newest, and one being written.
constexpr std::size_t kPooledBuffers = 4;

bool sameRequestShape(const CaptureRequest& a, const CaptureRequest& b) {
    return a.kind == b.kind && a.source == b.source && a.window == b.window && a.cursor == b.cursor &&
           a.redPoint == b.redPoint && a.output == b.output;
}

bool sameImage(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.format() != b.format()) return false;
    const qsizetype row = qsizetype(a.width()) * a.depth() / 8;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(row)) != 0) return false;
    return true;
}

}  // namespace

FramePipeline::FramePipeline(FrameSources sources, Mode mode) : sources_(sources), mode_(mode) {
    if (mode_ == Mode::Worker) worker_ = std::thread([this] { run(); });
}

FramePipeline::~FramePipeline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void FramePipeline::request(const CaptureRequest& request) {
    if (mode_ == Mode::Inline) {
        process(request);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        pending_ = request;
    }
    wake_.notify_one();
}

bool FramePipeline::take(CapturedFrame& frame) {
    std::lock_guard lock(mutex_);
    signalled_ = false;
    if (!ready_) return false;
    frame = std::move(*ready_);
    ready_.reset();
    return true;
}

void FramePipeline::reset() {
    if (mode_ == Mode::Inline) {
        rawValid_ = false;
        return;
    }
    // The worker forgets at its next request: a changed request shape
    // always makes a full frame, and so does a forgotten last request.
    std::lock_guard lock(mutex_);
    pending_.reset();
    ready_.reset();
    resetRequested_ = true;
}

void FramePipeline::releaseWindows() {
    if (mode_ == Mode::Inline) {
        ownWindows_.reset();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        releaseWindowsRequested_ = true;
    }
    wake_.notify_one();
}

FramePipeline::Counters FramePipeline::counters() const {
    std::lock_guard lock(mutex_);
    return counters_;
}

void FramePipeline::run() {
    for (;;) {
        CaptureRequest request;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || pending_.has_value() || releaseWindowsRequested_; });
            if (stopping_) return;
            if (releaseWindowsRequested_) {
                releaseWindowsRequested_ = false;
                std::unique_ptr<Windows> closing = std::move(ownWindows_);
                lock.unlock();
                closing.reset();  // closed on the thread that used it
                continue;
            }
            request = *pending_;
            pending_.reset();
            if (resetRequested_) {
                resetRequested_ = false;
                rawValid_ = false;
            }
        }
        process(request);
    }
}

void FramePipeline::process(const CaptureRequest& request) {
    CapturedFrame frame;
    frame.ticket = request.ticket;
    if (request.kind == CaptureRequest::Kind::Window) {
        Windows* windows = sources_.windows;
        if (sources_.openWindows) {
            if (!ownWindows_) ownWindows_ = sources_.openWindows();
            windows = ownWindows_.get();
        }
        // A window that is gone or cannot be read leaves the frame as it was.
        if (!windows || !windows->captureWindow(request.window, raw_)) return;
        rawValid_ = false;  // window contents are not tracked for changes
        frame.picture = freeBuffer(picturePool_);
        copyInto(raw_, frame.picture);
    } else {
        ownWindows_.reset();
        if (!captureScreen(request)) return;
        if (!(request.cursor || request.redPoint)) {
            // The copy itself is the frame: shared, so the next capture
            // writes into a buffer of its own.
            frame.picture = raw_;
        } else {
            frame.picture = freeBuffer(picturePool_);
            copyInto(raw_, frame.picture);
            PointerOverlay overlay;
            overlay.position = lastPointer_ - request.source.topLeft();
            overlay.redPoint = request.redPoint;
            overlay.cursor = request.cursor && !cursor_.isNull();
            overlay.hotSpot = hotSpot_;
            drawPointerOverlay(frame.picture, overlay, cursor_);
        }
    }
    if (!request.output.view.isEmpty()) {
        frame.layout = request.output;
        frame.render.scaled = freeBuffer(scaledPool_);
        renderView(frame.picture, frame.layout, frame.render, scratch_);
        if (frame.render.direct) {
            // The user-interface thread gets a picture of its own to paint.
            frame.render.scaled = frame.picture.copy(QRect(frame.render.sourceAt, frame.render.visible.size()));
            frame.render.direct = false;
        }
        frame.scaled = true;
        keepBuffer(scaledPool_, frame.render.scaled);
    }
    keepBuffer(picturePool_, frame.picture);
    frame.serial = ++serial_;
    publish(std::move(frame));
}

// The frames handed out are shared, never written again while anyone holds
// them; a buffer whose every holder has let go is written anew. So a steady
// stream of frames allocates nothing (a fresh 8 MB buffer a frame costs its
// page faults), and the user-interface thread never sees a buffer change.
QImage FramePipeline::freeBuffer(std::vector<QImage>& pool) {
    for (QImage& slot : pool)
        if (slot.isDetached()) return std::exchange(slot, QImage());
    return QImage();
}

void FramePipeline::keepBuffer(std::vector<QImage>& pool, const QImage& buffer) {
    if (buffer.isNull()) return;
    for (QImage& slot : pool)
        if (slot.isNull()) {
            slot = buffer;
            return;
        }
    if (pool.size() < kPooledBuffers) pool.push_back(buffer);
}

bool FramePipeline::captureScreen(const CaptureRequest& request) {
    // An empty area gives an empty frame.
    if (request.source.isEmpty()) {
        raw_ = QImage();
        rawValid_ = false;
        return true;
    }
    const bool sameShape = lastRequest_ && sameRequestShape(*lastRequest_, request);
    lastRequest_ = request;

    // What the pointer overlay needs; it counts as a change when it moved.
    bool overlayChanged = false;
    if (request.cursor || request.redPoint) {
        const QPoint p = sources_.pointer ? sources_.pointer->position() : QPoint();
        overlayChanged = p != lastPointer_;
        lastPointer_ = p;
        if (request.cursor && sources_.pointer) {
            if (!sources_.pointer->cursorImage(cursor_, hotSpot_)) cursor_ = QImage();
            if (!sameImage(cursor_, lastCursor_)) {
                overlayChanged = true;
                copyInto(cursor_, lastCursor_);
            }
        }
    }

    QRegion changed = QRegion(request.source);
    const bool tracked = sources_.changes && sources_.changes->available();
    if (tracked) changed = sources_.changes->takeChanges() & request.source;

    if (tracked && sameShape && rawValid_ && rawSource_ == request.source) {
        if (changed.isEmpty()) {
            if (!overlayChanged) {
                std::lock_guard lock(mutex_);
                ++counters_.unchanged;
                return false;
            }
            return true;  // only the pointer moved: the copy is still good
        }
        const QRect box = changed.boundingRect();
        if (double(box.width()) * box.height() < kPartialShare * request.source.width() * request.source.height()) {
            if (!sources_.screen->captureScreen(box, part_)) {
                failed();
                return false;
            }
            const QPoint at = box.topLeft() - request.source.topLeft();
            const qsizetype bytes = qsizetype(box.width()) * 4;
            for (int y = 0; y < box.height(); ++y)
                std::memcpy(raw_.scanLine(at.y() + y) + qsizetype(at.x()) * 4, part_.constScanLine(y), size_t(bytes));
            std::lock_guard lock(mutex_);
            ++counters_.partial;
            return true;
        }
    }
    // A full copy goes into a free buffer, never into one a view still holds.
    QImage target = freeBuffer(picturePool_);
    if (!sources_.screen->captureScreen(request.source, target)) {
        rawValid_ = false;
        failed();
        return false;
    }
    raw_ = std::move(target);
    rawValid_ = true;
    rawSource_ = request.source;
    return true;
}

void FramePipeline::failed() {
    {
        std::lock_guard lock(mutex_);
        ++counters_.failures;
    }
    emit captureFailed();
}

void FramePipeline::publish(CapturedFrame&& frame) {
    bool notify = false;
    {
        std::lock_guard lock(mutex_);
        ++counters_.frames;
        if (ready_) ++counters_.dropped;
        ready_ = std::move(frame);
        notify = !signalled_;
        signalled_ = true;
    }
    if (notify) emit frameReady();
}

}  // namespace vz
