#pragma once
// Plays a transition from the picture on show to a new one: composes each
// frame at the picture's own size (old picture, then the style's part of
// the new one) on its own thread at absolute deadlines, and hands the
// newest finished frame to whoever shows it. A widget drives it through the
// properties, execute/stop/clear and the signals, which the owner's thread
// emits: the frame thread tells it through a mailbox.

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "core/scaling/row_workers.h"
#include "core/threading/clock.h"
#include "core/threading/mailbox.h"
#include "core/transitions/frame_ops.h"

class QPainter;

namespace vz::transitions {

using SteadyTime = Clock::TimePoint;

// Where the picture lands in the client area.
QRect screenRectFor(QSize client, QSize picture, int frameWidth, bool proportional, bool stretch, bool center);

// The deadline after `previous` for frames every `delay`: the next one that
// is still ahead of `now` (deadlines already passed are skipped, not
// caught up).
SteadyTime nextDeadline(SteadyTime previous, std::chrono::milliseconds delay, SteadyTime now);

// Forward: progress + s while below 100 - s, else 100. Reverse: progress - s
// while s is below it, else 0.
int nextProgress(int progress, int stepSize, bool reverse);

enum class BackgroundMode { None, Tiled, Stretched, Centered };

// Fills `area` of a client area with the background: the picture tiled
// (tiles aligned to the area's top-left corner), stretched over the client
// area, or centred with `color` round it; `color` alone without a picture or
// in mode None.
void paintBackground(QPainter& painter, const QRect& client, const QRect& area, BackgroundMode mode,
                     const QImage& picture, const QColor& color);

class TransitionEngine : public QObject {
    Q_OBJECT
public:
    // Runs on the frame thread inside composition: the new picture and the
    // frame being composed.
    using FrameHook = std::function<void(const QImage& picture, QImage& frame)>;
    // Runs on the frame thread when a paced frame starts: its deadline and
    // the moment it really started.
    using FrameStartObserver = std::function<void(SteadyTime deadline, SteadyTime started)>;

    // Paced by `clock` (the steady clock when null; it outlives the engine).
    // Frames are split over the row workers lent to the thread that makes
    // the engine (row_workers.h).
    explicit TransitionEngine(QObject* parent = nullptr, Clock* clock = nullptr);
    ~TransitionEngine() override;

    // --- properties (set from the owning thread)
    QImage picture() const { return picture_; }
    void setPicture(const QImage& picture) { picture_ = picture; }
    int style() const { return style_.load(); }
    void setStyle(int style);  // 0..176; others are ignored
    QString styleName() const;
    void setStyleName(const QString& name);  // first style of that name; "Custom" = 0
    int step() const { return step_.load(); }
    void setStep(int step);  // 1..100; 0 is taken as 1
    int delay() const { return delay_.load(); }
    void setDelay(int milliseconds);  // 0..65535
    bool threaded() const { return threaded_; }
    void setThreaded(bool on) { threaded_ = on; }
    bool overDraw() const { return overDraw_; }
    void setOverDraw(bool on) { overDraw_ = on; }
    bool exactTiming() const { return exactTiming_.load(); }
    void setExactTiming(bool on) { exactTiming_ = on; }
    // The owner calls advance() at every frame instead of the engine's own
    // thread or timer (a display-synchronised driver, or a test).
    bool externalPacing() const { return externalPacing_; }
    void setExternalPacing(bool on) { externalPacing_ = on; }
    bool manual() const { return manual_; }
    void setManual(bool on);
    bool reverse() const { return reverse_.load(); }
    void setReverse(bool on) { reverse_ = on; }
    bool center() const { return center_; }
    void setCenter(bool on);
    bool stretch() const { return stretch_; }
    void setStretch(bool on);
    bool proportional() const { return proportional_; }
    void setProportional(bool on);
    BackgroundMode backgroundMode() const { return backgroundMode_; }
    void setBackgroundMode(BackgroundMode mode);
    QImage backgroundPicture() const { return backgroundPicture_; }
    void setBackgroundPicture(const QImage& picture);
    QColor color() const { return color_; }
    void setColor(const QColor& color) { color_ = color; }
    int frameWidth() const { return frameWidth_; }
    void setFrameWidth(int width);
    QColor frameColor() const { return frameColor_; }
    void setFrameColor(const QColor& color) { frameColor_ = color; }
    // The size of the area the frames are shown in (the widget's client).
    QSize clientSize() const { return clientSize_; }
    void setClientSize(QSize size);

