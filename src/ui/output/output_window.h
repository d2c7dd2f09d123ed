#pragma once
// OutputWindow: the output window that the secondary monitor shows.

#include <QWidget>

#include "core/controller/controller.h"

class QAction;
class QMenu;

namespace vz {

class ImageView;
class TransitionView;
class ScrollBand;

class OutputWindow : public QWidget {
    Q_OBJECT
public:
    explicit OutputWindow(Controller& controller, Platform& platform);

    ImageView* outputView = nullptr;           // mirrored frames and clipboard pictures
    QWidget* transitionSurface = nullptr;      // transition player (slideshow); hidden
    TransitionView* transitionView = nullptr;  // the same widget as the transition player
    ScrollBand* banner = nullptr;              // scrolling text band; hidden
    QMenu* contextMenu = nullptr;              // context menu: "Stay on top"
    QAction* stayOnTopAction = nullptr;
    QAction* primaryWhenLostAction = nullptr;
    // "Show on monitor": each monitor but the primary, with three or more.
    QMenu* monitorMenu = nullptr;
    // Lists the monitors in it again (each time the context menu opens).
    void fillMonitorMenu();

    // Shows the window borderless over the second monitor (the first that
    // is not the primary, wherever it stands).
    void showOnSecondary();
    // Shows the window as an ordinary sizeable window at the primary's
    // corner (one monitor).
    void showSimulated();
    // The second monitor went: a normal window on the primary monitor.
    void showOnPrimaryForLostMonitor();
    // The monitors changed size: a full-screen output fills its monitor again.
    void refitToMonitors();
    // "Vivivoz " with two monitors or more, the simulation caption with one.
    void showCaption();
    // Brings the output up: on the second monitor, or with one monitor, after
    // the simulation question, as a window on the primary.
    void bringUp();
    void toggleFullScreen();  // full-screen toggle
    // The display-size slider moved by the user: resizes the window.
    void applyDisplaySize(int percent);
    void goFullScreen();         // "Full "
    void moveToSecondMonitor();  // "Move to Second Monitor"
    void applyViewMode();        // apply viewMode and the scale value to `outputView`

    // Full screen (border none, covering a monitor) rather than a normal window.
    bool isFullScreenState() const { return fullScreen_; }
    // Docks the scrolling band at the top (true) or bottom edge of the window.
    void dockBand(bool atTop);

protected:
    void closeEvent(QCloseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;
    void showEvent(QShowEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Borderless, covering `monitor`.
    void setFullScreenOn(const QRect& monitor);
    // Sizeable frame; `geometry` holds the outer top-left and the client size.
    void setNormalState(const QRect& geometry);
    // Records the current bounds as the ones a normal state returns to.
    void keepNormalBounds();
    void setFrameless(bool frameless);
    void applyStayOnTop();
    void onActivated();
    void showBlack();
    void showBanner(const BannerOrder& order);
    void hideBanner();
    QRect restoreBounds() const { return {normalPos_, normalSize_}; }
    Controller& controller_;
    Platform& platform_;
    QMenu* surfaceMenu_ = nullptr;  // the transition surface's: "Close" closes the preview
    QWidget* surface_ = nullptr;    // the area `outputView` and `transitionSurface` fill
    bool fullScreen_ = false;
    QPoint normalPos_;
    QSize normalSize_;
};

}  // namespace vz
