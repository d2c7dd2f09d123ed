#pragma once
// Toolbar: the floating toolbar: settings, send the frame, Run/Stop. With
// auto-hide on it fades away while the pointer is elsewhere; where window
// opacity does not show (no compositing manager) it vanishes instead of
// fading and comes back when the pointer comes to its place.

#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include "core/controller/controller.h"

namespace vz {

class GlyphButton;
class MovablePanel;

class Toolbar : public QWidget {
    Q_OBJECT
public:
    explicit Toolbar(Controller& controller, Platform& platform);

    MovablePanel* panel = nullptr;
    GlyphButton* settingsButton = nullptr;  // "Settings"
    GlyphButton* sendButton = nullptr;      // "Send to Second Monitor"
    GlyphButton* runStopButton = nullptr;   // Run/Stop
    QTimer keepOnTopTimer;                  // keep-on-top, 1000 ms
    QPixmap runPicture, stopPicture;        // the two pictures of Run/Stop

    QTimer autoHideTimer;  // the fade, 200 ms, while auto-hide is on

    void keepOnTopTick();
    void autoHideTick();
    // Moves the toolbar to the place the settings hold.
    void applyLoadedSettings();

    bool showsStopPicture() const { return stopPicture_; }
    // Opacity 0..255 (window opacity).
    void setOpacity(int alpha);
    int opacity() const { return opacity_; }
    // Whether auto-hide has made the toolbar vanish (no compositing manager):
    // the window stays, cut to nothing, so its place and state are kept.
    bool vanished() const { return vanished_; }

protected:
    void moveEvent(QMoveEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void onActivated();
    void showRunPicture(bool stop);
    // The fade runs while auto-hide is on and the toolbar is shown.
    void updateFade();
    bool opacityShows() const;
    void setVanished(bool vanished);
    Controller& controller_;
    Platform& platform_;
    bool stopPicture_ = false;
    int opacity_ = 255;
    qreal windowOpacity_ = 1.0;
    bool vanished_ = false;
    int alpha_ = 0;
};

}  // namespace vz
