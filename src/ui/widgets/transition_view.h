#pragma once
// TransitionView: shows one picture and changes to the next through an
// animated transition. The engine composes the frames on its own thread;
// this widget only puts the newest finished frame on the screen, stretched
// into the engine's screen rectangle, with the background round it.

#include "core/transitions/transition_engine.h"

#include <QWidget>

namespace vz {

class TransitionView : public QWidget {
    Q_OBJECT
public:
    explicit TransitionView(QWidget* parent = nullptr);
    ~TransitionView() override;

    transitions::TransitionEngine& engine() { return engine_; }
    const transitions::TransitionEngine& engine() const { return engine_; }

    // The way every caller hands over a picture: set it, start the
    // transition (ignored while one runs), then set the style, which the
    // frame thread reads for every frame.
    void play(const QImage& picture, int style);

signals:
    // The transition has ended (completed or stopped). After play() it
    // comes when that transition ends, or when the one that was already
    // running does, or at once when no transition could be started.
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void syncClientSize();

    transitions::TransitionEngine engine_;
};

// The output window's settings: fills its area, keeps proportions, centred,
// black, a frame every 80 ms, style 163 until a player sets one.
void configureOutputTransitions(TransitionView& view);

}  // namespace vz
