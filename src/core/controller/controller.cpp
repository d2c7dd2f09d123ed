#include "core/controller/controller.h"

#include "core/capture/image_copy.h"
#include "core/settings/autostart.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace vz {

namespace {

const QString kCaption = QStringLiteral("Vivivoz");
const QString kSimulationQuestion = QStringLiteral("Vivivoz can't detect second display. Start simulation mode ?");

// The shared slideshow lines hold at most this many lines (two header lines
// and 2999 pictures).
constexpr int kPlayListCapacity = 3001;

// How long the windows get to leave the screen before the area snapshot.
constexpr int kWindowsAsideSettleMs = 150;

QImage blackPicture(QSize size) {
    QImage black(size.expandedTo(QSize(0, 0)) + QSize(1, 1), QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
}

// The lines of a slideshow file: CR LF or LF line ends, no empty line after
// the last line end, at most `capacity` lines.
bool readPlayListLines(const QString& path, int capacity, QStringList& lines, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    lines.clear();
    qsizetype start = 0;
    while (start < data.size() && lines.size() < capacity) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0) end = data.size();
        qsizetype stop = end;
        if (stop > start && data[stop - 1] == '\r') --stop;
        lines.append(QString::fromUtf8(data.constData() + start, stop - start));
        start = end + 1;
    }
    return true;
}

}  // namespace

int captureIntervalForRate(int rate) { return 1000 / (rate < 1 ? 1 : rate); }

Controller::Controller(Platform& platform, FramePipeline::Mode mode, QObject* parent)
    : QObject(parent), platform_(platform) {
    captureTimer.setTimerType(Qt::PreciseTimer);
    captureTimer.setInterval(200);
    connect(&captureTimer, &QTimer::timeout, this, &Controller::captureTick);
    cursorLockTimer.setInterval(250);

    FrameSources sources;
    sources.screen = platform_.screen.get();
    sources.pointer = platform_.capturePointer ? platform_.capturePointer.get() : platform_.pointer.get();
    if (platform_.openWindows) captureWindows_ = platform_.openWindows();
    sources.windows = captureWindows_ ? captureWindows_.get() : platform_.windows.get();
    sources.changes = platform_.screenChanges.get();
    pipeline_ = std::make_unique<FramePipeline>(sources, mode);
    // Direct from the inline pipeline, queued from the worker.
    connect(pipeline_.get(), &FramePipeline::frameReady, this, &Controller::takeFinishedFrame);
    connect(pipeline_.get(), &FramePipeline::captureFailed, this, &Controller::reportCaptureFailure);
}

Controller::~Controller() = default;

// --- Screens -----------------------------------------------------------------

void Controller::refreshMonitors() {
    monitors_ = platform_.monitors->monitors();
    pipeline_->reset();
}

int Controller::monitorCount() const {
    const int n = int(monitors_.size());
    return n < 1 ? 1 : n;
}

QRect Controller::monitorRect(int index) const {
    return index >= 0 && index < monitors_.size() ? monitors_[index] : QRect();
}

// --- Settings ----------------------------------------------------------------

QString Controller::settingsPath() const { return settingsFilePath(configFolder_); }

SettingsEnvironment Controller::environment() const {
    return SettingsEnvironment{primaryWidth(), primaryHeight(), platform_.paths->documentsDir(), configFolder_};
}