    void setBeforeNewFrame(FrameHook hook) { beforeNewFrame_ = std::move(hook); }
    void setAfterNewFrame(FrameHook hook) { afterNewFrame_ = std::move(hook); }
    void setCustomDraw(FrameHook hook) { customDraw_ = std::move(hook); }
    void setFrameStartObserver(FrameStartObserver observer) { frameStartObserver_ = std::move(observer); }
    // The clock the frame thread waits on and exact timing measures with (the
    // steady clock unless set). Set while idle; it outlives the engine.
    void setClock(Clock& clock) { clock_ = &clock; }

    // --- commands
    // Starts a transition to picture(). Nothing happens when the picture is
    // empty or a transition runs. Returns false (with lastError()) when the
    // transition could not be prepared.
    bool execute();
    // Ends a running transition at the frame reached.
    void stop();
    // Empties the frame on show when idle.
    void clear();
    // Sets the progress (0..100, more is 100); composes and shows the frame
    // when busy and the value changed. For manual transitions.
    void setProgress(int progress);
    // One timed step, as the timer does: returns whether more follow. When
    // none follow and the transition is not manual, it finishes.
    bool advance();

    // --- state
    bool busy() const { return busy_.load(); }
    int progress() const { return progress_.load(); }
    QString lastError() const { return lastError_; }
    uint32_t transitionSeed() const { return seed_; }
    // The newest finished frame (the picture's size; null before the first
    // transition and after clear()).
    QImage currentFrame() const;
    QRect pictureRect() const;
    QRect screenRect() const;

signals:
    void started();
    void progressChanged(int progress);
    // A new frame is ready; emitted at most once until currentFrame() is read.
    void frameReady();
    void completed();
    void stopped();

private:
    void prepare();
    void animate();
    void stopPacing();
    void pacingLoop();
    void onPacingFinished();
    int stepSize();
    void applyProgress(int progress, bool onFrameThread = false);
    void deliverNotice();
    void composeLocked(int progress);
    void finish();
    void updateScreenRectLocked();
    void rebuildOldFromBackground();
    void announceFrame();

    // Properties read by the frame thread are atomic.
    QImage picture_;
    std::atomic<int> style_{51};
    std::atomic<int> step_{4};
    std::atomic<int> delay_{40};
    bool threaded_ = true;
    bool overDraw_ = true;
    std::atomic<bool> exactTiming_{false};
    bool manual_ = false;
    bool externalPacing_ = false;
    std::atomic<bool> reverse_{false};
    bool center_ = false, stretch_ = false, proportional_ = false;
    BackgroundMode backgroundMode_ = BackgroundMode::Tiled;
    QImage backgroundPicture_;
    QColor color_{Qt::black};
    int frameWidth_ = 0;
    QColor frameColor_{0xb4, 0xb4, 0xb4};
    QSize clientSize_;

    FrameHook beforeNewFrame_, afterNewFrame_, customDraw_;
    FrameStartObserver frameStartObserver_;
    SteadyClock steadyClock_;
    Clock* clock_;

    // Guarded by mutex_: the pictures of the transition, the frames and the
    // rectangles.
    mutable std::mutex mutex_;
    QImage oldPicture_, newPicture_;  // exist only during a transition
    QImage shown_;                    // the frame on show
    QImage composing_;                // the frame being composed
    QRect pictureRect_, screenRect_;
    bool oldFromBackground_ = false;
    RandomGenerator frameRandom_;
    uint32_t seed_ = 0;
    RandomGenerator seedSource_;

    std::atomic<bool> busy_{false};
    std::atomic<int> progress_{0};
    bool stopping_ = false;
    SteadyTime lastTick_{};
    QString lastError_;
    mutable std::atomic<bool> framePending_{false};

    // What the frame thread has to tell the owner's thread: everything that
    // happened since the owner last took, in one notice.
    struct Notice {
        int progress = -1;  // the newest progress reached, -1 = none
        bool finished = false;
    };
    Mailbox<Notice> notices_;

    // The frame thread.
    std::thread pacer_;
    RowWorkers* const rowWorkers_ = RowWorkers::lent();
    ClockWaiter pacerWaiter_;  // interrupted to stop it
    QTimer localTimer_;        // drives frames when not threaded
};

}  // namespace vz::transitions
