#include "core/controller/controller.h"

#include "platform/image_copy.h"
#include "core/controller/slideshow_playback.h"
#include "core/clipboard/clipboard_picture.h"
#include "core/shortcuts/shortcut_keys.h"
#include "core/scaling/output_geometry.h"
#include "core/slideshow/slideshow_files.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>

namespace vz {

namespace {

QImage blackPicture(QSize size) {
    QImage black(size.expandedTo(QSize(0, 0)) + QSize(1, 1), QImage::Format_RGB32);
    black.fill(Qt::black);
    return black;
}

FrameSources frameSources(const Platform& p) {
    FrameSources sources;
    sources.screen = p.screen.get();
    sources.pointer = p.capturePointer ? p.capturePointer.get() : p.pointer.get();
    sources.windows = p.windows.get();
    sources.openWindows = p.openWindowMirror ? p.openWindowMirror : p.openWindows;
    sources.changes = p.screenChanges.get();
    return sources;
}

}  // namespace

Controller::Controller(Platform& platform, FramePipeline::Mode mode, QObject* parent)
    : QObject(parent),
      platform_(platform),
      monitors_(*platform.monitors),
      cursorLock_(platform.pointerFence.get(), monitors_),
      area_(platform.screen.get(), monitors_),
      tray_(platform),
      frames_(frameSources(platform), mode, [this] { return feedOrder(); }),
      keys_(platform.globalKeys.get(), *platform.prompter),
      imageCapture_(*platform.prompter) {
    connect(&viewOptions_, &ViewOptions::updateRateChanged, &frames_, &FrameFeed::setRate);
    connect(&monitors_, &MonitorWatch::changed, this, [this] { frames_.pipeline().reset(); });
    connect(&monitors_, &MonitorWatch::secondLost, this, &Controller::secondMonitorLost);
    connect(&monitors_, &MonitorWatch::secondCame, this, &Controller::secondMonitorCame);
    connect(&area_, &AreaSelection::overlayRequested, this,
            [this](bool show) { requestView(View::AreaOverlay, show); });
    connect(&area_, &AreaSelection::chosen, this, &Controller::areaChosen);
    connect(&area_, &AreaSelection::cancelled, this, &Controller::areaCancelled);
    connect(&area_, &AreaSelection::snapshotFailed, &frames_, &FrameFeed::reportFailure);
    // The feed's frames go to the views; a frame of the mirror puts the
    // picture view in front.
    connect(&frames_, &FrameFeed::previewFrame, this, &Controller::previewPicture);
    connect(&frames_, &FrameFeed::outputCurrent, this, [this](const QImage& picture) { outputFrame_ = picture; });
    connect(&frames_, &FrameFeed::outputScaled, this, [this](const CapturedFrame& frame) {
        setSurface(OutputSurface::Picture);
        emit outputScaledPicture(frame);
    });
    connect(&frames_, &FrameFeed::outputPicture, this, [this](const QImage& picture) {
        setSurface(OutputSurface::Picture);
        emit outputPicture(picture);
    });
    connect(&frames_, &FrameFeed::windowFrame, this, [this](const QImage& picture) {
        outputFrame_ = picture;
        if (running_) sendFrameToOutput();
    });
    connect(&frames_, &FrameFeed::windowLost, this, [this] {
        clearOutput();
        emit windowSourceLost();
    });
    playback_ = std::make_unique<SlideshowPlayback>(*this);
    // What the output window shows follows what it is sent, whoever sends it.
    // A blank is made black only when a capture asks for it.
    const auto showsPicture = [this](const QImage& picture, bool black = false) {
        outputViewPicture_ = picture;
        outputViewBlack_ = black;
    };
    connect(this, &Controller::outputPicture, this, [showsPicture](const QImage& picture) { showsPicture(picture); });
    connect(this, &Controller::outputScaledPicture, this,
            [showsPicture](const CapturedFrame& frame) { showsPicture(frame.picture); });
    connect(this, &Controller::outputBlanked, this, [showsPicture] { showsPicture(QImage(), true); });
    connect(this, &Controller::outputPictureDropped, this, [showsPicture] { showsPicture(QImage()); });
    // The clipboard selection's changes (X11: XFixes selection events).
    // Another program's data is read on a worker where the platform can:
    // Qt would wait for the owner's answer here, holding up the event loop.
    if (platform_.clipboardReader) {
        clipboardReader_ = std::make_unique<ClipboardPictureReader>(
            *platform_.clipboardReader, mode == FramePipeline::Mode::Worker ? ClipboardPictureReader::Mode::Worker
                                                                            : ClipboardPictureReader::Mode::Inline);
        connect(clipboardReader_.get(), &ClipboardPictureReader::pictureRead, this, &Controller::takeClipboardPicture);
    }
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        connect(clipboard, &QClipboard::dataChanged, this, [this, clipboard] {
            // Other sources never ask the clipboard's owner for anything.
            if (source_ != Source::Clipboard) return;
            if (clipboardReader_ && !clipboard->ownsClipboard())
                clipboardReader_->readLatest();
            else
                clipboardChanged(clipboard->mimeData(QClipboard::Clipboard));
        });
    }
    connect(&keys_, &KeyBindings::actionPressed, this, &Controller::runShortcut);
    connect(&keys_, &KeyBindings::capturePressed, this, [this] { captureImage(); });
    // The stored text stays as the file had it ("None", a name we do not
    // know, another spelling) until the key itself changes.
    connect(&keys_, &KeyBindings::captureKeyChanged, this, [this](quint16 key) {
        if (key != shortcutFromText(settings_.captureKeyText)) settings_.captureKeyText = shortcutToText(key);
    });
}

