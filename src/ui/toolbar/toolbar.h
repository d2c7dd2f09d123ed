#pragma once
// Toolbar: the floating toolbar. Also owns the settings load and save.

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace vz {

class App;
class GlyphButton;
class MovablePanel;

class Toolbar : public QWidget {
    Q_OBJECT
public:
    explicit Toolbar(App& app);

    MovablePanel* panel = nullptr;
    GlyphButton* settingsButton = nullptr;        // "Settings"
    GlyphButton* sendButton = nullptr;  // "Send to Second Monitor"
    GlyphButton* runStopButton = nullptr;     // Run/Stop
    QTimer keepOnTopTimer;                        // keep-on-top, 1000 ms
    QPixmap runPicture, stopPicture;              // the two pictures of Run/Stop

    void toggleRun();  // Run/Stop
    void onSettingsClicked();
    void onSendClicked();
    void onActivated();
    void keepOnTopTick();

    // Reads Vivivoz.cfg and applies it (toolbar place, menu marks, held values).
    void LoadSettings();
    // Writes Vivivoz.cfg; false with the path and the reason in `error`.
    bool SaveSettings(QString* error);

    bool showsStopPicture() const { return stopPicture_; }
    // Opacity 0..255 (window opacity).
    void setOpacity(int alpha);
    int opacity() const { return opacity_; }

protected:
    void moveEvent(QMoveEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void showRunPicture(bool stop);
    // Runs the toolbar's slideshow player; returns when playback ends.
    void playSlideshow();
    // Whether the toolbar is known to be above all other windows already.
    bool isTopmost() const;
    App& app_;
    bool stopPicture_ = false;
    int opacity_ = 255;
};

// The toolbar's client size.
constexpr int ToolbarWidth = 248;
constexpr int ToolbarHeight = 42;

}  // namespace vz
