#include "core/transitions/transition_engine.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/transitions/transition_styles.h"
#include "platform/threads.h"

namespace vz::transitions {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

QRect screenRectFor(QSize client, QSize picture, int frameWidth, bool proportional, bool stretch, bool center) {
    const int cw = client.width() - 2 * frameWidth, ch = client.height() - 2 * frameWidth;
    int w = picture.width(), h = picture.height();
    if (proportional && w > 0 && h > 0 && (stretch || cw < w || ch < h)) {
        if ((long long)ch * w > (long long)cw * h) {
            h = mulDiv(h, cw, w);
            w = cw;
        } else {
            w = mulDiv(w, ch, h);
            h = ch;
        }
    } else if (stretch) {
        w = cw;
        h = ch;
    }
    const int dx = frameWidth + (center ? (cw - w) / 2 : 0), dy = frameWidth + (center ? (ch - h) / 2 : 0);
    return QRect(dx, dy, w, h);
}

SteadyTime nextDeadline(SteadyTime previous, milliseconds delay, SteadyTime now) {
    if (delay.count() <= 0) return now;
    SteadyTime next = previous + delay;
    if (next <= now) next += delay * ((now - next) / delay + 1);
    return next;
}

int nextProgress(int progress, int stepSize, bool reverse) {
    if (reverse) return stepSize < progress ? progress - stepSize : 0;
    return progress < 100 - stepSize ? progress + stepSize : 100;
}

void paintBackground(QPainter& painter, const QRect& client, const QRect& area, BackgroundMode mode,
                     const QImage& picture, const QColor& color) {
    if (mode == BackgroundMode::None || picture.isNull()) {
        painter.fillRect(area, color);
        return;
    }
    painter.save();
    painter.setClipRect(area);
    switch (mode) {
        case BackgroundMode::Tiled:
            for (int y = area.top(); y <= area.bottom(); y += picture.height())
                for (int x = area.left(); x <= area.right(); x += picture.width()) painter.drawImage(x, y, picture);
            break;
        case BackgroundMode::Stretched: painter.drawImage(client, picture); break;
        case BackgroundMode::Centered:
            painter.fillRect(area, color);
            painter.drawImage(client.left() + (client.width() - picture.width()) / 2,
                              client.top() + (client.height() - picture.height()) / 2, picture);
            break;
        case BackgroundMode::None: break;
    }
    painter.restore();
}

TransitionEngine::TransitionEngine(QObject* parent, Clock* clock)
    : QObject(parent), clock_(clock ? clock : &steadyClock_), notices_(this, [this] { deliverNotice(); }) {
    seedSource_.state = uint32_t(steady_clock::now().time_since_epoch().count()) | 1u;
    frameRandom_.state = seedSource_.next();
    localTimer_.setTimerType(Qt::PreciseTimer);
    connect(&localTimer_, &QTimer::timeout, this, [this] { advance(); });
}

TransitionEngine::~TransitionEngine() {
    // Ends a running transition without announcing it.
    stopPacing();
    busy_ = false;
}

// ---------------------------------------------------------------- properties

void TransitionEngine::setStyle(int style) {
    if (style < 0 || style > kStyleCount || style == style_.load()) return;
    style_ = style;
    // A manual transition shows the new style at once.
    if (manual_ && busy_) {
        {
            std::lock_guard lock(mutex_);
            composeLocked(progress_);
        }
        announceFrame();
    }
}

QString TransitionEngine::styleName() const { return vz::transitions::styleName(style_); }

void TransitionEngine::setStyleName(const QString& name) {
    const int number = styleNumberForName(name);
    if (number >= 0) setStyle(number);
}

void TransitionEngine::setStep(int step) { step_ = std::clamp(step, 1, 100); }

void TransitionEngine::setDelay(int milliseconds) { delay_ = std::clamp(milliseconds, 0, 65535); }

void TransitionEngine::setManual(bool on) {
    if (on == manual_) return;
    manual_ = on;
    stopPacing();
    localTimer_.stop();
    if (!busy_)
        progress_ = reverse_ ? 100 : 0;
    else if (!on)
        animate();
}

void TransitionEngine::setCenter(bool on) {
    center_ = on;
    setClientSize(clientSize_);
}
void TransitionEngine::setStretch(bool on) {
    stretch_ = on;
    setClientSize(clientSize_);
}
void TransitionEngine::setProportional(bool on) {
    proportional_ = on;
    setClientSize(clientSize_);
}
void TransitionEngine::setFrameWidth(int width) {
    frameWidth_ = std::max(0, width);
    setClientSize(clientSize_);
}

void TransitionEngine::setClientSize(QSize size) {
    std::lock_guard lock(mutex_);
    clientSize_ = size;
    updateScreenRectLocked();
}

void TransitionEngine::setBackgroundMode(BackgroundMode mode) {
    if (mode == backgroundMode_) return;
    backgroundMode_ = mode;
    if (!backgroundPicture_.isNull()) rebuildOldFromBackground();
}

void TransitionEngine::setBackgroundPicture(const QImage& picture) {
    backgroundPicture_ = picture;
    if (backgroundMode_ != BackgroundMode::None) rebuildOldFromBackground();
}

// ---------------------------------------------------------------- commands

bool TransitionEngine::execute() {
    if (picture_.isNull() || busy_) return true;
    busy_ = true;
    lastError_.clear();
    try {
        prepare();
    } catch (const std::exception& e) {
        {
            std::lock_guard lock(mutex_);
            oldPicture_ = QImage();
            newPicture_ = QImage();
        }
        busy_ = false;
        lastError_ = QString::fromUtf8(e.what());
        return false;
    }
    announceFrame();
    emit started();
    if (!manual_ && !stopping_) animate();
    return true;
}

void TransitionEngine::prepare() {
    const QSize size = picture_.size();
    std::lock_guard lock(mutex_);
    oldFromBackground_ = !overDraw_ || shown_.isNull() || shown_.size() != size;

    QImage fresh(size, QImage::Format_RGB32);
    if (fresh.isNull()) throw std::runtime_error("not enough memory for the new picture");
    fresh.fill(color_);
    {
        QPainter painter(&fresh);
        painter.drawImage(0, 0, picture_);
    }
    newPicture_ = fresh;
    oldPicture_ = oldFromBackground_ ? QImage(size, QImage::Format_RGB32) : shown_.copy();
    if (oldPicture_.isNull()) throw std::runtime_error("not enough memory for the old picture");
    pictureRect_ = QRect(QPoint(0, 0), size);
    updateScreenRectLocked();
    if (oldFromBackground_) {
        oldPicture_.fill(color_);
        if (!screenRect_.isEmpty()) {
            QImage under(screenRect_.size(), QImage::Format_RGB32);
            {
                QPainter painter(&under);
                painter.translate(-screenRect_.topLeft());
                paintBackground(painter, QRect(QPoint(0, 0), clientSize_), screenRect_, backgroundMode_,
                                backgroundPicture_, color_);
            }
            QPainter painter(&oldPicture_);
            painter.drawImage(pictureRect_, under);
        }
    }
    shown_ = oldPicture_.copy();
    composing_ = QImage();
    progress_ = reverse_ ? 100 : 0;
    seed_ = seedSource_.next();
}

void TransitionEngine::rebuildOldFromBackground() {
    if (!busy_ || !oldFromBackground_) return;
    std::lock_guard lock(mutex_);
    if (oldPicture_.isNull()) return;
    oldPicture_.fill(color_);
    if (screenRect_.isEmpty()) return;
    QImage under(screenRect_.size(), QImage::Format_RGB32);
    {
        QPainter painter(&under);
        painter.translate(-screenRect_.topLeft());
        paintBackground(painter, QRect(QPoint(0, 0), clientSize_), screenRect_, backgroundMode_, backgroundPicture_,
                        color_);
    }
    QPainter painter(&oldPicture_);
    painter.drawImage(pictureRect_, under);
}

void TransitionEngine::stop() {
    if (!busy_ || stopping_) return;
    stopping_ = true;
    stopPacing();
    localTimer_.stop();
    finish();
    stopping_ = false;
}

void TransitionEngine::clear() {
    if (busy_) return;
    {
        std::lock_guard lock(mutex_);
        if (shown_.isNull()) return;
        shown_ = QImage();
        composing_ = QImage();
        pictureRect_ = QRect();
        screenRect_ = QRect();
    }
    announceFrame();
}

void TransitionEngine::setProgress(int progress) { applyProgress(std::clamp(progress, 0, 100)); }

bool TransitionEngine::advance() {
    if (!busy_ || manual_) {
        localTimer_.stop();
        return false;
    }
    const bool reverse = reverse_;
    const int p = nextProgress(progress_, stepSize(), reverse);
    applyProgress(p);
    const bool more = reverse ? p != 0 : p != 100;
    if (!more) {
        localTimer_.stop();
        finish();
    }
    return more;
}

// ---------------------------------------------------------------- frames

QImage TransitionEngine::currentFrame() const {
    std::lock_guard lock(mutex_);
    framePending_ = false;
    return shown_;
}

QRect TransitionEngine::pictureRect() const {
    std::lock_guard lock(mutex_);
    return pictureRect_;
}

QRect TransitionEngine::screenRect() const {
    std::lock_guard lock(mutex_);
    return screenRect_;
}

void TransitionEngine::updateScreenRectLocked() {
    screenRect_ = pictureRect_.isEmpty()
                      ? QRect()
                      : screenRectFor(clientSize_, pictureRect_.size(), frameWidth_, proportional_, stretch_, center_);
}

int TransitionEngine::stepSize() {
    int s = step_;
    const SteadyTime now = clock_->now();
    const int delay = delay_;
    if (exactTiming_ && delay > 0) {
        const auto elapsed = std::chrono::duration_cast<milliseconds>(now - lastTick_).count();
        s = mulDiv(s, int(std::min<long long>(elapsed, 1 << 20)), delay);
    }
    lastTick_ = now;
    return s;
}

void TransitionEngine::applyProgress(int progress, bool onFrameThread) {
    if (!busy_ || progress == progress_) return;
    {
        std::lock_guard lock(mutex_);
        composeLocked(progress);
        progress_ = progress;
    }
    if (onFrameThread) {
        notices_.update([&](Notice& notice) { notice.progress = progress; });
        return;
    }
    announceFrame();
    emit progressChanged(progress);
}

// The owner's thread emits what the frame thread did; the mailbox's lock
// orders the frame thread's work before the owner's.
void TransitionEngine::deliverNotice() {
    const std::optional<Notice> notice = notices_.take();
    if (!notice) return;
    if (notice->progress >= 0) {
        announceFrame();
        emit progressChanged(notice->progress);
    }
    if (notice->finished) onPacingFinished();
}

void TransitionEngine::composeLocked(int progress) {
    if (oldPicture_.isNull() || newPicture_.isNull()) return;
    if (composing_.size() != oldPicture_.size() || !composing_.isDetached())
        composing_ = QImage(oldPicture_.size(), QImage::Format_RGB32);
    if (composing_.isNull()) return;
    const int w = oldPicture_.width(), h = oldPicture_.height();
    Pixels frame = pixelsOf(composing_);
    copyRect(frame, 0, 0, pixelsOf(std::as_const(oldPicture_)), {0, 0, w, h});
    if (beforeNewFrame_) beforeNewFrame_(newPicture_, composing_);
    frame = pixelsOf(composing_);  // a hook may have replaced the buffer
    if (progress >= 100) {
        copyRect(frame, 0, 0, pixelsOf(std::as_const(newPicture_)), {0, 0, w, h});
    } else if (progress > 0) {
        const int style = style_;
        if (style == 0) {
            if (customDraw_) customDraw_(newPicture_, composing_);
        } else {
            paintStyle(style, frame, pixelsOf(std::as_const(newPicture_)), progress, seed_, frameRandom_);
        }
    }
    if (afterNewFrame_) afterNewFrame_(newPicture_, composing_);
    std::swap(composing_, shown_);
}

void TransitionEngine::announceFrame() {
    if (!framePending_.exchange(true)) emit frameReady();
}

void TransitionEngine::finish() {
    busy_ = false;
    {
        std::lock_guard lock(mutex_);
        oldPicture_ = QImage();
        newPicture_ = QImage();
        composing_ = QImage();
    }
    if (!stopping_) emit completed();
    emit stopped();
}

// ---------------------------------------------------------------- pacing

void TransitionEngine::animate() {
    lastTick_ = clock_->now();
    if (externalPacing_) return;
    if (!threaded_) {
        localTimer_.start(delay_.load());
        return;
    }
    stopPacing();
    pacerWaiter_.reset();
    pacer_ = std::thread([this] { pacingLoop(); });
}

void TransitionEngine::stopPacing() {
    if (!pacer_.joinable()) return;
    pacerWaiter_.interrupt();
    pacer_.join();
    // A finish the stopped thread told is stale: the frame it reached is not.
    if (std::optional<Notice> notice = notices_.take(); notice && notice->progress >= 0)
        notices_.post({notice->progress, false});
}

void TransitionEngine::pacingLoop() {
    posix::setCurrentThreadName("transition");
    const RowWorkers::Lend lend(rowWorkers_);
    const milliseconds delay(delay_.load());
    SteadyTime deadline = clock_->now() + delay;
    for (;;) {
        if (!clock_->waitUntil(deadline, pacerWaiter_)) return;  // stopped
        const SteadyTime started = clock_->now();
        if (frameStartObserver_) frameStartObserver_(deadline, started);
        const bool reverse = reverse_;
        const int p = nextProgress(progress_, stepSize(), reverse);
        applyProgress(p, true);
        if (reverse ? p == 0 : p == 100) break;
        deadline = nextDeadline(deadline, delay, clock_->now());
    }
    notices_.update([](Notice& notice) { notice.finished = true; });
    clock_->leave(pacerWaiter_);
}

void TransitionEngine::onPacingFinished() {
    if (pacer_.joinable()) pacer_.join();
    if (busy_ && !stopping_ && !manual_) finish();
}

}  // namespace vz::transitions
