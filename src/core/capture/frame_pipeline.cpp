#include "core/capture/frame_pipeline.h"

#include "core/capture/pointer_overlay.h"
#include "platform/image_copy.h"

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

FramePipeline::FramePipeline(FrameSources sources, Mode mode)
    : sources_(sources),
      worker_(mode == Mode::Worker ? Executor::Mode::Worker : Executor::Mode::Inline, {1, "frame pipeline"}),
      orders_(worker_, [this] { carryOut(); }),
      frames_(this, [this] { emit frameReady(); }),
      failures_(this, [this] {
          if (failures_.take()) emit captureFailed();
      }) {}

FramePipeline::~FramePipeline() {
    // The capture under way ends; the worker's state goes after it.
    worker_.shutdown();
}

void FramePipeline::request(const CaptureRequest& request) {
    orders_.update([&](Orders& orders) { orders.request = request; });
}

bool FramePipeline::take(CapturedFrame& frame) {
    std::optional<CapturedFrame> ready = frames_.take();
    if (!ready) return false;
    frame = std::move(*ready);
    return true;
}

void FramePipeline::reset() {
    // The worker forgets before its next request: a changed request shape
    // always makes a full frame, and so does a forgotten last request.
    frames_.clear();
    orders_.update([](Orders& orders) {
        orders.request.reset();
        orders.forget = true;
    });
}

void FramePipeline::releaseWindows() {
    orders_.update([](Orders& orders) { orders.releaseWindows = true; });
}

FramePipeline::Counters FramePipeline::counters() const {
    Counters c;
    c.frames = counters_.frames;
    c.unchanged = counters_.unchanged;
    c.partial = counters_.partial;
    c.failures = counters_.failures;
    c.dropped = counters_.dropped;
    return c;
}

void FramePipeline::carryOut() {
    std::optional<Orders> orders = orders_.take();
    if (!orders) return;
    const RowWorkers::Lend lend(rowWorkers_);
    if (orders->forget) rawValid_ = false;
    if (orders->releaseWindows) ownWindows_.reset();  // closed on the thread that used it
    if (orders->request) process(*orders->request);
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
    ++counters_.failures;
    failures_.post(true);
}

void FramePipeline::publish(CapturedFrame&& frame) {
    // Counted last: whoever sees the frame counted sees the rest of it.
    if (frames_.post(std::move(frame))) ++counters_.dropped;
    ++counters_.frames;
}

}  // namespace vz