void Controller::loadSettings() {
    IniDocument doc;
    const IniDocument::LoadStatus status = doc.load(settingsPath());
    // A file that is there but could not be read whole is never written
    // over: the program runs on the defaults and says so once.
    settingsWritable_ = status == IniDocument::LoadStatus::Loaded || status == IniDocument::LoadStatus::Missing;
    if (!settingsWritable_ && !settingsProblemReported_) {
        settingsProblemReported_ = true;
        const QString reason = status == IniDocument::LoadStatus::TooLarge
                                   ? QStringLiteral("The file is larger than %1 bytes.").arg(IniDocument::MaxFileSize)
                                   : doc.loadError();
        const QString text = QStringLiteral("Cannot open file \"%1\". %2\nVivivoz runs with its default settings "
                                            "and leaves the file as it is.")
                                 .arg(settingsPath(), reason);
        std::fprintf(stderr, "vivivoz: %s\n", qPrintable(text));
        platform_.prompter->beep(Prompter::Icon::Warning);
        platform_.prompter->ask(kCaption, text, Prompter::Buttons::Ok, Prompter::Icon::Warning, Prompter::Answer::Ok);
    }
    applySettings(readSettings(doc, environment()));
}

void Controller::resetSettings() {
    if (settingsWritable_) QFile::remove(settingsPath());
    // Defaults everywhere: auto-hide and the cursor lock go off too (the load
    // alone only ever switches them on).
    autoHide_ = false;
    setCursorLock(false);
    emit autoHideChanged(false);
    loadSettings();
    toolbarShownOnce_ = false;
}

void Controller::applySettings(const Settings& v) {
    settings_ = v;
    mouseArea_ = Rect4{v.Cursorx0, v.Cursory0, v.Cursorx9, v.Cursory9};
    // The load only ever switches these two on.
    if (v.optAutohide && !autoHide_) {
        autoHide_ = true;
        emit autoHideChanged(true);
    }
    if (v.OptCursorLimit) setCursorLock(true);
    cursorLockTimer.start();
    showCursor_ = v.optShowcursor;
    showRedPoint_ = v.optShowRedPoint;
    scaleValue_ = std::clamp(v.opScaleValue, 1, 1000);
    maxUpdateRate_ = v.MAXrefreshRate;
    // A saved mode outside 1..5 leaves every view-mode box unticked until
    // the user chooses one (the output keeps fitting as Optimal).
    viewMode_ = v.Daf >= 1 && v.Daf <= 5 ? v.Daf : 0;
    displaySize_ = monitorCount() < 2 ? 30 : 100;
    setUpdateRate(std::clamp(v.refreshRate, 1, 1000));
    emit pointerOptionsChanged();
    emit scaleValueChanged(scaleValue_);
    emit viewModeChanged(viewMode_);
    emit displaySizeChanged(displaySize_, false);
    emit settingsApplied();
}

bool Controller::saveSettings(QString* error) {
    if (!settingsWritable_) return true;  // the user was told at the load
    // The current content is read again so that keys written by others stay;
    // a file that cannot be read again now is left alone.
    IniDocument doc;
    const IniDocument::LoadStatus status = doc.load(settingsPath());
    if (status != IniDocument::LoadStatus::Loaded && status != IniDocument::LoadStatus::Missing) {
        if (error)
            *error = QStringLiteral("Cannot open file \"%1\". %2").arg(settingsPath(), doc.loadError());
        return false;
    }
    Settings v = settings_;
    v.optAutohide = autoHide_;
    v.Cursorx0 = mouseArea_.Left;
    v.Cursorx9 = mouseArea_.Right;
    v.Cursory0 = mouseArea_.Top;
    v.Cursory9 = mouseArea_.Bottom;
    v.OptCursorLimit = cursorLock_;
    v.load = loadAtStartup();
    v.opScaleValue = scaleValue_;
    v.optShowcursor = showCursor_;
    v.optShowRedPoint = showRedPoint_;
    v.Daf = viewMode_;
    v.refreshRate = updateRate_;
    v.MAXrefreshRate = maxUpdateRate_;
    writeSettings(doc, v);
    return doc.save(settingsPath(), error);
}

// --- Views -------------------------------------------------------------------

void Controller::setViewShown(View view, bool shown) {
    bool& slot = shown_[std::size_t(view)];
    if (slot == shown) return;
    slot = shown;
    emit viewShownChanged(view, shown);
}

// --- Source commands ---------------------------------------------------------

