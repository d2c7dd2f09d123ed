#pragma once
// TStartForm: the hidden main window. Owns the tray icon and its command
// menu, the auto-hide timer and the cursor-lock timer.

#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <array>

class QAction;
class QMenu;

namespace vz {

class App;

class TStartForm : public QWidget {
    Q_OBJECT
public:
    explicit TStartForm(App& app);
    ~TStartForm() override;

    QSystemTrayIcon* tray = nullptr;
    QMenu* PopupA = nullptr;
    QAction* S1 = nullptr;  // "Desktop"
    QAction* S2 = nullptr;  // "Part of Desktop"
    QAction* S3 = nullptr;  // "Single Application"
    QAction* S4 = nullptr;  // "Clipboard"
    QAction* S5 = nullptr;  // "Slideshow" (submenu)
    QAction* S6 = nullptr;  // "Open Slideshow"
    QAction* S7 = nullptr;  // "Make Slideshow"
    QAction* ScrollText1 = nullptr;
    std::array<QAction*, 6> vm{};  // vm[1]..vm[5]
    QAction* ShowSecondMonitor1 = nullptr;
    QAction* CaptureImage1 = nullptr;  // "Show Preview"
    QAction* Showtoolbar1 = nullptr;
    QAction* AutoHide1 = nullptr;
    QAction* CaptureanImage1 = nullptr;
    QAction* LockKurzor = nullptr;
    QAction* Selectscreenarea1 = nullptr;
    QAction* Primarymonitor1 = nullptr;
    QAction* StopAll1 = nullptr;
    QAction* ResetAllOptions1 = nullptr;
    QAction* LoadatStartup = nullptr;
    QAction* Options1 = nullptr;
    QAction* CreateKeyboardShortcuts1 = nullptr;
    QAction* MonitorDetails1 = nullptr;
    QAction* VisitWebsite1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Close1 = nullptr;

    QTimer Timer2;  // auto-hide, 200 ms
    QTimer Timer1;  // cursor lock, 250 ms

    // Adds the tray icon; false when no tray is available.
    bool addTrayIcon();
    void MYNOTIFY(QSystemTrayIcon::ActivationReason reason);
    void trayLeftClick();
    void PopupAPopup();
    void BrisiChekS();
    void resetVM();
    void S1Click();
    void vmClick(int n);
    void StartKlikyoom();
    void ShowSecondMonitor1Click();
    void CaptureImage1Click();
    void Showtoolbar1Click();
    void AutoHide1Click();
    void Timer2Timer();
    void StopAll1Click();
    void ResetAllOptions1Click();
    void LoadatStartupClick();
    void Options1Click();
    void VisitWebsite1Click();
    void About1Click();
    void Close1Click();

private:
    // Common step of the quick starts: the output window is up.
    void ensureOutputUp();
    App& app_;
};

}  // namespace vz