Controller::~Controller() { playback_.reset(); }

// --- Screens -----------------------------------------------------------------

void Controller::chooseOutputMonitor(int index) {
    if (index < 1 || index >= monitors_.count()) return;
    settings_.outputMonitor = index;
    monitors_.setOutputChoice(index);
    if (isShown(View::Output)) emit outputOnSecondMonitorRequested();
}

void Controller::secondMonitorLost() {
    if (!isShown(View::Output)) return;
    outputAwayForLostMonitor_ = true;
    QString text;
    if (outputOnPrimaryWhenLost()) {
        emit outputOnPrimaryRequested();
        text = QStringLiteral(
            "The second monitor is gone: the output window is on the primary monitor until "
            "a second monitor is back.");
    } else {
        requestView(View::Output, false);
        text = QStringLiteral(
            "The second monitor is gone: the output window is hidden until a second monitor "
            "is back. The source keeps running.");
    }
    emit trayMessageRequested(Prompter::kCaption, text);
}

void Controller::secondMonitorCame() {
    // The output that went with its monitor comes back; one shown as a
    // simulation goes to the real monitor.
    if (!outputAwayForLostMonitor_ && !isShown(View::Output)) return;
    outputAwayForLostMonitor_ = false;
    requestView(View::Output, true);
}

// --- Settings ----------------------------------------------------------------

SettingsEnvironment Controller::environment() const {
    SettingsEnvironment env{monitors_.primaryWidth(), monitors_.primaryHeight(), platform_.paths->documentsDir(),
                            store_.folder()};
    env.primaryForWindows = monitors_.desk().logicalPrimary();
    return env;
}

void Controller::loadSettings() {
    // A file that is there but could not be read whole is never written
    // over: the program runs on the defaults and says so once.
    QString problem;
    const IniDocument doc = store_.read(&problem);
    if (!problem.isEmpty()) {
        platform_.prompter->warn(problem);
    }
    applySettings(readSettings(doc, environment()));
    keys_.setShortcutKeys(readShortcutKeys(doc));
}

void Controller::resetSettings() {
    store_.remove();
    // Defaults everywhere: auto-hide and the cursor lock go off too (the load
    // alone only ever switches them on).
    cursorLock_.setLocked(false);
    tray_.setAutoHide(false);
    // No key stays armed either: the shortcuts' keys went with the file, and
    // the load gives the ten back; the capture key goes with them.
    keys_.disarmCapture();
    loadSettings();
    tray_.setToolbarShownOnce(false);
}

void Controller::applySettings(const Settings& v) {
    settings_ = v;
    cursorLock_.setMouseArea(Rect4{v.mouseAreaLeft, v.mouseAreaTop, v.mouseAreaRight, v.mouseAreaBottom});
    monitors_.setOutputChoice(v.outputMonitor);
    // The load only ever switches these two on.
    if (v.autoHide && !tray_.autoHide()) tray_.setAutoHide(true);
    tray_.setAutoHideHintOff(v.autoHideHintOff);
    if (v.cursorLocked) cursorLock_.setLocked(true);
    cursorLock_.startTicking();
    ImageCaptureForm form = imageCapture_.form();
    form.folder = v.captureFolder;
    form.beep = v.captureBeep;
    imageCapture_.setForm(form);
    imageCapture_.setCounter(v.captureCounter);
    keys_.setCaptureKey(shortcutFromText(v.captureKeyText));  // an armed key follows
    viewOptions_.apply(v, monitors_.count() < 2 ? SimulationPercent : 100);
    emit settingsApplied();
}

