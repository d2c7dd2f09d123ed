#pragma once
// The program's state and every command that changes it. One Controller
// lives in the App; the windows are views of it: they call its commands and
// follow its signals, and never read each other's controls.
//
// Where a command must show, hide or move a window, the controller emits a
// request signal that the App (which owns the windows) carries out; the App
// in turn tells the controller which windows are shown (setViewShown), since
// several commands depend on it.

#include "core/clipboard/clipboard_reader.h"
#include "core/controller/area_selection.h"
#include "core/controller/cursor_lock.h"
#include "core/controller/frame_feed.h"
#include "core/controller/image_capture.h"
#include "core/controller/key_bindings.h"
#include "core/controller/monitor_watch.h"
#include "core/controller/screen_area.h"
#include "core/controller/start_request.h"
#include "core/controller/tray_options.h"
#include "core/controller/view_options.h"
#include "core/imagefiles/capture_sequence.h"
#include "core/shortcuts/shortcut_actions.h"
#include "core/scrolltext/banner_order.h"
#include "core/settings/settings_file.h"
#include "core/settings/settings_store.h"
#include "platform/platform.h"

#include <QImage>
#include <QMimeData>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace vz {

class SlideshowPlayback;

// What feeds the output window.
enum class Source { Stopped = 0, Desktop = 2, Window = 3, Clipboard = 4, Slideshow = 5 };

// The source last chosen by the user: the tray menu's mark and the settings
// dialog's marker follow it.
enum class SourceChoice {
    None = 0,
    Desktop = 1,
    Area = 2,
    Window = 3,
    Clipboard = 4,
    OpenSlideshow = 5,
    MakeSlideshow = 6
};

// What part of the desktop the desktop source mirrors.
enum class DesktopScope { NotChosen = -1, WholePrimary = 0, Area = 1 };

// Which of the output window's surfaces is in front.
enum class OutputSurface { Picture, Transition };

// The windows whose visibility commands depend on or ask for.
enum class View {
    Output,
    Preview,
    Toolbar,
    SettingsDialog,
    AboutBox,
    SlideshowEditor,
    WindowPicker,
    Shortcuts,
    AreaOverlay,
    ImageCapture,
    MonitorDetails,
    ScrollText
};

class Controller : public QObject {
    Q_OBJECT
public:
    Controller(Platform& platform, FramePipeline::Mode pipelineMode, QObject* parent = nullptr);
    ~Controller() override;

    // --- Screens
    const MonitorWatch& screens() const { return monitors_; }
    // Reads the monitors again; the output follows a second monitor that
    // went or came (below).
    void refreshMonitors() { monitors_.refresh(); }
    // Where the monitors' device pixel ratios come from (the window system's
    // screens); see MonitorWatch::setRatioSource.
    void setMonitorRatioSource(std::function<double(const QRect&)> ratioOf) {
        monitors_.setRatioSource(std::move(ratioOf));
    }
    // When the second monitor goes, a shown output window hides (or moves to
    // the primary monitor, as the user chose) and the tray says so once;
    // when a second monitor comes (back), the output goes to it, full
    // screen. The source keeps running throughout.
    bool outputOnPrimaryWhenLost() const { return settings_.outputOnPrimaryWhenLost; }
    void setOutputOnPrimaryWhenLost(bool on) { settings_.outputOnPrimaryWhenLost = on; }
    // "Show on monitor": the output goes to monitor `index` of the list
    // (not the primary, 0), full screen if shown; the choice is kept in the
    // settings. Anything else is ignored.
    void chooseOutputMonitor(int index);
    // True while the output is away because its monitor went.
    bool outputAwayForLostMonitor() const { return outputAwayForLostMonitor_; }