void Controller::setSource(Source source, SourceChoice choice) {
    source_ = source;
    sourceChoice_ = choice;
    emit sourceChanged();
}

void Controller::setRunning(bool running) {
    running_ = running;
    emit runningChanged(running);
}

void Controller::setSurface(OutputSurface surface) {
    if (surface_ == surface) return;
    surface_ = surface;
    emit outputSurfaceChanged(surface);
}

void Controller::stopAll() {
    emit bannerHideRequested();
    requestView(View::WindowPicker, false);
    setSource(Source::Stopped, SourceChoice::None);
    setSurface(OutputSurface::Picture);
    clearOutput();
    stopRunning();
}

void Controller::startDesktop() {
    closeSlideshowEditor();
    requestView(View::WindowPicker, false);
    scope_ = DesktopScope::WholePrimary;
    setSource(Source::Desktop, SourceChoice::Desktop);
    clearOutput();
    pipeline_->reset();
    captureTimer.start();
}

void Controller::startArea() {
    stopAll();
    setRunning(false);
    const bool dialogWasShown = isShown(View::SettingsDialog);
    closeSlideshowEditor();
    requestView(View::WindowPicker, false);
    setSource(source_, SourceChoice::Area);
    // The settings dialog and the toolbar leave the screen so that neither
    // is in the snapshot; the snapshot follows once the window system has
    // moved them (continued from the event loop, never by processing events
    // inside this command).
    emit windowsAsideRequested(true);
    QTimer::singleShot(kWindowsAsideSettleMs, this, [this, dialogWasShown] { continueAreaSelection(dialogWasShown); });
}

void Controller::continueAreaSelection(bool dialogWasShown) {
    clearOutput();
    requestView(View::SettingsDialog, false);
    scope_ = DesktopScope::Area;
    setSource(Source::Desktop, SourceChoice::Area);
    pipeline_->reset();
    captureTimer.start();
    emit windowsAsideRequested(false);
    if (dialogWasShown) requestView(View::SettingsDialog, true);
}

void Controller::startWindowSource() {
    closeSlideshowEditor();
    setSource(source_, SourceChoice::Window);
    // The window picker (shown modeless, or modally from the tray) sets the
    // window and starts the capture timer itself.
    emit outputPictureDropped();
    stopRunning();
    clearOutput();
    setSurface(OutputSurface::Picture);
    setSource(Source::Window, SourceChoice::Window);
}

void Controller::startClipboard() {
    closeSlideshowEditor();
    requestView(View::WindowPicker, false);
    setSource(Source::Clipboard, SourceChoice::Clipboard);
    clearOutput();
}

bool Controller::openSlideshow(const QString& path) {
    // Read first: a file that cannot be read leaves the current source alone.
    QStringList lines;
    QString error;
    if (!readPlayListLines(path, kPlayListCapacity, lines, error)) {
        Prompter& prompter = *platform_.prompter;
        prompter.beep(Prompter::Icon::Error);
        prompter.ask(kCaption, QStringLiteral("Cannot open file \"%1\". %2").arg(path, error), Prompter::Buttons::Ok,
                     Prompter::Icon::Error, Prompter::Answer::Ok);
        return false;
    }
    closeSlideshowEditor();
    setSource(Source::Slideshow, SourceChoice::OpenSlideshow);
    clearOutput();
    playList_ = lines;
    return true;
}

void Controller::makeSlideshow() {
    setSource(Source::Slideshow, SourceChoice::MakeSlideshow);
    clearOutput();
    requestView(View::SlideshowEditor, true);
}

void Controller::openScrollText() {
    if (isShown(View::SlideshowEditor)) closeSlideshowEditor();
    requestView(View::WindowPicker, false);
    requestView(View::ScrollText, true);
}

void Controller::openImageCapture() {
    if (isShown(View::SlideshowEditor)) closeSlideshowEditor();
    requestView(View::WindowPicker, false);
}

