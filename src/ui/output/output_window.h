#pragma once
// OutputWindow: the output window that the secondary monitor shows.

#include <QWidget>

class QAction;
class QMenu;

namespace vz {

class App;
class ImageView;

class OutputWindow : public QWidget {
    Q_OBJECT
public:
    explicit OutputWindow(App& app);

    ImageView* outputView = nullptr;   // mirrored frames and clipboard pictures
    QWidget* transitionSurface = nullptr;      // transition player (slideshow); hidden
    QWidget* banner = nullptr;    // scrolling text band; hidden
    QMenu* contextMenu = nullptr;  // context menu: "Stay on top"
    QAction* stayOnTopAction = nullptr;

    // Shows the window borderless over the monitor right of the primary.
    void showOnSecondary();
    // Shows the window as an ordinary sizeable window at 0,0 (one monitor).
    void showSimulated();
    // The settings dialog's monitor toggle: shows or hides the output.
    void onOutputBoxClicked();
    // Asks "Vivivoz can't detect second display. Start simulation mode ?"
    // guarded by simulationPromptOpen; true when answered Yes.
    bool askSimulationQuestion();
    void toggleFullScreen();       // full-screen toggle
    void onDisplaySizeChanged();       // display-size slider moved
    void goFullScreen();        // "Full "
    void moveToSecondMonitor();// "Move to Second Monitor"
    void toggleStayOnTop();           // "Stay on top"
    void applyViewMode();               // apply viewMode and the scale value to `outputView`
    void onActivated();
    // Chooses view mode n (1..5): viewMode := n, then applyViewMode.
    void chooseViewMode(int n);

    // Full screen (border none, covering a monitor) rather than a normal window.
    bool isFullScreenState() const { return fullScreen_; }
    // Docks the scrolling band at the top (true) or bottom edge of the window.
    void dockBand(bool atTop);

protected:
    void closeEvent(QCloseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void changeEvent(QEvent*) override;
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
    QRect restoreBounds() const { return {normalPos_, normalSize_}; }
    App& app_;
    QWidget* surface_ = nullptr;  // the area `outputView` and `transitionSurface` fill
    bool fullScreen_ = false;
    QPoint normalPos_;
    QSize normalSize_;
};

}  // namespace vz
