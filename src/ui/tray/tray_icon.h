#pragma once
// TrayIcon: the hidden main window. Owns the tray icon and its command
// menu, the auto-hide timer and the cursor-lock timer.

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <array>

class QAction;
class QMenu;

namespace vz {

class App;

class TrayIcon : public QWidget {
    Q_OBJECT
public:
    explicit TrayIcon(App& app);
    ~TrayIcon() override;

    QSystemTrayIcon* systemTrayIcon = nullptr;
    QMenu* menu = nullptr;
    QAction* desktopAction = nullptr;  // "Desktop"
    QAction* areaAction = nullptr;  // "Part of Desktop"
    QAction* windowAction = nullptr;  // "Single Application"
    QAction* clipboardAction = nullptr;  // "Clipboard"
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

    QTimer autoHideTimer;  // auto-hide, 200 ms
    QTimer cursorLockTimer;  // cursor lock, 250 ms

    // Adds the tray icon; false when no tray is available.
    bool addTrayIcon();
    void onActivatedByUser(QSystemTrayIcon::ActivationReason reason);
    void onLeftClick();
    void onMenuAboutToShow();
    void clearSourceMarks();
    void clearViewModeMarks();
    void quickStartDesktop();
    void onViewModeAction(int n);
    void applyViewModeFromMenu();
    void onOutputAction();
    void onPreviewAction();
    void onToolbarAction();
    void onAutoHideAction();
    void autoHideTick();
    void onStopAll();
    void onResetAll();
    void onLoadAtStartup();
    void onSettings();
    void onVisitWebsite();
    void onAbout();
    void onExit();

private:
    // Common step of the quick starts: the output window is up.
    void ensureOutputUp();
    App& app_;
};

}  // namespace vz