void Controller::closeSlideshowEditor() {
    captureTimer.stop();
    clearOutput();
    source_ = Source::Stopped;
    editorStopRequested_ = true;
    if (isShown(View::SlideshowEditor)) requestView(View::SlideshowEditor, false);
}

void Controller::toggleRun() {
    if (isShown(View::SlideshowEditor) || !isShown(View::Output)) return;
    if (source_ == Source::Stopped) {
        setRunning(false);
        return;
    }
    if (running_) {
        stopRunning();
        return;
    }
    setRunning(true);
    if (source_ == Source::Slideshow) toolbarStopRequested_ = false;
}

void Controller::stopRunning() {
    if (running_ && source_ == Source::Slideshow) toolbarStopRequested_ = true;
    setRunning(false);
}

void Controller::sendFrameToOutput() {
    if (!isShown(View::Output)) return;
    if (source_ != Source::Slideshow) setSurface(OutputSurface::Picture);
    if (source_ != Source::Stopped)
        emit outputPicture(outputFrame_);
    else
        clearOutput();
}

void Controller::blankOutput(bool light) {
    // Only the full clear stops a running output.
    if (!light && running_) stopRunning();
    emit outputBlanked(light);
    emit previewCleared();
    copyInto(blackPicture(previewViewSize_), outputFrame_);
}

void Controller::prepareExit() {
    editorStopRequested_ = true;
    source_ = Source::Stopped;
    captureTimer.stop();
    cursorLockTimer.stop();
    requestView(View::Output, false);
    requestView(View::Preview, false);
}

// --- View options ------------------------------------------------------------

void Controller::setViewMode(int mode) {
    if (mode < 1 || mode > 5) return;
    viewMode_ = mode;
    emit viewModeChanged(mode);
}

void Controller::setScaleValue(int percent) {
    percent = std::clamp(percent, 1, 1000);
    if (percent == scaleValue_) return;
    scaleValue_ = percent;
    emit scaleValueChanged(percent);
}

void Controller::setUpdateRate(int rate) {
    rate = std::clamp(rate, 1, 1000);
    if (rate >= maxUpdateRate_) maxUpdateRate_ = rate;
    updateRate_ = rate;
    captureTimer.setInterval(captureIntervalForRate(rate));
    emit updateRateChanged(rate);
}

void Controller::setShowCursor(bool on) {
    if (showCursor_ == on) return;
    showCursor_ = on;
    emit pointerOptionsChanged();
}

void Controller::setShowRedPoint(bool on) {
    if (showRedPoint_ == on) return;
    showRedPoint_ = on;
    emit pointerOptionsChanged();
}

void Controller::setDisplaySize(int percent, bool byUser) {
    displaySize_ = std::clamp(percent, 1, 100);
    emit displaySizeChanged(displaySize_, byUser);
}

void Controller::setOutputViewSize(QSize size) { outputViewSize_ = size; }

ViewLayout Controller::outputLayout() const {
    ViewLayout layout;
    layout.view = outputViewSize_;
    viewFitFromNumber(viewMode_, &layout.fit);
    layout.factor = float(scaleValue_) / 100.0f;
    return layout;
}

// --- Toolbar and tray options ------------------------------------------------

void Controller::toggleAutoHide() {
    autoHide_ = !autoHide_;
    emit autoHideChanged(autoHide_);
    if (!autoHide_ || settings_.optAutohideagain) return;
    bool dontShowAgain = false;
    const bool closedWithButton = platform_.prompter->informWithCheckBox(
        kCaption, QStringLiteral(" \n   Move cursor to upper left corner to show hidden Toolbar.          "),
        QStringLiteral("Don't show me again."), dontShowAgain);
    if (closedWithButton) settings_.optAutohideagain = dontShowAgain;
}

void Controller::setCursorLock(bool on) {
    if (cursorLock_ == on) return;
    cursorLock_ = on;
    emit cursorLockChanged(on);
}

