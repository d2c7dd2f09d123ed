#pragma once
// SettingsDialog: the settings dialog. Its handlers are the program's
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

class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    explicit SettingsDialog(App& app);

    // Source buttons, left to right.
    GlyphButton* stopAllButton = nullptr;
    GlyphButton* desktopButton = nullptr;
    GlyphButton* areaButton = nullptr;
    GlyphButton* windowButton = nullptr;
    GlyphButton* clipboardButton = nullptr;
    GlyphButton* imagesButton = nullptr;
    GlyphButton* scrollTextButton = nullptr;
    GlyphButton* captureButton = nullptr;
    // The source marker laid over the current source's button.
    QWidget* sourceMarker = nullptr;
    GlyphButton* sourceMarkerGlyph = nullptr;

    OnOffCheckBox* previewBox = nullptr;    // "Show preview"
    OnOffCheckBox* toolbarBox = nullptr;  // "Show toolbar"
    OnOffCheckBox* outputBox = nullptr;  // "Enable secondary sonitor"
    std::array<OnOffCheckBox*, 6> viewModeBoxes{};  // viewModeBoxes[1]..viewModeBoxes[5]; viewModeBoxes[0] unused
    SpinEdit* scaleSpin = nullptr;
    OnOffCheckBox* redPointBox = nullptr;
    OnOffCheckBox* showCursorBox = nullptr;
    SpinEdit* updateRateSpin = nullptr;
    TrackBar* displaySizeSlider = nullptr;
    QLabel* displaySizeLabel = nullptr;
    GlyphButton* fullButton = nullptr;          // "Full "
    GlyphButton* moveToSecondButton = nullptr;  // "Move to Second Monitor"
    GlyphButton* closeButton = nullptr;            // "Close"
    QMenu* imagesMenu = nullptr;
    QAction* openSlideshowAction = nullptr;
    QAction* makeSlideshowAction = nullptr;

    void onStopAllClicked();
    void onDesktopClicked();
    void onAreaClicked();
    void onWindowClicked();
    void onClipboardClicked();
    void onImagesClicked();
    void onOpenSlideshow();
    // What "Open Slideshow" does once a file was chosen. False (nothing
    // changed, the user told why) when the file cannot be read.
    bool openSlideshowFile(const QString& path);
    void onMakeSlideshow();
    void onScrollTextClicked();
    void onCaptureClicked();
    void onPreviewBoxClicked();
    void onToolbarBoxClicked();
    void onOutputBoxClicked();
    void onViewModeBoxClicked(int n);  // a view-mode box was clicked
    void onScaleChanged();
    void onUpdateRateChanged();
    void onDisplaySizeChanged();
    void applyLoadedSettings();     // at start and after Reset All Settings
    void onActivated();   // bring the three toggles up to date
    void onCloseClicked();

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
