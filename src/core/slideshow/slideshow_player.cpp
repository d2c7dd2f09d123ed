#include "core/slideshow/slideshow_player.h"

#include "core/slideshow/slideshow_list.h"

#include <algorithm>
#include <chrono>

namespace vz::slideshow {

SlideshowPlayer::SlideshowPlayer(PlayerKind kind, PlaybackHost& host, PictureSource& pictures, const Clock& clock,
                                 RepeatingTimer& timer, std::uint32_t seed)
    : kind_(kind), host_(host), pictures_(pictures), clock_(clock), timer_(timer), random_(seed) {}

std::uint32_t SlideshowPlayer::durationMs(qint64 seconds) const {
    // Waits are measured as a 32-bit difference, so they are kept below 2^31 ms.
    return std::uint32_t(std::clamp<qint64>(seconds * 1000, 0, 0x7FFFFFFF));
}

bool SlideshowPlayer::start(const QStringList& playList, QString* error) {
    if (isPlaying()) finish();
    const bool editor = kind_ == PlayerKind::Editor;
    qint64 seconds = 0;
    if (editor) {
        loop_ = host_.loopEnabled();
    } else {
        const QString line1 = playList.value(0);
        const std::optional<int> duration = parseLineInteger(line1);
        if (!duration) {
            if (error) *error = notAnIntegerMessage(line1);
            return false;
        }
        seconds = *duration;
        loop_ = slideshowLoopWordIsOn(playList.value(1));
    }
    entries_ = playList;
    first_ = editor ? 0 : 2;
    last_ = int(entries_.size()) - 1;
    index_ = first_;
    reported_.clear();
    waitMs_ = durationMs(editor ? host_.slideSeconds() : seconds);
    timer_.start(kTickMs);
    if (first_ > last_) {
        // Nothing to show: one slide time, then the end.
        endAfterWait_ = true;
        waitStart_ = clock_.milliseconds();
        state_ = State::Waiting;
        return true;
    }
    endAfterWait_ = false;
    state_ = State::Waiting;  // playing from here on
    beginEntry();
    return true;
}

void SlideshowPlayer::stop() {
    if (isPlaying()) finish();
}

bool SlideshowPlayer::shouldStop() const { return host_.stopRequested() || !host_.slideshowActive(); }

void SlideshowPlayer::beginEntry() {
    const bool editor = kind_ == PlayerKind::Editor;
    if (editor) waitMs_ = durationMs(host_.slideSeconds());
    if (!host_.slideshowActive()) {
        finish();
        return;
    }
    if (editor) host_.blankOutput();
    host_.showTransitionView();
    if (editor) {
        host_.showingEntry(index_ - first_);
        host_.setCounter(counterText(index_ - first_ + 1, last_ - first_ + 1));
    }
    if (isPictureKind(fileKindOf(entries_[index_]))) {
        bound_ = host_.pictureBound();
        state_ = State::AwaitingPicture;
        tryPresent();
    } else {
        prefetchNext();
        startWait();
    }
}

void SlideshowPlayer::tryPresent() {
    const QString& path = entries_[index_];
    std::optional<DecodedPicture> picture = pictures_.take(path, bound_);
    if (!picture) return;  // still decoding: the next tick looks again
    prefetchNext();
    if (picture->ok()) {
        host_.showPreview(picture->image);
        if (state_ != State::AwaitingPicture) return;  // ended meanwhile
        if (host_.outputFed()) {
            const int style = std::uniform_int_distribution<int>(0, kHighestStyle)(random_);
            // The slide's time starts when this transition ends, which may
            // be reported before showOnOutput returns.
            state_ = State::AwaitingTransition;
            transitionStart_ = clock_.milliseconds();
            host_.showOnOutput(picture->image, style);
            return;
        }
    } else if (!reported_.contains(path)) {
        // A bad file still takes its slide time; it is reported once per playback.
        reported_.insert(path);
        host_.reportPictureError(picture->error);
    }
    if (state_ == State::AwaitingPicture) startWait();
}

void SlideshowPlayer::transitionEnded() {
    if (state_ == State::AwaitingTransition) startWait();
}

int SlideshowPlayer::nextIndex() const {
    if (index_ < last_) return index_ + 1;
    return loop_ ? first_ : -1;
}

void SlideshowPlayer::prefetchNext() {
    const int next = nextIndex();
    if (next >= 0 && next != index_ && isPictureKind(fileKindOf(entries_[next])))
        pictures_.prefetch(entries_[next], host_.pictureBound());
}

void SlideshowPlayer::startWait() {
    waitStart_ = clock_.milliseconds();
    state_ = State::Waiting;
    // Ticks from now on fall on whole multiples of kTickMs after the start
    // of the wait, so a slide time that is such a multiple ends on a tick
    // instead of up to one tick late.
    timer_.start(kTickMs);
}

void SlideshowPlayer::tick() {
    switch (state_) {
        case State::Idle: return;
        case State::AwaitingPicture:
            if (shouldStop()) {
                finish();
                return;
            }
            tryPresent();
            return;
        case State::AwaitingTransition:
            if (shouldStop()) {
                finish();
                return;
            }
            if (std::uint32_t(clock_.milliseconds() - transitionStart_) >= kTransitionLimitMs) startWait();
            return;
        case State::Waiting:
            if (shouldStop()) {
                finish();
                return;
            }
            if (std::uint32_t(clock_.milliseconds() - waitStart_) < waitMs_) return;
            if (endAfterWait_)
                finish();
            else
                advance();
            return;
    }
}

void SlideshowPlayer::advance() {
    const int next = nextIndex();
    if (next < 0) {
        finish();
        return;
    }
    index_ = next;
    beginEntry();
}

void SlideshowPlayer::finish() {
    state_ = State::Idle;
    timer_.stop();
    host_.playbackEnded();
}

}  // namespace vz::slideshow
