#pragma once
// The App object: owns the controller, the platform services and the
// windows, creates the windows in their fixed order and connects them.
// Nothing is global: a test builds a fresh App on the fake platform.

#include "core/capture/frame_pipeline.h"
#include "core/controller/controller.h"
#include "core/scaling/row_workers.h"
#include "platform/platform.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QWidget;

namespace vz {

class TrayIcon;
class Toolbar;
class PreviewWindow;
class OutputWindow;
class SettingsDialog;
class AboutBox;
class AreaOverlay;
class SlideshowEditor;
class WindowPicker;
class ShortcutsDialog;
class CaptureDialog;
class MonitorDetailsWindow;
class ScrollTextDialog;

struct AppOptions {
    QString configDir;  // --config-dir: folder of Vivivoz.cfg; empty: the default rule
    // Frames on a worker thread (the program) or on the calling thread (tests).
    FramePipeline::Mode pipelineMode = FramePipeline::Mode::Worker;
};

class App : public QObject {
    Q_OBJECT
    // The row workers of every resample and transition frame: made first and
    // lent to this thread, so that every engine made after takes them along.
    RowWorkers rowWorkers_;
    RowWorkers::Lend rowWorkersLent_{&rowWorkers_};

public:
    App(Platform& platform, AppOptions options = {});
    ~App() override;

    // Creates the windows in order and adds the tray icon. Returns false when
    // this is a second instance (nothing was created then) or the instance
    // lock could not be created (`error` says why).
    bool start(QString* error = nullptr);
    bool isSecondInstance() const { return secondInstance_; }
    // Whether the tray icon could be shown (a tray manager is running).
    bool trayAvailable() const { return trayAvailable_; }

    // "Exit": stops everything, hides the windows, saves the settings and
    // ends the event loop.
    void exit();
    // The end of the session or a termination signal: saves the settings. Runs once.
    void closeQuery();

    Controller& controller() { return *controller_; }
    Platform& platform;
    AppOptions options;

    // Windows, created in this order by start(); they live until the App ends.
    std::unique_ptr<TrayIcon> tray;
    std::unique_ptr<Toolbar> toolbar;
    std::unique_ptr<PreviewWindow> preview;
    std::unique_ptr<OutputWindow> output;
    std::unique_ptr<SettingsDialog> settingsDialog;
    std::unique_ptr<AboutBox> aboutBox;
    std::unique_ptr<AreaOverlay> areaOverlay;
    std::unique_ptr<SlideshowEditor> slideshowEditor;
    std::unique_ptr<WindowPicker> windowPicker;
    std::unique_ptr<ShortcutsDialog> shortcutsDialog;
    std::unique_ptr<CaptureDialog> captureDialog;
    std::unique_ptr<MonitorDetailsWindow> monitorDetails;
    std::unique_ptr<ScrollTextDialog> scrollTextDialog;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showView(View view, bool show);
    void moveWindowsAside(bool aside);
    void keepOnTop();
    void watchScreens();
    void listenForLaterStarts();
    QWidget* widgetOf(View view) const;

    std::unique_ptr<Controller> controller_;
    bool secondInstance_ = false;
    bool trayAvailable_ = false;
    bool closed_ = false;
    // The settings dialog and the toolbar are hidden for the area snapshot.
    bool windowsAside_ = false;
    bool dialogAside_ = false;
    bool toolbarAside_ = false;
    bool steppingAside_ = false;  // their hiding and showing is not reported
    QTimer trayRetry_;
};

}  // namespace vz
