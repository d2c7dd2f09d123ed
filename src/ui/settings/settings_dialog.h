#pragma once
// SettingsDialog: the settings dialog. A view of the controller: its buttons
// and boxes call the controller's commands and show its state.

#include "core/controller/controller.h"

#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QMenu;

namespace vz {

class GlyphButton;
class OnOffCheckBox;
class SpinEdit;
class TrackBar;

class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    explicit SettingsDialog(Controller& controller);

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

    OnOffCheckBox* previewBox = nullptr;            // "Show preview"
    OnOffCheckBox* toolbarBox = nullptr;            // "Show toolbar"
    OnOffCheckBox* outputBox = nullptr;             // "Enable secondary sonitor"
    std::array<OnOffCheckBox*, 6> viewModeBoxes{};  // viewModeBoxes[1]..viewModeBoxes[5]; viewModeBoxes[0] unused
    SpinEdit* scaleSpin = nullptr;
    OnOffCheckBox* redPointBox = nullptr;
    OnOffCheckBox* showCursorBox = nullptr;
    SpinEdit* updateRateSpin = nullptr;
    TrackBar* displaySizeSlider = nullptr;
    QLabel* displaySizeLabel = nullptr;
    GlyphButton* fullButton = nullptr;          // "Full "
    GlyphButton* moveToSecondButton = nullptr;  // "Move to Second Monitor"
    GlyphButton* closeButton = nullptr;         // "Close"
    QMenu* imagesMenu = nullptr;
    QAction* openSlideshowAction = nullptr;
    QAction* makeSlideshowAction = nullptr;

    // Shows the dialog in front (tray "Settings", the toolbar's button, the tray's left click).
    void bringUp();
    GlyphButton* markedSource() const { return marked_; }
    // The number of the ticked view-mode box; 0 when none.
    int tickedViewMode() const;
    // Takes the values the controller loaded (at start and after Reset All Settings).
    void applyLoadedSettings();

protected:
    void moveEvent(QMoveEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void buildControls();
    void connectController();
    void chooseImages();
    void openSlideshowFile();
    // Puts the marker over the button of the source last chosen.
    void showSourceChoice();
    void showViewShown(View view, bool shown);
    void showViewMode(std::optional<ViewFit> mode);
    void showDisplaySize(int percent);
    // Applies the rule that keeps the dialog's left edge on the primary screen.
    void keepOnScreen();
    Controller& controller_;
    GlyphButton* marked_ = nullptr;
};

}  // namespace vz