    // --- Settings
    // The settings file: its folder is set before the first load.
    SettingsStore& settingsStore() { return store_; }
    const SettingsStore& settingsStore() const { return store_; }
    // Reads the settings file and takes its values; the views then follow
    // from settingsApplied().
    void loadSettings();
    // Deletes the settings file and takes the defaults.
    void resetSettings();
    // Writes the settings file; false with the path and the reason in `error`.
    bool saveSettings(QString* error);
    // Values the views hold (window positions): set before saving.
    void setToolbarPosition(QPoint p) {
        settings_.toolbarLeft = p.x();
        settings_.toolbarTop = p.y();
    }
    void setSettingsDialogPosition(QPoint p) {
        settings_.settingsDialogLeft = p.x();
        settings_.settingsDialogTop = p.y();
    }
    QPoint toolbarPosition() const { return {settings_.toolbarLeft, settings_.toolbarTop}; }
    QPoint settingsDialogPosition() const { return {settings_.settingsDialogLeft, settings_.settingsDialogTop}; }
    // The values last loaded (or being saved); for the windows still to come.
    const Settings& settings() const { return settings_; }
    Settings& settings() { return settings_; }

    // --- Views
    void setViewShown(View view, bool shown);
    bool isShown(View view) const { return shown_[std::size_t(view)]; }
    // Asks the App to show or hide a window.
    void requestView(View view, bool show) { emit viewRequested(view, show); }

    // --- Source state
    Source source() const { return source_; }
    SourceChoice sourceChoice() const { return sourceChoice_; }
    DesktopScope desktopScope() const { return scope_; }
    bool outputRunning() const { return running_; }
    OutputSurface outputSurface() const { return surface_; }
    const Rect4& captureArea() const { return captureArea_; }
    void setCaptureArea(const Rect4& r) { captureArea_ = r; }
    WindowId selectedWindow() const { return selectedWindow_; }
    void setSelectedWindow(WindowId w) { selectedWindow_ = w; }
    // The window picker's choice: this window is mirrored from the next
    // tick of the capture timer, which is switched on.
    void chooseWindow(WindowId w);
    // Set while the tray's Single Application runs: the picker is then
    // shown modally.
    bool pickWindowModal() const { return pickWindowModal_; }
    void setPickWindowModal(bool modal) { pickWindowModal_ = modal; }

    // --- Source commands
    void stopAll();
    void startDesktop();
    // Part of the desktop: clears the way, then continues from the event
    // loop once the windows are out of the picture (see docs/decisions.md).
    void startArea();
    // The same, then Run once the area is chosen (the tray's quick start).
    void startAreaAndRun();
    void startWindowSource();
    void startClipboard();
    // The clipboard changed. Only while the source is Clipboard: a picture
    // on it becomes the frame (light clear first), goes to the output when
    // running and to the preview when shown; anything else changes nothing.
    // A picture too large to take is refused with a message, and the output
    // keeps its picture.
    void clipboardChanged(const QMimeData* data);
    // Reads a slideshow file; false (nothing changed, the user was told why)
    // when it cannot be read.
    bool openSlideshow(const QString& path);
    // "Open Slideshow": asks for a slideshow file, then opens it; true when
    // it was read and holds at least one line.
    bool chooseAndOpenSlideshow();
    void makeSlideshow();
    // A start asked on the command line or by a second start: everything is
    // checked first, so one that cannot be carried out changes nothing and
    // the message says why (empty when done). The output is shown and the
    // source runs; --view and --rate take effect. In controller_start.cpp.
    QString carryOut(const StartRequest& request);
    // Scroll Text and Capture an Image open their windows; other sources stay.
    void openScrollText();
    void openImageCapture();
    // Send Text: the banner docks to its edge of the output window and
    // scrolls; the preview shows its strip. Hide takes both away.
    void sendBanner(const BannerOrder& order) { emit bannerSendRequested(order); }
    void hideBanner() { emit bannerHideRequested(); }
    // The slideshow editor's closing: capture timer off, output blanked,
    // source stopped, the editor's player asked to stop.
    void closeSlideshowEditor();
    // Run/Stop.
    void toggleRun();
    // Stops a running output (Run/Stop back to "Run"); a running toolbar
    // slideshow is asked to stop.
    void stopRunning();
    // Puts the current frame on the output window.
    void sendFrameToOutput();
    // Blanks the output; the full clear also stops a running output.
    void clearOutput() { blankOutput(false); }
    void clearOutputLight() { blankOutput(true); }
    // "Exit": the App saves and ends the program.
    void requestExit() { emit exitRequested(); }
    // The program ends: sources stop, the output and preview go.
    void prepareExit();

