#pragma once
// The frame pipeline: copies the screen (or a part of it, or one window),
// draws the pointer in and scales the result for the output window, on a
// worker thread of its own, so the user-interface thread only paints
// finished frames.
//
// One request at a time: a request made while a capture runs replaces any
// request still waiting. A finished frame that is not taken before the next
// one is ready is dropped, never queued. With a change tracker the pipeline
// learns from the window system what changed since the last capture: when
// nothing did (and the pointer overlay did not move), no frame is made at
// all; when little did, only the changed rectangles are copied, the frame
// buffer is brought up to date from the previous frame in those places
// only, and only the output pixels the change reaches are scaled again.
// Each frame says what changed since the frame before it, so a view paints
// only that.

#include "core/capture/frame_buffers.h"
#include "core/scaling/row_workers.h"
#include "core/scaling/view_render.h"
#include "core/threading/executor.h"
#include "core/threading/mailbox.h"
#include "platform/platform.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vz {

struct CaptureRequest {
    enum class Kind { Screen, Window };
    Kind kind = Kind::Screen;
    QRect source;           // Screen: root-window coordinates
    WindowId window = 0;    // Window: the window to copy
    bool cursor = false;    // draw the cursor image in
    bool redPoint = false;  // draw a red point under the pointer
    ViewLayout output;      // an empty view: the frame is not scaled
    // Which of the caller's requests this is; the frame made for it carries
    // the same ticket, so a frame that answers an older request (another
    // source) can be told apart and dropped.
    std::uint64_t ticket = 0;
};

struct CapturedFrame {
    std::uint64_t serial = 0;
    std::uint64_t ticket = 0;  // the ticket of the request it answers
    QImage picture;            // the frame, pointer drawn in; not written again by the pipeline
    bool scaled = false;       // `render` holds the frame scaled for `layout`
    ViewLayout layout;
    ViewRender render;  // its `frame`, `since` and `changed` say what changed in the view
    // Where `picture` differs from the frame of serial `since` (picture
    // coordinates); `since` is 0 when it is new throughout.
    std::uint64_t since = 0;
    QRegion changed;
};

// The services the worker uses. They are used from the worker thread only
// (each on an X connection of its own), or from the calling thread in the
// inline mode.
struct FrameSources {
    ScreenCapture* screen = nullptr;
    Pointer* pointer = nullptr;
    Windows* windows = nullptr;  // used when there is no openWindows
    // Opens a window service of the worker's own while a window is mirrored,
    // closed again by releaseWindows() or a screen request (while it lives
    // the server may keep off-screen copies of windows).
    std::function<std::unique_ptr<Windows>()> openWindows;
    ScreenChanges* changes = nullptr;  // may be null: everything counts as changed
};

class FramePipeline : public QObject {
    Q_OBJECT
public:
    // Inline: each request is carried out at once on the calling thread
    // (the fake platform in tests). Worker: on a thread of its own.
    enum class Mode { Inline, Worker };
    FramePipeline(FrameSources sources, Mode mode);
    ~FramePipeline() override;

    void request(const CaptureRequest& request);
    // Moves the newest finished frame out; false when none is waiting.
    bool take(CapturedFrame& frame);
    // Forgets what was captured, so the next request makes a full frame.
    void reset();
    // No window is mirrored any more: the window service opened for it is
    // closed (on the worker, before it takes another request).
    void releaseWindows();

    struct Counters {
        std::uint64_t frames = 0;     // frames made
        std::uint64_t unchanged = 0;  // requests that found nothing changed
        std::uint64_t partial = 0;    // frames made from a partial copy
        std::uint64_t failures = 0;   // captures that failed
        std::uint64_t dropped = 0;    // frames replaced before being taken
    };
    Counters counters() const;

signals:
    // A frame is waiting (sent once until it is taken).
    void frameReady();
    // A capture failed; the previous frame stays.
    void captureFailed();

private:
    // What the worker is asked to do next; newer orders merge into waiting ones.
    struct Orders {
        std::optional<CaptureRequest> request;
        bool forget = false;          // the next request makes a full frame
        bool releaseWindows = false;  // close the window service of our own
    };
    void carryOut();
    void process(const CaptureRequest& request);
    bool captureScreen(const CaptureRequest& request, QImage& picture, std::optional<QRegion>& change);
    void scale(CapturedFrame& frame, const std::optional<QRegion>& change);
    void publish(CapturedFrame&& frame);
    void failed();

    FrameSources sources_;
    struct {
        std::atomic<std::uint64_t> frames{0}, unchanged{0}, partial{0}, failures{0}, dropped{0};
    } counters_;
    RowWorkers* const rowWorkers_ = RowWorkers::lent();  // the constructing thread's
    Executor worker_;
    Mailbox<Orders> orders_;         // to the worker
    Mailbox<CapturedFrame> frames_;  // to the owner's thread: the newest finished frame
    Mailbox<bool> failures_;         // to the owner's thread: a capture failed

    // Worker-side state. The source as it is now, no pointer drawn: the
    // newest frame itself without an overlay (shared, only read), else
    // `raw_`, which the pipeline alone holds and updates in place.
    QImage base_;
    QImage raw_;             // with an overlay; also a window's copy
    QRect rawSource_;        // what the base holds
    bool rawValid_ = false;  // the base holds rawSource_ as of the last frame
    QPoint lastPointer_;
    QImage lastCursor_;
    QRect lastOverlay_;  // where the newest frame has the overlay drawn
    QImage cursor_;
    QPoint hotSpot_;
    std::uint64_t serial_ = 0;
    ResampleScratch scratch_;
    std::unique_ptr<Windows> ownWindows_;
    ChangeHistory history_;
    BufferPool pictures_, scaledPool_;
    ViewLayout scaledLayout_;  // what the scaled buffers were made for
    QSize scaledFrom_;
    std::optional<CaptureRequest> lastRequest_;
};

}  // namespace vz
