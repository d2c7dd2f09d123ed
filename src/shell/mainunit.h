#pragma once
// TMainForm: the floating toolbar. Also owns the settings load and save.

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace vz {

class App;
class GlyphButton;
class MovablePanel;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(App& app);

    MovablePanel* panel = nullptr;
    GlyphButton* xbMenu = nullptr;        // "Settings"
    GlyphButton* SpeedButton8 = nullptr;  // "Send to Second Monitor"
    GlyphButton* xiTekanje = nullptr;     // Run/Stop
    QTimer Timer1;                        // keep-on-top, 1000 ms
    QPixmap ImgRun, ImgStop;              // the two pictures of Run/Stop

    void xiTekanjeClick();  // Run/Stop
    void xbMenuClick();
    void SpeedButton8Click();
    void FormActivate();
    void Timer1Timer();

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