    // --- View options: fit, zoom, update rate, pointer, display size.
    ViewOptions& viewOptions() { return viewOptions_; }
    const ViewOptions& viewOptions() const { return viewOptions_; }
    void requestOutputFullScreen() { emit outputFullScreenRequested(); }
    void requestOutputOnSecondMonitor() { emit outputOnSecondMonitorRequested(); }
    // The output window comes back as the user left it: same place, same
    // state (the simulation after "Enable Secondary Monitor").
    void requestOutputInPlace() { emit outputInPlaceRequested(); }

    // --- Toolbar and tray options: auto-hide, load at startup, the simulation
    // question, the menu's state.
    TrayOptions& tray() { return tray_; }
    const TrayOptions& tray() const { return tray_; }
    // The cursor lock and the mouse area.
    CursorLock& cursorLock() { return cursorLock_; }
    const CursorLock& cursorLock() const { return cursorLock_; }
    // "Set Mouse Area" > "Select Screen Area": the overlay picks the area.
    void selectMouseArea();

    // --- Area selection (the area overlay is its view). Its result goes into
    // the capture area and, while picking the mouse area, into it too.
    AreaSelection& area() { return area_; }
    const AreaSelection& area() const { return area_; }

    // --- Slideshow state
    const QStringList& playList() const { return playList_; }
    bool editorStopRequested() const { return editorStopRequested_; }
    bool toolbarStopRequested() const { return toolbarStopRequested_; }
    // The two players (the toolbar's and the editor's).
    SlideshowPlayback& slideshowPlayback() { return *playback_; }
    // The editor's play button: starts the editor's player on the rows'
    // full paths (the source becomes Slideshow), or asks the running one to
    // stop. An empty list does nothing.
    void toggleEditorPlayback(const QStringList& fullPaths);
    // A row click, Send or Close asks the editor's player to stop.
    void requestEditorStop() { editorStopRequested_ = true; }
    // The size slideshow pictures are decoded for: the output's picture area.
    QSize outputPictureBound() const;
    // The output shows its transition view instead of its picture view.
    void showTransitionSurface() { setSurface(OutputSurface::Transition); }
    // Starts a transition on the output to `picture` in `style` (the
    // transition view shows it; a capture then writes that slide).
    void transitionOutputTo(const QImage& picture, int style);
    // And back to the picture view (the slideshow editor's closing).
    void showPictureSurface() { setSurface(OutputSurface::Picture); }
    // The slideshow editor became active: the source is the slideshow.
    void slideshowEditorActivated() { setSource(Source::Slideshow, sourceChoice_); }

    // --- Global shortcuts and the capture key (implemented in
    // controller_keys.cpp; what is held is the key bindings').
    KeyBindings& keys() { return keys_; }
    const KeyBindings& keys() const { return keys_; }
    // Reads the stored keys from the settings file again and takes them.
    void reloadShortcutKeys();
    // Takes `keys` and writes them to the settings file (its other contents
    // stay); false with the path and the reason in `error`.
    bool saveShortcutKeys(const ShortcutKeys& keys, QString* error);
    void runShortcut(ShortcutAction action);

    // --- Capture an Image
    ImageCapture& imageCapture() { return imageCapture_; }
    const ImageCapture& imageCapture() const { return imageCapture_; }
    // One press of the capture key: writes the output's picture to the next
    // numbered file; failures are reported with a message.
    CaptureOutcome captureImage();

    // --- Monitor details: one listing of the display outputs.
    QStringList monitorDetailsListing() const;

