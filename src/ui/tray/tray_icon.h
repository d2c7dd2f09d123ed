#pragma once
// TrayIcon: the notification-area icon and its command menu. A view of the
// controller: the menu's items call its commands, their marks follow it.

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include "core/controller/controller.h"

#include <array>

class QAction;
class QMenu;

namespace vz {

class TrayIcon : public QWidget {
    Q_OBJECT
public:
    explicit TrayIcon(Controller& controller, Platform& platform);
    ~TrayIcon() override;

    QSystemTrayIcon* systemTrayIcon = nullptr;
    QMenu* menu = nullptr;
    QAction* desktopAction = nullptr;        // "Desktop"
    QAction* areaAction = nullptr;           // "Part of Desktop"
    QAction* windowAction = nullptr;         // "Single Application"
    QAction* clipboardAction = nullptr;      // "Clipboard"
    QAction* slideshowMenuAction = nullptr;  // "Slideshow" (submenu)
    QAction* openSlideshowAction = nullptr;  // "Open Slideshow"
    QAction* makeSlideshowAction = nullptr;  // "Make Slideshow"
    QAction* scrollTextAction = nullptr;
    std::array<QAction*, 6> viewModeActions{};  // viewModeActions[1]..viewModeActions[5]
    QAction* outputAction = nullptr;
    QAction* previewAction = nullptr;  // "Show Preview"
    QAction* toolbarAction = nullptr;
    QAction* autoHideAction = nullptr;
    QAction* captureAction = nullptr;
    QAction* cursorLockAction = nullptr;
    QAction* mouseAreaSelectAction = nullptr;
    QAction* mouseAreaPrimaryAction = nullptr;
    QAction* stopAllAction = nullptr;
    QAction* resetAction = nullptr;
    QAction* loadAtStartupAction = nullptr;
    QAction* settingsAction = nullptr;
    QAction* shortcutsAction = nullptr;
    QAction* monitorDetailsAction = nullptr;
    QAction* websiteAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* exitAction = nullptr;

    // Adds the tray icon; false when no tray is available.
    bool addTrayIcon();
    void onActivatedByUser(QSystemTrayIcon::ActivationReason reason);
    // The left button: the output, the toolbar and the settings dialog come up.
    void onLeftClick();
    // A message from the tray icon (a balloon, or the desktop's notification).
    void showTrayMessage(const QString& title, const QString& text);
    void onMenuAboutToShow();
    void clearSourceMarks();
    void quickStartDesktop();
    void quickStartSlideshow();  // "Open Slideshow": the file, the output, Run
    // Single Application: the picker is shown modally, then Run is pressed.
    void quickStartWindow();
    void quickStartClipboard();
    void onOutputAction();
    void onResetAll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showViewMode(std::optional<ViewFit> mode);
    // The quick starts' common steps round `command`.
    template <typename Command>
    void quickStart(QAction* item, Command command);
    Controller& controller_;
    Platform& platform_;
    // Qt's icon widget in an X11 tray, one at a time (a new one when the
    // tray comes anew), none with a StatusNotifierItem host.
    bool hasEmbeddedIcon() const;
    static bool isEmbeddedIcon(const QObject* object);
    QPointer<QWidget> rightPressed_;  // the icon that saw the right press
};

}  // namespace vz