bool Controller::saveSettings(QString* error) {
    if (!store_.writable()) return true;  // the user was told at the load
    // Keys written by others stay; a file that cannot be read again now is
    // left alone.
    Settings v = settings_;
    v.autoHide = tray_.autoHide();
    v.autoHideHintOff = tray_.autoHideHintOff();
    const Rect4& mouseArea = cursorLock_.mouseArea();
    v.mouseAreaLeft = mouseArea.Left;
    v.mouseAreaRight = mouseArea.Right;
    v.mouseAreaTop = mouseArea.Top;
    v.mouseAreaBottom = mouseArea.Bottom;
    v.cursorLocked = cursorLock_.locked();
    v.loadAtStartup = tray_.loadAtStartup();
    viewOptions_.store(v);
    v.captureCounter = imageCapture_.counter();
    v.captureFolder = imageCapture_.form().folder;
    v.captureBeep = imageCapture_.form().beep;
    return store_.update([&v](IniDocument& doc) { writeSettings(doc, v); }, error);
}

// --- Views -------------------------------------------------------------------

void Controller::setViewShown(View view, bool shown) {
    bool& slot = shown_[std::size_t(view)];
    if (slot == shown) return;
    slot = shown;
    // A view that comes back gets the current frame at the next tick.
    if (view == View::Output) frames_.forgetOutputShown();
    if (view == View::Preview) frames_.forgetPreviewShown();
    emit viewShownChanged(view, shown);
}

// --- Source commands ---------------------------------------------------------

void Controller::setSource(Source source, SourceChoice choice) {
    source_ = source;
    sourceChoice_ = choice;
    frames_.forget();
    // The server keeps off-screen copies only while a window is mirrored.
    if (source != Source::Window) frames_.pipeline().releaseWindows();
    emit sourceChanged();
}

void Controller::setRunning(bool running) {
    running_ = running;
    frames_.forgetOutputShown();
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

void Controller::startDesktop() { startDesktopCapture(DesktopScope::WholePrimary, SourceChoice::Desktop); }

void Controller::startDesktopCapture(DesktopScope scope, SourceChoice choice) {
    closeSlideshowEditor();
    requestView(View::WindowPicker, false);
    scope_ = scope;
    setSource(Source::Desktop, choice);
    clearOutput();
    frames_.restart();
}

void Controller::startArea() { beginAreaSelection(false); }

void Controller::startAreaAndRun() { beginAreaSelection(true); }

void Controller::beginAreaSelection(bool runWhenChosen) {
    if (area_.purpose() != AreaPurpose::None) return;  // one selection at a time
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
    dialogWasShownBeforeArea_ = dialogWasShown;
    runWhenAreaChosen_ = runWhenChosen;
    area_.begin(AreaPurpose::Capture);
    emit windowsAsideRequested(true);
}

void Controller::selectMouseArea() {
    // Whatever is on the screen goes into the snapshot, once the menu that
    // chose this command has left it.
    area_.begin(AreaPurpose::MouseArea);
}

void Controller::areaChosen(AreaPurpose purpose, const Rect4& area) {
    captureArea_ = area;
    if (purpose == AreaPurpose::MouseArea) cursorLock_.setMouseArea(area);
    if (purpose == AreaPurpose::Capture) continueAreaSelection(dialogWasShownBeforeArea_);
}

void Controller::areaCancelled(AreaPurpose purpose) {
    if (purpose != AreaPurpose::Capture) return;
    // Part of Desktop ends here: its Stop All has run, so nothing is chosen
    // any more (no menu mark), and the windows come back.
    runWhenAreaChosen_ = false;
    setSource(Source::Stopped, SourceChoice::None);
    emit windowsAsideRequested(false);
}

void Controller::continueAreaSelection(bool dialogWasShown) {
    clearOutput();
    requestView(View::SettingsDialog, false);
    scope_ = DesktopScope::Area;
    setSource(Source::Desktop, SourceChoice::Area);
    frames_.restart();
    emit windowsAsideRequested(false);
    if (dialogWasShown) requestView(View::SettingsDialog, true);
    if (runWhenAreaChosen_) {
        runWhenAreaChosen_ = false;
        toggleRun();
    }
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

void Controller::clipboardChanged(const QMimeData* data) {
    if (source_ != Source::Clipboard) return;
    if (clipboardReader_) clipboardReader_->forget();  // this one is newer
    takeClipboardPicture(readClipboardPicture(data));
}

void Controller::takeClipboardPicture(const ClipboardPicture& taken) {
    if (source_ != Source::Clipboard) return;
    if (taken.status == ClipboardPicture::Status::NoPicture) return;
    if (taken.status == ClipboardPicture::Status::Refused) {
        platform_.prompter->warn(taken.error);
        return;
    }
    clearOutputLight();
    outputFrame_ = taken.picture;
    if (running_) sendFrameToOutput();
    if (isShown(View::Preview)) emit previewPicture(outputFrame_);
}

void Controller::chooseWindow(WindowId w) {
    selectedWindow_ = w;
    frames_.forget();
    frames_.restart();
}

bool Controller::openSlideshow(const QString& path) {
    // Read first: a file that cannot be read leaves the current source alone.
    QString why;
    const std::optional<slideshow::PlayListFile> file = slideshow::readPlayListFile(path, &why);
    if (!file) {
        platform_.prompter->error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, why));
        return false;
    }
    takePlayList(file->lines);
    if (file->droppedLines > 0) platform_.prompter->warn(slideshow::playListCutMessage(path, file->droppedLines));
    return true;
}

