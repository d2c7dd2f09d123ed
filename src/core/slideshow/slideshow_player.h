#pragma once
// The two slideshow players as state machines on the event loop.
//
// A player steps through a play list, hands each picture to its host with a
// fresh random transition style (0..161), waits the slide duration and moves
// on, starting over at the end when Loop is on. It never blocks: the host's
// timer calls tick() every kTickMs, and each tick checks the stop flag and
// the source mode before anything else, so Stop takes effect within a tick.
//
// The editor's player and the toolbar's player differ as follows:
//   play list       editor: full paths      toolbar: the slideshow file's lines
//   first picture   entry 0                 entry 2 (line 3)
//   slide duration  host, before each one   line 1, once at start
//   loop            host, once at start     line 2 is "ON" (ASCII upper case)
//   counter         "i / n" to the host     none
//   blanking        before each picture     never
// Whether the output is fed is the host's answer (the editor asks its
// "Show on secondary monitor" box; the toolbar always feeds it).
//
// A slide's time is counted from the end of its transition on the output
// (the owner calls transitionEnded()), or from the moment it is shown when
// the output is not fed. Every picture is then on show, whole, for its full
// time, and the next transition never meets a running one (which the
// transition view would refuse, dropping the picture).

#include "core/slideshow/picture_read_ahead.h"
#include "core/threading/clock.h"
#include "core/threading/repeating_timer.h"

#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>

namespace vz::slideshow {

// What a player reads and drives: the shared state, the windows.
class PlaybackHost {
public:
    virtual ~PlaybackHost() = default;
    // The source is the slideshow; playback ends as soon as it is not.
    virtual bool slideshowActive() const = 0;
    // The player's stop flag (the editor's or the toolbar's).
    virtual bool stopRequested() const = 0;
    // Editor only: the slide duration in seconds and the Loop box.
    virtual int slideSeconds() const { return 5; }
    virtual bool loopEnabled() const { return false; }
    // Whether pictures go to the output window's transition view.
    virtual bool outputFed() const = 0;
    // The size pictures are decoded for (the output's picture area).
    virtual QSize pictureBound() const = 0;

    // Editor only: blank the output and the preview.
    virtual void blankOutput() {}
    // Show the transition view on the output instead of its image view.
    virtual void showTransitionView() = 0;
    // Editor only: the entry now shown, by its place in the play list (the
    // editor's row), just before its counter.
    virtual void showingEntry(int) {}
    // Editor only: "2 / 3".
    virtual void setCounter(const QString&) {}
    virtual void showPreview(const QImage& picture) = 0;
    // Start the transition to `picture`, then set its style. The owner then
    // reports the end of the transition through transitionEnded(), at once
    // (even from inside this call) when none could be started.
    virtual void showOnOutput(const QImage& picture, int style) = 0;
    // A picture that could not be decoded (once per file and playback).
    virtual void reportPictureError(const QString& message) = 0;
    virtual void playbackEnded() {}
};

enum class PlayerKind { Editor, Toolbar };

class SlideshowPlayer {
public:
    static constexpr int kTickMs = 20;
    static constexpr int kHighestStyle = 161;
    // The output's transitions take 2 s (25 frames of 80 ms). When the end
    // of one is not reported within this time, the slide's time starts
    // anyway, so playback cannot hang on a lost report.
    static constexpr std::uint32_t kTransitionLimitMs = 10000;

    SlideshowPlayer(PlayerKind kind, PlaybackHost& host, PictureSource& pictures, const Clock& clock,
                    RepeatingTimer& timer, std::uint32_t seed = std::random_device{}());

    // Starts playing `playList` (the editor's full paths, or a slideshow
    // file's lines). A toolbar list whose first line is not an integer does
    // not start: false, with the message in `error`. A running playback is
    // ended first.
    bool start(const QStringList& playList, QString* error = nullptr);
    // Ends playback now (the last picture stays on the output).
    void stop();
    void tick();
    // The transition on the output ended (or could not start): the slide's
    // time starts now. Ignored unless the player waits for its transition.
    void transitionEnded();

    bool isPlaying() const { return state_ != State::Idle; }
    int currentIndex() const { return index_; }

private:
    enum class State { Idle, AwaitingPicture, AwaitingTransition, Waiting };

    void beginEntry();
    void tryPresent();
    void prefetchNext();
    void startWait();
    void advance();
    void finish();
    int nextIndex() const;
    bool shouldStop() const;
    std::uint32_t durationMs(qint64 seconds) const;

    const PlayerKind kind_;
    PlaybackHost& host_;
    PictureSource& pictures_;
    const Clock& clock_;
    RepeatingTimer& timer_;
    std::mt19937 random_;

    State state_ = State::Idle;
    QStringList entries_;
    int first_ = 0;
    int last_ = -1;
    int index_ = 0;
    bool loop_ = false;
    bool endAfterWait_ = false;
    std::uint32_t waitMs_ = 0;
    std::uint32_t waitStart_ = 0;
    std::uint32_t transitionStart_ = 0;
    QSize bound_;
    QSet<QString> reported_;
};

}  // namespace vz::slideshow