bool Controller::loadAtStartup() const {
    return QFileInfo::exists(autostartFilePath(platform_.paths->configHome()));
}

void Controller::toggleLoadAtStartup() {
    const QString configHome = platform_.paths->configHome();
    QString error;
    const bool ok = loadAtStartup() ? disableAutostart(configHome, &error)
                                    : enableAutostart(configHome, platform_.paths->executablePath(), &error);
    if (!ok) {
        platform_.prompter->beep(Prompter::Icon::Warning);
        platform_.prompter->ask(kCaption, error, Prompter::Buttons::Ok, Prompter::Icon::Warning, Prompter::Answer::Ok);
    }
    emit loadAtStartupChanged(loadAtStartup());
}

bool Controller::askSimulationQuestion() {
    if (simulationPromptOpen_) return false;
    simulationPromptOpen_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{simulationPromptOpen_};
    Prompter& prompter = *platform_.prompter;
    prompter.beep(Prompter::Icon::Question);
    return prompter.ask(kCaption, kSimulationQuestion, Prompter::Buttons::YesNo, Prompter::Icon::Question,
                        Prompter::Answer::Yes) == Prompter::Answer::Yes;
}

// --- Frames ------------------------------------------------------------------

void Controller::captureTick() {
    if (source_ == Source::Desktop) {
        // The preview and the output get the frame finished since the
        // previous tick; then the next capture starts.
        if (isShown(View::Preview) && !desktopFrame_.isNull()) emit previewPicture(desktopFrame_);
        if (isShown(View::Output)) {
            outputFrame_ = desktopFrame_;
            if (running_) {
                if (source_ != Source::Slideshow) setSurface(OutputSurface::Picture);
                if (lastScaled_.scaled && lastScaled_.layout == outputLayout())
                    emit outputScaledPicture(lastScaled_);
                else
                    emit outputPicture(outputFrame_);
            }
        }
        if (scope_ == DesktopScope::WholePrimary || scope_ == DesktopScope::Area) requestDesktopCapture();
    } else if (source_ == Source::Window) {
        if (selectedWindow_ == 0) {
            clearOutput();
            emit windowSourceLost();
            return;
        }
        CaptureRequest request;
        request.kind = CaptureRequest::Kind::Window;
        request.window = selectedWindow_;
        pipeline_->request(request);
    }
}

void Controller::requestDesktopCapture() {
    CaptureRequest request;
    const QRect primary = monitorRect(0);
    if (scope_ == DesktopScope::WholePrimary) {
        request.source = primary;
    } else {
        const Rect4& a = captureArea_;
        request.source = QRect(a.Left, a.Top, a.Right - a.Left, a.Bottom - a.Top).translated(primary.topLeft());
        if (request.source.isEmpty()) request.source = QRect();  // an empty area gives an empty frame
    }
    request.cursor = showCursor_;
    request.redPoint = showRedPoint_;
    // The output gets the frame scaled only while it shows it.
    if (isShown(View::Output) && running_) request.output = outputLayout();
    pipeline_->request(request);
}

void Controller::takeFinishedFrame() {
    CapturedFrame frame;
    if (!pipeline_->take(frame)) return;
    if (source_ == Source::Desktop) {
        desktopFrame_ = frame.picture;
        lastScaled_ = std::move(frame);
        lastScaled_.picture = desktopFrame_;
        if (desktopFrame_.isNull()) lastScaled_.scaled = false;
    } else if (source_ == Source::Window) {
        // A window's frame is shown at the tick that made it.
        windowFrame_ = frame.picture;
        outputFrame_ = windowFrame_;
        if (running_) sendFrameToOutput();
        if (isShown(View::Preview)) emit previewPicture(windowFrame_);
    }
}

void Controller::reportCaptureFailure() {
    // Reported once; the output keeps its last frame.
    if (captureFailureReported_) return;
    captureFailureReported_ = true;
    std::fprintf(stderr, "vivivoz: the screen could not be captured\n");
}

}  // namespace vz