void Controller::takePlayList(const QStringList& lines) {
    closeSlideshowEditor();
    setSource(Source::Slideshow, SourceChoice::OpenSlideshow);
    clearOutput();
    playList_ = lines;
}

bool Controller::chooseAndOpenSlideshow() {
    const QString path =
        platform_.prompter->chooseOpenFile(QStringLiteral("Vivivoz Slide Show (*.VSL *.vsl)"), QStringLiteral("vsl"));
    return !path.isEmpty() && openSlideshow(path) && !playList_.isEmpty();
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
    requestView(View::ImageCapture, true);
}

void Controller::closeSlideshowEditor() {
    frames_.stop();
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
    if (source_ == Source::Slideshow) {
        toolbarStopRequested_ = false;
        QString error;
        if (!playback_->startToolbar(playList_, &error)) {
            platform_.prompter->error(error);
        }
    }
}

void Controller::toggleEditorPlayback(const QStringList& fullPaths) {
    if (fullPaths.isEmpty()) return;
    if (playback_->editorPlaying() && !editorStopRequested_) {
        editorStopRequested_ = true;
        return;
    }
    editorStopRequested_ = false;
    setSource(Source::Slideshow, sourceChoice_);
    playList_ = fullPaths.mid(0, slideshow::kPlayListCapacity);
    playback_->startEditor(fullPaths);
}

void Controller::transitionOutputTo(const QImage& picture, int style) {
    outputTransitionPicture_ = picture;
    emit outputTransition(picture, style);
}

QSize Controller::outputPictureBound() const {
    if (!outputViewSize_.isEmpty()) return outputViewSize_;
    const QRect second = monitors_.outputMonitor();
    return second.isEmpty() ? monitors_.primary().size() : second.size();
}

void Controller::stopRunning() {
    if (running_ && source_ == Source::Slideshow) toolbarStopRequested_ = true;
    setRunning(false);
}

void Controller::sendFrameToOutput() {
    if (!isShown(View::Output)) return;
    if (source_ != Source::Slideshow) setSurface(OutputSurface::Picture);
    frames_.forgetOutputShown();
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
    frames_.forgetOutputShown();
    frames_.forgetPreviewShown();
    copyInto(blackPicture(previewViewSize_), outputFrame_);
}

void Controller::prepareExit() {
    area_.cancel();
    editorStopRequested_ = true;
    playback_->stopAll();
    source_ = Source::Stopped;
    frames_.stop();
    cursorLock_.stopTicking();
    requestView(View::Output, false);
    requestView(View::Preview, false);
}

// --- View options ------------------------------------------------------------

void Controller::setOutputViewSize(QSize size) { outputViewSize_ = size; }

QImage Controller::outputShownPicture() const {
    if (surface_ == OutputSurface::Transition) return outputTransitionPicture_;
    return outputViewBlack_ ? blackPicture(outputViewSize_) : outputViewPicture_;
}

ViewLayout Controller::outputLayout() const { return viewOptions_.layoutFor(outputViewSize_); }

// --- Frames ------------------------------------------------------------------

FeedOrder Controller::feedOrder() const {
    FeedOrder o;
    o.kind = source_ == Source::Desktop  ? FeedOrder::Kind::Desktop
             : source_ == Source::Window ? FeedOrder::Kind::Window
                                         : FeedOrder::Kind::Nothing;
    const QRect primary = monitors_.primary();
    if (scope_ == DesktopScope::WholePrimary) o.desktop = primary;
    if (scope_ == DesktopScope::Area) {
        const QRect area = captureArea_.onScreen(primary.topLeft());
        o.desktop = area.isEmpty() ? QRect() : area;  // an empty area gives an empty frame
    }
    o.cursor = viewOptions_.showCursor();
    o.redPoint = viewOptions_.showRedPoint();
    o.window = selectedWindow_;
    o.outputShown = isShown(View::Output);
    o.previewShown = isShown(View::Preview);
    o.running = running_;
    if (o.outputShown && running_) o.outputLayout = outputLayout();
    return o;
}

}  // namespace vz
