#pragma once
// TFmonitor: the output window that the secondary monitor shows.

#include <QWidget>

class QAction;
class QMenu;

namespace vz {

class App;
class ImageView;

class TFmonitor : public QWidget {
    Q_OBJECT
public:
    explicit TFmonitor(App& app);

    ImageView* image = nullptr;   // mirrored frames and clipboard pictures
    QWidget* Pixa = nullptr;      // transition player (slideshow); hidden
    QWidget* rtmdis = nullptr;    // scrolling text band; hidden
    QMenu* PopupMenu1 = nullptr;  // context menu: "Stay on top"
    QAction* sot = nullptr;

    // Shows the window borderless over the monitor right of the primary.
    void ShowOnSecondary();
    // Shows the window as an ordinary sizeable window at 0,0 (one monitor).
    void ShowSimulated();
    // The settings dialog's monitor toggle: shows or hides the output.
    void bcMonitorClick();
    // Asks "Vivivoz can't detect second display. Start simulation mode ?"
    // guarded by SimulationPromptOpen; true when answered Yes.
    bool askSimulationQuestion();
    void PixaDblClick();       // full-screen toggle
    void X2SizeChange();       // display-size slider moved
    void sbhideClick();        // "Full "
    void ximovetosecondClick();// "Move to Second Monitor"
    void sotClick();           // "Stay on top"
    void yoom();               // apply ViewMode and the scale value to `image`
    void FormActivate();
    // Chooses view mode n (1..5): ViewMode := n, then yoom.
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
    QWidget* surface_ = nullptr;  // the area `image` and `Pixa` fill
    bool fullScreen_ = false;
    QPoint normalPos_;
    QSize normalSize_;
};

}  // namespace vz
