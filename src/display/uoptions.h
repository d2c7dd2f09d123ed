#pragma once
// TFoptions: the settings dialog. Its handlers are the program's
// source-switching commands; the tray menu and the toolbar call them.

#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QMenu;

namespace vz {

class App;
class GlyphButton;
class OnOffCheckBox;
class SpinEdit;
class TrackBar;

class TFoptions : public QWidget {
    Q_OBJECT
public:
    explicit TFoptions(App& app);

    // Source buttons, left to right.
    GlyphButton* sbStop = nullptr;
    GlyphButton* SBMonitor = nullptr;
    GlyphButton* SBPart = nullptr;
    GlyphButton* SbWindow = nullptr;
    GlyphButton* SbClipboard = nullptr;
    GlyphButton* sbSlideShow = nullptr;
    GlyphButton* sbSkrol = nullptr;
    GlyphButton* sbCapture = nullptr;
    // The source marker laid over the current source's button.
    QWidget* redall = nullptr;
    GlyphButton* sbred = nullptr;

    OnOffCheckBox* bcSlika = nullptr;    // "Show preview"
    OnOffCheckBox* bcToolBar = nullptr;  // "Show toolbar"
    OnOffCheckBox* bcMonitor = nullptr;  // "Enable secondary sonitor"
    std::array<OnOffCheckBox*, 6> SM{};  // SM[1]..SM[5]; SM[0] unused
    SpinEdit* SpinScaleVrednost = nullptr;
    OnOffCheckBox* RedPOINT = nullptr;
    OnOffCheckBox* Showcursor1 = nullptr;
    SpinEdit* spinrefresh = nullptr;
    TrackBar* X2Size = nullptr;
    QLabel* Label18 = nullptr;
    GlyphButton* sbhide = nullptr;          // "Full "
    GlyphButton* ximovetosecond = nullptr;  // "Move to Second Monitor"
    GlyphButton* xiOK = nullptr;            // "Close"
    QMenu* pop1 = nullptr;
    QAction* OpenSlideshow1 = nullptr;
    QAction* CreateSlideshow1 = nullptr;

    void sbStopClick();
    void SBMonitorClick();
    void SBPartClick();
    void SbWindowClick();
    void SbClipboardClick();
    void sbSlideShowClick();
    void OpenSlideshow1Click();
    // What "Open Slideshow" does once a file was chosen. False (nothing
    // changed, the user told why) when the file cannot be read.
    bool openSlideshowFile(const QString& path);
    void CreateSlideshow1Click();
    void sbSkrolClick();
    void sbCaptureClick();
    void bcSlikaClick();
    void bcToolBarClick();
    void bcMonitorClick();
    void PREDyoom(int n);  // a view-mode box was clicked
    void SpinScaleVrednostChange();
    void spinrefreshChange();
    void X2SizeChange();
    void FormCreate();     // at start and after Reset All Settings
    void FormActivate();   // bring the three toggles up to date
    void xiOKClick();

    // Shows the dialog in front (tray "Settings", the toolbar's button, the tray's left click).
    void bringUp();
    // Puts the marker over `button`.
    void markSource(GlyphButton* button);
    GlyphButton* markedSource() const { return marked_; }
    // Ticks box n (1..5) alone, captions "On"/"Off", without running handlers.
    void tickViewModeBox(int n);
    // The number of the ticked view-mode box; the highest wins; 0 when none.
    int tickedViewMode() const;

protected:
    void moveEvent(QMoveEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void buildControls();
    // Applies the rule that keeps the dialog's left edge on the primary screen.
    void keepOnScreen();
    // False while the dialog is being constructed: the other windows reach
    // the dialog through the App, which does not hold it yet.
    bool reachable() const;
    App& app_;
    GlyphButton* marked_ = nullptr;
};

}  // namespace vz
