#pragma once
// The program's two slideshow players (the toolbar's and the editor's) with
// the hosts that connect them to the controller's state and signals.
//
// The toolbar's player plays the slideshow file last opened (the
// controller's play list) and stops on the toolbar's stop flag; the
// editor's player plays the editor's rows and reads the slide time, Loop
// and "Show on secondary monitor" from the editor through the functions
// the editor sets. Both end as soon as the source is no longer Slideshow.

#include "core/slideshow/slideshow_player.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace vz {

class Controller;

// What the players run on: the program's are the steady tick count, a
// read-ahead worker and precise Qt timers; tests put fakes in.
struct PlaybackServices {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<slideshow::PictureSource> pictures;
    MakeRepeatingTimer makeTimer;
};

class SlideshowPlayback : public QObject {
    Q_OBJECT
public:
    explicit SlideshowPlayback(Controller& controller);
    ~SlideshowPlayback() override;

    // Replaces the services (before the first playback or between two);
    // any playback is ended first.
    void setServices(PlaybackServices services);

    // The editor's controls, read by the editor's player while it plays.
    std::function<int()> editorSeconds = [] { return 5; };
    std::function<bool()> editorLoop = [] { return false; };
    std::function<bool()> editorOutputFed = [] { return true; };

    // Starts the toolbar's player on `lines` (a slideshow file); false with
    // the reason when line 1 is not an integer.
    bool startToolbar(const QStringList& lines, QString* error);
    // Starts the editor's player on the rows' full paths.
    void startEditor(const QStringList& paths);
    // Ends both players at once (the program ends).
    void stopAll();
    // The output's transition view finished a transition, or could not
    // start one: a player waiting for its picture's transition counts the
    // slide's time from now.
    void outputTransitionEnded();

    bool toolbarPlaying() const;
    bool editorPlaying() const;

signals:
    // The editor's player shows the picture of this row of its list.
    void editorEntryShown(int row);
    void editorCounter(const QString& text);
    void editorPreview(const QImage& picture);
    void editorPlaybackEnded();

private:
    class Host;
    struct Player;
    void build();

    Controller& controller_;
    PlaybackServices services_;
    std::unique_ptr<Player> toolbar_, editor_;
};

}  // namespace vz
