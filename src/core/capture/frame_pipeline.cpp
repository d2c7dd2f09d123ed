#include "core/capture/frame_pipeline.h"

#include "core/capture/pointer_overlay.h"
#include "platform/image_copy.h"

#include <QPainter>
#include <QRegion>

#include <cstring>
#include <utility>

namespace vz {

namespace {

// A change covering less than this share of the source is copied (and
// scaled) on its own; a larger one makes a whole frame.
constexpr double kPartialShare = 0.25;

qint64 area(const QRect& r) { return qint64(r.width()) * r.height(); }

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
    std::optional<QRegion> change;  // from the previous frame; nullopt: everything
    if (request.kind == CaptureRequest::Kind::Window) {
        Windows* windows = sources_.windows;
        if (sources_.openWindows) {
            if (!ownWindows_) ownWindows_ = sources_.openWindows();
            windows = ownWindows_.get();
        }
        // A window that is gone or cannot be read leaves the frame as it was.
        if (!windows || !windows->captureWindow(request.window, raw_)) return;
        rawValid_ = false;  // window contents are not tracked for changes
        base_ = QImage();
        frame.picture = pictures_.take().image;
        copyInto(raw_, frame.picture);
    } else {
        ownWindows_.reset();
        if (!captureScreen(request, frame.picture, change)) return;
    }
    const std::uint64_t serial = serial_ + 1;
    if (change)
        history_.add(serial, *change);
    else
        history_.restart(serial);
    frame.serial = serial;
    frame.since = change ? serial - 1 : 0;
    frame.changed = change ? *change : QRegion(frame.picture.rect());
    if (!request.output.view.isEmpty()) {
        frame.layout = request.output;
        scale(frame, change);
    }
    pictures_.keep(frame.picture, serial);
    serial_ = serial;
    publish(std::move(frame));
}

// The output's render of the frame, in a scaled buffer of its own brought up
// to date where the frame changed since the buffer's own frame.
void FramePipeline::scale(CapturedFrame& frame, const std::optional<QRegion>& change) {
    if (frame.layout != scaledLayout_ || frame.picture.size() != scaledFrom_) {
        scaledPool_.forget();
        scaledLayout_ = frame.layout;
        scaledFrom_ = frame.picture.size();
    }
    BufferPool::Buffer buffer = scaledPool_.take();
    ViewRender& render = frame.render;
    render.scaled = std::move(buffer.image);
    std::optional<QRegion> stale;
    if (change && buffer.serial != 0) stale = history_.since(buffer.serial);
    if (stale && area(stale->boundingRect()) < kPartialShare * area(frame.picture.rect()))
        renderViewChanged(frame.picture, frame.layout, render, *stale, scratch_);
    else
        renderViewCopy(frame.picture, frame.layout, render, scratch_);
    render.frame = frame.serial;
    render.since = frame.since;
    render.changed =
        change ? viewRegionOf(frame.picture.size(), frame.layout, *change, scratch_) : QRegion(render.visible);
    frame.scaled = true;
    scaledPool_.keep(render.scaled, frame.serial);
}

// Brings the source up to date and makes the frame's picture in a buffer of
// its own; `change` says where it differs from the previous frame (nullopt:
// everywhere). False when no frame is made: nothing changed, or the copy
// failed.
bool FramePipeline::captureScreen(const CaptureRequest& request, QImage& picture, std::optional<QRegion>& change) {
    change.reset();
    // An empty area gives an empty frame.
    if (request.source.isEmpty()) {
        picture = QImage();
        base_ = QImage();
        rawValid_ = false;
        return true;
    }
    const bool sameShape = lastRequest_ && sameRequestShape(*lastRequest_, request);
    lastRequest_ = request;
    const QRect frameRect(QPoint(0, 0), request.source.size());

    // What the pointer overlay needs; it counts as a change when it moved.
    const bool overlay = request.cursor || request.redPoint;
    bool overlayChanged = false;
    PointerOverlay drawn;
    if (overlay) {
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
        drawn.position = lastPointer_ - request.source.topLeft();
        drawn.redPoint = request.redPoint;
        drawn.cursor = request.cursor && !cursor_.isNull();
        drawn.hotSpot = hotSpot_;
    }
    const QRect overlayRect = overlay ? pointerOverlayRect(drawn, cursor_) & frameRect : QRect();

    const bool tracked = sources_.changes && sources_.changes->available();
    QRegion changed;
    if (tracked) changed = (sources_.changes->takeChanges() & request.source).translated(-request.source.topLeft());
    const QImage& base = overlay ? raw_ : base_;
    bool full = !(tracked && sameShape && rawValid_ && rawSource_ == request.source && !base.isNull());
    QVector<QRect> rects;
    if (!full) {
        if (changed.isEmpty() && !overlayChanged) {
            ++counters_.unchanged;
            return false;
        }
        rects = coalesceChanges(changed);
        qint64 copied = 0;
        for (const QRect& r : rects) copied += area(r);
        full = copied >= kPartialShare * area(frameRect);
    }
    QRegion copied;
    for (const QRect& r : rects) copied |= r;

    // A failed copy leaves the source unknown: the next frame is whole.
    const auto fail = [&] {
        rawValid_ = false;
        base_ = QImage();
        failed();
        return false;
    };
    BufferPool::Buffer buffer = pictures_.take();
    QImage& target = buffer.image;
    // What the buffer lacks besides this frame's change; nullopt: all of it.
    const std::optional<QRegion> stale = full ? std::nullopt : history_.since(buffer.serial);
    if (!overlay) {
        // The frame is the copy itself; what the buffer lacks from earlier
        // frames comes from the previous frame, then the change from the
        // screen on top.
        raw_ = QImage();
        if (full) {
            if (!sources_.screen->captureScreen(request.source, target)) return fail();
        } else {
            if (stale)
                copyRegion(base_, target, *stale - copied);
            else
                copyInto(base_, target);
            for (const QRect& r : rects)
                if (!sources_.screen->captureScreenAt(r.translated(request.source.topLeft()), target, r.topLeft()))
                    return fail();
            change = copied;
        }
        base_ = target;
    } else {
        // The source is kept apart from the frames, which have the overlay
        // drawn in; the buffer is brought up to date from it where the
        // screen changed and where an overlay was or is now drawn.
        base_ = QImage();
        if (full) {
            if (!sources_.screen->captureScreen(request.source, raw_)) return fail();
            copyInto(raw_, target);
        } else {
            for (const QRect& r : rects)
                if (!sources_.screen->captureScreenAt(r.translated(request.source.topLeft()), raw_, r.topLeft()))
                    return fail();
            change = copied | lastOverlay_ | overlayRect;
            if (stale)
                copyRegion(raw_, target, *stale | *change);
            else
                copyInto(raw_, target);
        }
        drawPointerOverlay(target, drawn, cursor_);
    }
    lastOverlay_ = overlayRect;
    rawValid_ = true;
    rawSource_ = request.source;
    picture = std::move(target);
    if (!full) ++counters_.partial;
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
