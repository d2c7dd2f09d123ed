#pragma once
// The App object: owns the shared state, the platform services and the
// windows, and creates the windows in their fixed order. Nothing is global:
// a test builds a fresh App on the fake platform.

#include "core/controller/app_state.h"
#include "platform/platform.h"

#include <QRect>
#include <QString>
#include <QVector>

#include <memory>

namespace vz {

class TrayIcon;
class Toolbar;
class PreviewWindow;
class OutputWindow;
class SettingsDialog;
class AboutBox;
class CaptureCycle;

struct AppOptions {
    QString configDir;  // --config-dir: folder of Vivivoz.cfg; empty: the default rule
};

class App {
public:
    App(Platform& platform, AppOptions options = {});
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Creates the windows in order and adds the tray icon. Returns false when
    // this is a second instance (nothing was created then) or the instance
    // lock could not be created (`error` says why).
    bool start(QString* error = nullptr);
    bool isSecondInstance() const { return secondInstance_; }
    // Whether the tray icon could be shown (a tray manager is running).
    bool trayAvailable() const { return trayAvailable_; }

    // Exit from the tray menu: stops everything, hides the windows, saves the
    // settings and ends the event loop.
    void Exit();
    // The close query of the main window: saves the settings. Runs once.
    void closeQuery();

    // Screen measures, from the monitor list read at start and again whenever
    // the screens change (not at every use: on X11 each read is a server
    // round trip, and the capture tick needs these at every frame).
    const QVector<QRect>& monitors() const { return monitors_; }
    void refreshMonitors();
    int primaryWidth() const;
    int primaryHeight() const;
    int monitorCount() const;
    QRect monitorRect(int index) const;  // empty when there is no such monitor

    // Full path of Vivivoz.cfg.
    QString settingsPath() const;

    // Windows that are not built yet answer for themselves here until they
    // exist. Closing the slideshow editor runs its close handler's effects
    // (capture timer off, output blanked, source 0, player stopped), also
    // when the editor is hidden.
    void closeSlideshowEditor();
    bool isSlideshowEditorVisible() const { return false; }
    void hideWindowPicker() {}
    bool isWindowPickerVisible() const { return false; }
    bool isShortcutsWindowVisible() const { return false; }

    ProgramState state;
    Platform& platform;
    AppOptions options;

    // Windows, created in this order by start(); they live until the App ends.
    std::unique_ptr<TrayIcon> tray;
    std::unique_ptr<Toolbar> toolbar;
    std::unique_ptr<PreviewWindow> preview;
    std::unique_ptr<OutputWindow> output;
    std::unique_ptr<SettingsDialog> settingsDialog;
    std::unique_ptr<AboutBox> aboutBox;
    std::unique_ptr<CaptureCycle> capture;

private:
    QString resolveStartFolder() const;
    void watchScreens();
    bool secondInstance_ = false;
    bool trayAvailable_ = false;
    QVector<QRect> monitors_;
    bool closed_ = false;
};

}  // namespace vz
