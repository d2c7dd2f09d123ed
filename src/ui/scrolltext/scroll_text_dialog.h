#pragma once
// ScrollTextDialog: the scrolling-text dialog. The user types the banner's
// text and chooses its font, colours, height, speed and edge while a live
// preview band scrolls; Send Text puts the banner on the output window (via
// the controller), Hide takes it away; Open and Save read and write .sct
// files. Created at program start, closing only hides it.

#include "core/controller/controller.h"
#include "core/scrolltext/scroll_text_file.h"
#include "core/scrolltext/scroll_text_form.h"

#include <QWidget>

class QLabel;
class QLineEdit;

namespace vz {

class GlyphButton;
class OnOffCheckBox;
class ScrollBand;
class SpinEdit;
class TrackBar;

class ScrollTextDialog : public QWidget {
    Q_OBJECT
public:
    explicit ScrollTextDialog(Controller& controller, Platform& platform);
    ~ScrollTextDialog() override;

    QWidget* previewPanel = nullptr;  // holds the preview band
    QWidget* panelCorner = nullptr;   // the panel colour button's corner
    GlyphButton* panelColourButton = nullptr;
    ScrollBand* bannerPreview = nullptr;
    QLineEdit* textEdit = nullptr;
    GlyphButton* clearButton = nullptr;
    QLabel* heightLabel = nullptr;
    TrackBar* heightTrack = nullptr;
    GlyphButton* backgroundButton = nullptr;  // "Background Color"
    GlyphButton* fontButton = nullptr;        // "Font"
    GlyphButton* growButton = nullptr;        // font size + 1 point
    GlyphButton* shrinkButton = nullptr;      // font size - 1 point
    SpinEdit* stepSpin = nullptr;
    SpinEdit* intervalSpin = nullptr;
    OnOffCheckBox* topBox = nullptr;
    OnOffCheckBox* bottomBox = nullptr;
    GlyphButton* saveButton = nullptr;
    GlyphButton* openButton = nullptr;
    GlyphButton* hideButton = nullptr;   // "Hide"
    GlyphButton* sendButton = nullptr;   // "Send Text"
    GlyphButton* closeButton = nullptr;  // "Close"

    // Shows the dialog in front (the tray's and the settings dialog's "Scroll Text").
    void bringUp();

    // What the controls hold now, as a .sct file stores it.
    ScrollTextSettings currentSettings() const;
    // The actions behind the buttons, after their file, colour or font
    // dialog was confirmed.
    bool openFile(const QString& path);
    bool saveFile(const QString& path);
    void setPanelColour(const QColor& colour);
    void setBackgroundColour(const QColor& colour);
    // Face, size and style of `font`; the text colour when valid.
    void setPreviewFont(const QFont& font, const QColor& textColour = QColor());
    void changeFontSize(int points);
    void sendText();
    void hideText();
    // The edge boxes as a click would change them.
    void clickTop();
    void clickBottom();
    QString customColoursPath() const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void onTextChanged(const QString& text);
    void onTrackMoved(int position);
    void showEdge();
    void applyLook();
    void placePreview(int top);
    void onActivated();
    void chooseOpenFile();
    void chooseSaveFile();
    void choosePanelColour();
    void chooseBackgroundColour();
    void chooseFont();
    void reportFileError(const QString& message);

    Controller& controller_;

    Platform& platform_;
    // Colours and font of the preview, as the file stores them.
    ScrollTextSettings look_;
    scrolltext::EdgeChoice edge_;
    int previewHeight_ = 20;
    QString lastFile_;  // proposed by the save dialog
};

}  // namespace vz