    // --- Frames: the capture ticks, the pipeline and the frames it made.
    FrameFeed& frames() { return frames_; }
    const FrameFeed& frames() const { return frames_; }
    const QImage& outputFrame() const { return outputFrame_; }
    // The picture the output window holds in front, at its own resolution:
    // the picture view's (a paused mirror keeps its frame) or, while the
    // transition view is in front, the slide it shows. What a capture writes.
    QImage outputShownPicture() const;
    // Size of the preview's picture area (the blank frame is made that size).
    void setPreviewViewSize(QSize size) { previewViewSize_ = size; }
    // Size of the output's picture area and how the pipeline scales for it.
    void setOutputViewSize(QSize size);
    // How the output view lays out its picture now.
    ViewLayout outputLayout() const;

signals:
    void sourceChanged();  // source, choice, scope
    void runningChanged(bool running);
    void outputSurfaceChanged(OutputSurface surface);
    void outputPicture(const QImage& picture);  // show this on the output
    // Start a transition to `picture` on the output, then set `style`.
    void outputTransition(const QImage& picture, int style);
    void outputScaledPicture(const CapturedFrame& frame);  // already scaled for the output view
    void outputBlanked(bool light);                        // black output, picture dropped
    void outputPictureDropped();                           // the output's picture removed
    void previewPicture(const QImage& picture);
    void previewCleared();
    void bannerHideRequested();                              // the scrolling text goes
    void bannerSendRequested(const vz::BannerOrder& order);  // the scrolling text comes
    void windowSourceLost();                                 // no window chosen: marks off
    void viewShownChanged(View view, bool shown);
    // Settings were loaded or reset: every view takes its values again.
    void settingsApplied();
    // Requests to the App.
    void viewRequested(View view, bool show);
    void outputFullScreenRequested();
    void outputOnSecondMonitorRequested();
    void outputInPlaceRequested();
    void outputOnPrimaryRequested();  // the simulation window, for a monitor that went
    void trayMessageRequested(const QString& title, const QString& text);
    void windowsAsideRequested(bool aside);
    void exitRequested();  // out of the screen's picture, or back

private:
    void blankOutput(bool light);
    void takePlayList(const QStringList& lines);
    // The desktop source over `scope`: the picker and the editor go, the
    // output is blanked, the capture timer runs.
    void startDesktopCapture(DesktopScope scope, SourceChoice choice);
    void secondMonitorLost();
    void secondMonitorCame();
    void setSource(Source source, SourceChoice choice);
    // What the capture ticks mirror now.
    FeedOrder feedOrder() const;
    void setRunning(bool running);
    void setSurface(OutputSurface surface);
    void continueAreaSelection(bool dialogWasShown);
    void beginAreaSelection(bool runWhenChosen);
    void areaChosen(AreaPurpose purpose, const Rect4& area);
    void areaCancelled(AreaPurpose purpose);
    void applySettings(const Settings& v);
    SettingsEnvironment environment() const;
    // A picture read from the clipboard (see clipboardChanged).
    void takeClipboardPicture(const ClipboardPicture& taken);
    void showError(const QString& text);

    Platform& platform_;
    MonitorWatch monitors_;
    CursorLock cursorLock_;
    AreaSelection area_;
    ViewOptions viewOptions_;
    SettingsStore store_;
    Settings settings_;
    std::array<bool, 16> shown_{};

    Source source_ = Source::Stopped;
    SourceChoice sourceChoice_ = SourceChoice::None;
    DesktopScope scope_ = DesktopScope::NotChosen;
    bool running_ = false;
    OutputSurface surface_ = OutputSurface::Picture;
    Rect4 captureArea_;
    WindowId selectedWindow_ = 0;
    bool outputAwayForLostMonitor_ = false;
    bool dialogWasShownBeforeArea_ = false;
    bool runWhenAreaChosen_ = false;

    TrayOptions tray_;
    bool pickWindowModal_ = false;

    QStringList playList_;
    bool editorStopRequested_ = false;
    bool toolbarStopRequested_ = false;

    QImage outputFrame_;
    QImage outputViewPicture_;        // what the output's picture view holds
    bool outputViewBlack_ = false;    // it was blanked: black at its own size
    QImage outputTransitionPicture_;  // the slide the output's transition view goes to
    QSize previewViewSize_;
    QSize outputViewSize_;
    FrameFeed frames_;
    std::unique_ptr<SlideshowPlayback> playback_;  // destroyed first: its hosts read this controller
    // Null: the clipboard is read through Qt.
    std::unique_ptr<ClipboardPictureReader> clipboardReader_;

    KeyBindings keys_;
    UpdateRateKeys rateKeys_;
    ImageCapture imageCapture_;
};

}  // namespace vz
