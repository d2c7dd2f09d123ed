#include "core/controller/frame_feed.h"

#include <cstdio>

namespace vz {

int captureIntervalForRate(int rate) { return 1000 / (rate < 1 ? 1 : rate); }

FrameFeed::FrameFeed(FrameSources sources, FramePipeline::Mode mode, std::function<FeedOrder()> order, QObject* parent)
    : QObject(parent), order_(std::move(order)), pipeline_(std::make_unique<FramePipeline>(sources, mode)) {
    // Direct from the inline pipeline, queued from the worker.
    connect(pipeline_.get(), &FramePipeline::frameReady, this, &FrameFeed::takeFinished);
    connect(pipeline_.get(), &FramePipeline::captureFailed, this, &FrameFeed::reportFailure);
    setTimer(makeQtRepeatingTimer);
}

FrameFeed::~FrameFeed() = default;

void FrameFeed::setTimer(const MakeRepeatingTimer& make) {
    timer_ = make([this] { tick(); });
    if (ticking_) timer_->start(interval_);
}

void FrameFeed::setRate(int rate) {
    interval_ = captureIntervalForRate(rate);
    if (ticking_) timer_->start(interval_);
}

void FrameFeed::restart() {
    pipeline_->reset();
    ticking_ = true;
    timer_->start(interval_);
}

void FrameFeed::stop() {
    ticking_ = false;
    timer_->stop();
}

void FrameFeed::forget() {
    ++ticket_;
    desktopFrame_ = QImage();
    lastScaled_ = CapturedFrame();
}

void FrameFeed::tick() {
    const FeedOrder o = order_();
    if (o.kind == FeedOrder::Kind::Desktop) {
        // A view that already shows the frame is left alone (nothing changed
        // on the screen).
        const std::uint64_t serial = lastScaled_.serial;
        if (o.previewShown && !desktopFrame_.isNull() && previewSerial_ != serial) {
            previewSerial_ = serial;
            emit previewFrame(desktopFrame_);
        }
        if (o.outputShown) {
            emit outputCurrent(desktopFrame_);
            if (o.running && outputSerial_ != serial) {
                outputSerial_ = serial;
                if (lastScaled_.scaled && lastScaled_.layout == o.outputLayout)
                    emit outputScaled(lastScaled_);
                else
                    emit outputPicture(desktopFrame_);
            }
        }
        if (o.desktop) requestDesktop(o);
    } else if (o.kind == FeedOrder::Kind::Window) {
        if (o.window == 0) {
            emit windowLost();
            return;
        }
        CaptureRequest request;
        request.kind = CaptureRequest::Kind::Window;
        request.window = o.window;
        request.ticket = ticket_;
        pipeline_->request(request);
    }
}

void FrameFeed::requestDesktop(const FeedOrder& o) {
    CaptureRequest request;
    request.source = *o.desktop;
    request.cursor = o.cursor;
    request.redPoint = o.redPoint;
    // The output gets the frame scaled only while it shows it.
    request.output = o.outputLayout;
    request.ticket = ticket_;
    pipeline_->request(request);
}

void FrameFeed::takeFinished() {
    CapturedFrame frame;
    if (!pipeline_->take(frame)) return;
    if (frame.ticket != ticket_) return;  // made for the previous source
    const FeedOrder o = order_();
    if (o.kind == FeedOrder::Kind::Desktop) {
        desktopFrame_ = frame.picture;
        lastScaled_ = std::move(frame);
        lastScaled_.picture = desktopFrame_;
        if (desktopFrame_.isNull()) lastScaled_.scaled = false;
    } else if (o.kind == FeedOrder::Kind::Window) {
        // A window's frame is shown at the tick that made it.
        emit windowFrame(frame.picture);
        if (o.previewShown) emit previewFrame(frame.picture);
    }
}

void FrameFeed::reportFailure() {
    if (failureReported_) return;
    failureReported_ = true;
    std::fprintf(stderr, "vivivoz: the screen could not be captured\n");
}

}  // namespace vz
