#pragma once
// The mirror's frames. At each tick of the capture timer the desktop frame
// finished since the previous tick goes to the preview and the output (the
// mirror is one tick behind) and the pipeline is asked for the next; a
// window's frame is asked at the tick and handed on as soon as it is made.
// What to capture comes from the owner, read afresh at every tick and every
// finished frame.

#include "core/capture/frame_pipeline.h"
#include "core/threading/repeating_timer.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace vz {

// What the owner mirrors now and where it goes.
struct FeedOrder {
    enum class Kind { Nothing, Desktop, Window };
    Kind kind = Kind::Nothing;
    // Desktop: the rectangle to copy (an empty one gives an empty frame);
    // none while the part of the desktop is still to be chosen.
    std::optional<QRect> desktop;
    bool cursor = false;    // the pointer drawn in
    bool redPoint = false;  // a red point under the pointer
    WindowId window = 0;    // Window: 0 when none is chosen
    bool outputShown = false;
    bool previewShown = false;
    bool running = false;  // the output shows the source
    // How the output lays out its picture; empty unless shown and running
    // (the frame is then not scaled for it).
    ViewLayout outputLayout;
};

// The capture interval in milliseconds for an update rate (1..1000 per second).
int captureIntervalForRate(int rate);

class FrameFeed : public QObject {
    Q_OBJECT
public:
    FrameFeed(FrameSources sources, FramePipeline::Mode mode, std::function<FeedOrder()> order,
              QObject* parent = nullptr);
    ~FrameFeed() override;

    // --- The ticks
    // The timer that calls tick(); the program's is a precise Qt timer. A
    // new one takes over whether the ticks run and their interval.
    void setTimer(const MakeRepeatingTimer& make);
    // The interval follows the update rate (200 ms until it is first set).
    void setRate(int rate);
    int interval() const { return interval_; }
    // The pipeline starts afresh (the next frame is copied whole) and the
    // ticks run.
    void restart();
    void stop();
    bool ticking() const { return ticking_; }
    // One tick.
    void tick();

    // --- The frames
    // Frames made or on their way for the previous source (or window) are
    // let go: the ticket moves on.
    void forget();
    // The output's (or the preview's) picture changed elsewhere: it is
    // handed the current frame at the next tick, even one it had.
    void forgetOutputShown() { outputSerial_ = 0; }
    void forgetPreviewShown() { previewSerial_ = 0; }
    // A capture failed: said once on standard error; the views keep their
    // last frame.
    void reportFailure();
    // The newest finished desktop frame.
    const QImage& desktopFrame() const { return desktopFrame_; }
    FramePipeline& pipeline() { return *pipeline_; }

signals:
    void previewFrame(const QImage& picture);
    // The desktop frame the output holds now (every tick while it is shown).
    void outputCurrent(const QImage& picture);
    // Show on the running output: the frame already scaled for its layout,
    // or the picture as it is.
    void outputScaled(const CapturedFrame& frame);
    void outputPicture(const QImage& picture);
    // A window's frame came.
    void windowFrame(const QImage& picture);
    // The window source has no window to mirror.
    void windowLost();

private:
    void requestDesktop(const FeedOrder& order);
    void takeFinished();

    std::function<FeedOrder()> order_;
    std::unique_ptr<FramePipeline> pipeline_;
    std::unique_ptr<RepeatingTimer> timer_;
    int interval_ = 200;
    bool ticking_ = false;

    QImage desktopFrame_;       // the newest finished desktop frame
    CapturedFrame lastScaled_;  // the same, scaled for the output
    // Every capture request carries the current ticket, so a frame still on
    // its way for the previous source is dropped instead of shown.
    std::uint64_t ticket_ = 1;
    std::uint64_t outputSerial_ = 0;   // the frame the output shows; 0: none or changed since
    std::uint64_t previewSerial_ = 0;  // the same for the preview
    bool failureReported_ = false;
};

}  // namespace vz
