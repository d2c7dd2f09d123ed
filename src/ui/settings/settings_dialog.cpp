#include "ui/settings/settings_dialog.h"

#include "app/app.h"
#include "app/features.h"
#include "app/capture_cycle.h"
#include "ui/widgets/image_view.h"
#include "ui/output/output_window.h"
#include "ui/preview/preview_window.h"
#include "ui/toolbar/toolbar.h"
#include "ui/tray/tray_icon.h"
#include "ui/widgets/background.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/movable_panel.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/track_bar.h"
#include "ui/widgets/ui_font.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

namespace vz {

namespace {

constexpr int kClientWidth = 699;
constexpr int kClientHeight = 541;
const QColor kPanelColor(101, 104, 120);
const QColor kMarkerColor(0, 128, 255);
constexpr int kSourceButtonWidth = 53;
constexpr int kSourceButtonHeight = 33;
// The shared slideshow lines hold at most this many lines (two header lines
// and 2999 pictures).
constexpr int kSlideLinesCapacity = 3001;

QString onOff(bool on) { return on ? QStringLiteral("On") : QStringLiteral("Off"); }

void setTicked(OnOffCheckBox* box, bool ticked) {
    box->setChecked(ticked);
    box->setText(onOff(ticked));
}

QLabel* makeLabel(const QString& text, QWidget* parent, const QRect& at, bool heading = false) {
    auto* label = new QLabel(text, parent);
    label->setFont(uiFont(heading ? 10 : 9, heading));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(pal);
    label->setGeometry(at);
    return label;
}

// A faint frame that groups the controls of one section.
QFrame* makeSection(QWidget* parent, const QRect& at) {
    auto* frame = new QFrame(parent);
    frame->setGeometry(at);
    frame->setStyleSheet(QStringLiteral("QFrame { border: 1px solid rgba(255, 255, 255, 70); border-radius: 3px; }"));
    frame->lower();
    return frame;
}

QFrame* makeSeparator(QWidget* parent, const QRect& at) {
    auto* line = new QFrame(parent);
    line->setGeometry(at);
    line->setStyleSheet(QStringLiteral("QFrame { background: rgba(255, 255, 255, 90); border: none; }"));
    return line;
}

GlyphButton* makeSourceButton(QWidget* parent, int x, int y, const QPixmap& glyph, const QString& hint,
                              bool built) {
    auto* button = new GlyphButton(parent);
    button->setGeometry(x, y, kSourceButtonWidth, kSourceButtonHeight);
    button->setGlyph(glyph);
    button->setToolTip(hint);
    button->setEnabled(built);
    return button;
}

GlyphButton* makeTextButton(QWidget* parent, const QString& caption, const QRect& at) {
    auto* button = new GlyphButton(parent);
    button->setText(caption);
    button->setGeometry(at);
    return button;
}

// The lines of a slideshow file: CR LF or LF line ends, no empty line after
// the last line end, at most `capacity` lines.
bool readSlideshowLines(const QString& path, int capacity, QStringList& lines, QString& error) {
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
        lines.append(QString::fromLocal8Bit(data.constData() + start, stop - start));
        start = end + 1;
    }
    return true;
}

}  // namespace

SettingsDialog::SettingsDialog(App& app) : QWidget(nullptr, Qt::Dialog), app_(app) {
    setWindowTitle(QStringLiteral("Vivivoz - Settings"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(uiFont());
    buildControls();
    applyLoadedSettings();
}

bool SettingsDialog::reachable() const { return app_.settingsDialog.get() == this; }

void SettingsDialog::buildControls() {
    auto* panel = new MovablePanel(this);
    panel->setColor(kPanelColor);
    panel->setGeometry(0, 0, kClientWidth, kClientHeight);

    // Source buttons in one row, three groups split by thin separators.
    const int gap = 4;
    const int groupGap = 22;
    const int rowWidth = 8 * kSourceButtonWidth + 5 * gap + 2 * groupGap;
    int x = (kClientWidth - rowWidth) / 2;
    const int y = 18;
    auto next = [&](const QPixmap& glyph, const QString& hint, bool built) {
        GlyphButton* b = makeSourceButton(panel, x, y, glyph, hint, built);
        x += kSourceButtonWidth + gap;
        return b;
    };
    auto separator = [&] {
        x += (groupGap - gap) / 2;
        makeSeparator(panel, QRect(x - 1, y + 3, 2, kSourceButtonHeight - 6));
        x += groupGap - (groupGap - gap) / 2;
    };
    stopAllButton = next(glyphs::stopAll(), QStringLiteral("Stop All"), true);
    desktopButton = next(glyphs::desktop(), QStringLiteral("Desktop"), true);
    areaButton = next(glyphs::partOfDesktop(), QStringLiteral("Part of Desktop"), features::AreaSelection);
    x -= gap;
    separator();
    windowButton = next(glyphs::singleApplication(), QStringLiteral("Single Application"), features::WindowPicker);
    clipboardButton = next(glyphs::clipboard(), QStringLiteral("Clipboard"), features::ClipboardSource);
    imagesButton = next(glyphs::images(), QStringLiteral("Images"), features::Slideshow);
    x -= gap;
    separator();
    scrollTextButton = next(glyphs::scrollText(), QStringLiteral("Scroll Text"), features::ScrollText);
    captureButton = next(glyphs::captureImage(), QStringLiteral("Capture an Image from a second display"),
                     features::ImageCapture);

    // The marker: a disabled panel, so a click on the marked button goes nowhere.
    sourceMarker = new QWidget(panel);
    fillBackground(sourceMarker, kMarkerColor);
    sourceMarker->setGeometry(stopAllButton->x(), stopAllButton->y(), kSourceButtonWidth, kSourceButtonHeight);
    sourceMarkerGlyph = new GlyphButton(sourceMarker);
    sourceMarkerGlyph->setFaceColor(kMarkerColor);
    sourceMarkerGlyph->setGeometry(0, 0, kSourceButtonWidth, kSourceButtonHeight);
    sourceMarker->setEnabled(false);
    sourceMarker->hide();

    makeSeparator(panel, QRect(16, 68, kClientWidth - 32, 1));

    // Left column: the three windows, the view mode and the scale value.
    const int lx = 20, lw = 320, lbox = 230;
    makeSection(panel, QRect(lx, 84, lw, 104));
    auto toggleRow = [&](const QString& label, int rowY) {
        makeLabel(label, panel, QRect(lx + 14, rowY, 200, 22));
        auto* box = new OnOffCheckBox(QStringLiteral("On"), panel);
        box->setGeometry(lx + lbox, rowY, 60, 22);
        box->setChecked(true);
        return box;
    };
    previewBox = toggleRow(QStringLiteral("Show preview"), 96);
    toolbarBox = toggleRow(QStringLiteral("Show toolbar"), 124);
    outputBox = toggleRow(QStringLiteral("Enable secondary sonitor"), 152);

    makeSection(panel, QRect(lx, 212, lw, 224));
    makeLabel(QStringLiteral("View Mode"), panel, QRect(lx + 14, 220, 200, 22), true);
    const char* modeNames[] = {"", "Normal", "Stretch", "Optimal", "Resize", "Scale"};
    for (int n = 1; n <= 5; ++n) {
        const int rowY = 220 + 28 * n;
        makeLabel(QString::fromLatin1(modeNames[n]), panel, QRect(lx + 30, rowY, 180, 22));
        viewModeBoxes[n] = new OnOffCheckBox(QStringLiteral("Off"), panel);
        viewModeBoxes[n]->setGeometry(lx + lbox, rowY, 60, 22);
        connect(viewModeBoxes[n], &QAbstractButton::clicked, this, [this, n] { onViewModeBoxClicked(n); });
    }
    makeSeparator(panel, QRect(lx + 14, 395, lw - 28, 1));
    makeLabel(QStringLiteral("Scale value"), panel, QRect(lx + 14, 404, 180, 24));
    scaleSpin = new SpinEdit(1, 1000, panel);
    scaleSpin->setGeometry(lx + lbox, 404, 72, 24);
    scaleSpin->setValue(100);

    // Right column: pointer overlay, update rate, display size.
    const int rx = 360, rw = 319, rbox = 200;
    makeSection(panel, QRect(rx, 84, rw, 104));
    makeLabel(QStringLiteral(" On captured screen "), panel, QRect(rx + 10, 92, 250, 22), true);
    makeLabel(QStringLiteral("Show red point"), panel, QRect(rx + 14, 124, 180, 22));
    redPointBox = new OnOffCheckBox(QStringLiteral("Off"), panel);
    redPointBox->setGeometry(rx + rbox, 124, 60, 22);
    makeLabel(QStringLiteral("Show cursor"), panel, QRect(rx + 14, 152, 180, 22));
    showCursorBox = new OnOffCheckBox(QStringLiteral("Off"), panel);
    showCursorBox->setGeometry(rx + rbox, 152, 60, 22);

    makeSection(panel, QRect(rx, 212, rw, 92));
    makeLabel(QStringLiteral("Screen update rate:"), panel, QRect(rx + 14, 222, 180, 24));
    updateRateSpin = new SpinEdit(1, 1000, panel);
    updateRateSpin->setGeometry(rx + rbox, 222, 72, 24);
    updateRateSpin->setValue(4);
    QLabel* note = makeLabel(
        QStringLiteral("Depend from hardware and operating system. Too high rate can cause application instability."),
        panel, QRect(rx + 14, 252, rw - 28, 44));
    note->setFont(uiFont(8));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    makeSection(panel, QRect(rx, 328, rw, 108));
    makeLabel(QStringLiteral(" Display Size"), panel, QRect(rx + 10, 336, 250, 22), true);
    displaySizeSlider = new TrackBar(1, 100, panel);
    displaySizeSlider->setTickInterval(10);
    displaySizeSlider->setGeometry(rx + 14, 362, 220, 30);
    displaySizeSlider->setValue(100);
    displaySizeLabel = makeLabel(QStringLiteral("100 %"), panel, QRect(rx + 244, 366, 64, 22));
    fullButton = makeTextButton(panel, QStringLiteral("Full "), QRect(rx + 14, 398, 80, 28));
    moveToSecondButton = makeTextButton(panel, QStringLiteral("Move to Second Monitor"), QRect(rx + 102, 398, 203, 28));

    makeSeparator(panel, QRect(16, 460, kClientWidth - 32, 1));
    closeButton = makeTextButton(panel, QStringLiteral("Close"), QRect(kClientWidth - 20 - 110, 482, 110, 34));

    sourceMarker->raise();

    imagesMenu = new QMenu(this);
    openSlideshowAction = imagesMenu->addAction(QStringLiteral("Open Slideshow"));
    imagesMenu->addSeparator();
    makeSlideshowAction = imagesMenu->addAction(QStringLiteral("Make Slideshow"));
    openSlideshowAction->setEnabled(features::Slideshow);
    makeSlideshowAction->setEnabled(features::Slideshow);

    connect(stopAllButton, &QAbstractButton::clicked, this, &SettingsDialog::onStopAllClicked);
    connect(desktopButton, &QAbstractButton::clicked, this, &SettingsDialog::onDesktopClicked);
    connect(areaButton, &QAbstractButton::clicked, this, &SettingsDialog::onAreaClicked);
    connect(windowButton, &QAbstractButton::clicked, this, &SettingsDialog::onWindowClicked);
    connect(clipboardButton, &QAbstractButton::clicked, this, &SettingsDialog::onClipboardClicked);
    connect(imagesButton, &QAbstractButton::clicked, this, &SettingsDialog::onImagesClicked);
    connect(scrollTextButton, &QAbstractButton::clicked, this, &SettingsDialog::onScrollTextClicked);
    connect(captureButton, &QAbstractButton::clicked, this, &SettingsDialog::onCaptureClicked);
    connect(openSlideshowAction, &QAction::triggered, this, &SettingsDialog::onOpenSlideshow);
    connect(makeSlideshowAction, &QAction::triggered, this, &SettingsDialog::onMakeSlideshow);
    connect(previewBox, &QAbstractButton::clicked, this, &SettingsDialog::onPreviewBoxClicked);
    connect(toolbarBox, &QAbstractButton::clicked, this, &SettingsDialog::onToolbarBoxClicked);
    connect(outputBox, &QAbstractButton::clicked, this, &SettingsDialog::onOutputBoxClicked);
    connect(redPointBox, &QAbstractButton::clicked, this, [this](bool on) { redPointBox->setText(onOff(on)); });
    connect(showCursorBox, &QAbstractButton::clicked, this, [this](bool on) { showCursorBox->setText(onOff(on)); });
    connect(scaleSpin, &QSpinBox::valueChanged, this, &SettingsDialog::onScaleChanged);
    connect(updateRateSpin, &QSpinBox::valueChanged, this, &SettingsDialog::onUpdateRateChanged);
    connect(displaySizeSlider, &QSlider::valueChanged, this, &SettingsDialog::onDisplaySizeChanged);
    connect(fullButton, &QAbstractButton::clicked, this, [this] { app_.output->goFullScreen(); });
    connect(moveToSecondButton, &QAbstractButton::clicked, this, [this] { app_.output->moveToSecondMonitor(); });
    connect(closeButton, &QAbstractButton::clicked, this, &SettingsDialog::onCloseClicked);
}

// --- Marker ----------------------------------------------------------------

void SettingsDialog::bringUp() {
    show();
    raise();
    activateWindow();
}

void SettingsDialog::markSource(GlyphButton* button) {
    marked_ = button;
    sourceMarker->move(button->x(), sourceMarker->y());
    sourceMarkerGlyph->setGlyph(button->glyph());
    sourceMarker->show();
    sourceMarker->raise();
}

// --- Source commands -------------------------------------------------------

void SettingsDialog::onStopAllClicked() {
    ProgramState& s = app_.state;
    OutputWindow& out = *app_.output;
    s.menuSource = 0;
    if (!out.banner->isHidden()) {
        out.banner->hide();
        app_.preview->bannerStrip->hide();
    }
    s.source = source::Stopped;
    app_.hideWindowPicker();
    markSource(stopAllButton);
    out.outputView->show();
    out.transitionSurface->hide();
    app_.capture->clearOutput();
    // With source 0 Run/Stop only puts its Run picture back; the flag
    // stays set so the next source's clearOutput brings it back to false.
    s.outputRunning = true;
    app_.toolbar->toggleRun();
}

void SettingsDialog::onDesktopClicked() {
    ProgramState& s = app_.state;
    s.menuSource = 1;
    app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    s.desktopScope = 0;
    markSource(desktopButton);
    s.source = source::Desktop;
    app_.capture->clearOutput();
    app_.capture->captureTimer.start();
}

void SettingsDialog::onAreaClicked() {
    ProgramState& s = app_.state;
    onStopAllClicked();
    s.outputRunning = false;
    s.menuSource = 2;
    const bool wasVisible = isVisible();
    const int dialogTop = y();
    const int toolbarTop = app_.toolbar->y();
    app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    markSource(areaButton);

    // Out of sight while the screen is copied, so neither window is in it.
    QCoreApplication::processEvents();
    move(x(), -1500);
    app_.toolbar->move(app_.toolbar->x(), -1500);
    QCoreApplication::processEvents();

    if (features::AreaSelection) {
        const QRect primary = app_.monitorRect(0);
        if (!app_.platform.screen->captureScreen(primary, s.areaSnapshot)) s.areaSnapshot = QImage();
        // The area overlay picks captureArea from areaSnapshot here.
    }

    app_.capture->clearOutput();
    close();
    s.areaSnapshot = QImage();
    s.desktopScope = 1;
    s.source = source::Desktop;
    app_.capture->captureTimer.start();

    app_.toolbar->move(app_.toolbar->x(), toolbarTop);
    move(x(), dialogTop);
    if (wasVisible) show();
}

void SettingsDialog::onWindowClicked() {
    ProgramState& s = app_.state;
    OutputWindow& out = *app_.output;
    app_.closeSlideshowEditor();
    s.menuSource = 3;
    markSource(windowButton);
    // The window picker (shown modeless, or modally when pickWindowModal is
    // set) sets selectedWindow and starts the capture timer itself.
    out.outputView->clearPicture();
    // Pressing Run/Stop with the flag set turns off a running output of the
    // previous source.
    s.outputRunning = true;
    app_.toolbar->toggleRun();
    app_.capture->clearOutput();
    s.outputRunning = false;
    out.outputView->show();
    s.source = source::Window;
}

void SettingsDialog::onClipboardClicked() {
    ProgramState& s = app_.state;
    s.menuSource = 4;
    app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    markSource(clipboardButton);
    s.source = source::Clipboard;
    app_.capture->clearOutput();
}

void SettingsDialog::onImagesClicked() {
    app_.hideWindowPicker();
    imagesMenu->popup(imagesButton->mapToGlobal(QPoint(0, imagesButton->height())));
}

void SettingsDialog::onOpenSlideshow() {
    QFileDialog dialog(this, QStringLiteral("Open"), QString(), QStringLiteral("Vivivoz Slide Show (*.VSL *.vsl)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("vsl"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    openSlideshowFile(dialog.selectedFiles().first());
}

bool SettingsDialog::openSlideshowFile(const QString& path) {
    // Read first: a file that cannot be read leaves the current source alone.
    QStringList lines;
    QString error;
    if (!readSlideshowLines(path, kSlideLinesCapacity, lines, error)) {
        Prompter& prompter = *app_.platform.prompter;
        prompter.beep(Prompter::Icon::Error);
        prompter.ask(QStringLiteral("Vivivoz"), QStringLiteral("Cannot open file \"%1\". %2").arg(path, error),
                     Prompter::Buttons::Ok, Prompter::Icon::Error, Prompter::Answer::Ok);
        return false;
    }
    ProgramState& s = app_.state;
    app_.closeSlideshowEditor();
    s.menuSource = 5;
    markSource(imagesButton);
    s.source = source::Slideshow;
    app_.capture->clearOutput();
    s.playList = lines;
    s.playListCount = int(lines.size());
    if (!lines.isEmpty()) s.playListLoaded = true;
    return true;
}

void SettingsDialog::onMakeSlideshow() {
    ProgramState& s = app_.state;
    s.menuSource = 6;
    markSource(imagesButton);
    s.source = source::Slideshow;
    app_.capture->clearOutput();
    // The slideshow editor shows itself here once it exists.
}

void SettingsDialog::onScrollTextClicked() {
    if (app_.isSlideshowEditorVisible()) app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    // The scrolling-text dialog shows itself here once it exists.
}

void SettingsDialog::onCaptureClicked() {
    if (app_.isSlideshowEditorVisible()) app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    // "Capture an Image" shows itself here once it exists.
}

// --- Toggles ---------------------------------------------------------------

void SettingsDialog::onPreviewBoxClicked() {
    const bool on = previewBox->isChecked();
    app_.preview->setVisible(on);
    previewBox->setText(onOff(on));
}

void SettingsDialog::onToolbarBoxClicked() {
    const bool on = toolbarBox->isChecked();
    app_.toolbar->setVisible(on);
    toolbarBox->setText(onOff(on));
}

// The output window sets the box's caption itself.
void SettingsDialog::onOutputBoxClicked() { app_.output->onOutputBoxClicked(); }

void SettingsDialog::onActivated() {
    setTicked(previewBox, app_.preview && app_.preview->isVisible());
    setTicked(toolbarBox, app_.toolbar && app_.toolbar->isVisible());
    setTicked(outputBox, app_.output && app_.output->isVisible());
}

// --- View mode, scale, rate, size ------------------------------------------

void SettingsDialog::tickViewModeBox(int n) {
    for (int i = 1; i <= 5; ++i) setTicked(viewModeBoxes[i], i == n);
}

int SettingsDialog::tickedViewMode() const {
    int ticked = 0;
    for (int i = 1; i <= 5; ++i)
        if (viewModeBoxes[i]->isChecked()) ticked = i;
    return ticked;
}

void SettingsDialog::onViewModeBoxClicked(int n) {
    app_.state.viewMode = n;
    tickViewModeBox(n);
    app_.tray->clearViewModeMarks();
    if (n >= 1 && n <= 5) app_.tray->viewModeActions[n]->setChecked(true);
    app_.output->applyViewMode();
}

void SettingsDialog::onScaleChanged() {
    if (reachable()) app_.output->applyViewMode();
}

void SettingsDialog::onUpdateRateChanged() { app_.capture->setUpdateRate(updateRateSpin->value()); }

void SettingsDialog::onDisplaySizeChanged() {
    displaySizeLabel->setText(QStringLiteral("%1 %").arg(displaySizeSlider->value()));
    if (reachable()) app_.output->onDisplaySizeChanged();
}

void SettingsDialog::applyLoadedSettings() {
    ProgramState& s = app_.state;
    markSource(stopAllButton);

    displaySizeSlider->setValue(app_.monitorCount() < 2 ? 30 : 100);
    displaySizeLabel->setText(QStringLiteral("%1 %").arg(displaySizeSlider->value()));

    move(s.optLeft, s.optTop);
    keepOnScreen();

    setTicked(showCursorBox, s.optShowcursor);
    setTicked(redPointBox, s.optShowRedPoint);

    // Set quietly, then applied once, so the scale and the update-rate steps
    // run even when the value is already the stored one.
    {
        const QSignalBlocker quiet(scaleSpin);
        scaleSpin->setValue(s.opScaleValue);
    }
    onScaleChanged();
    {
        const QSignalBlocker quiet(updateRateSpin);
        updateRateSpin->setValue(s.refreshRate);
    }
    onUpdateRateChanged();

    const int saved = s.savedViewMode;
    tickViewModeBox(saved);
    if (app_.tray) {
        app_.tray->clearViewModeMarks();
        if (saved >= 1 && saved <= 5) app_.tray->viewModeActions[saved]->setChecked(true);
    }
}

// --- Window ----------------------------------------------------------------

void SettingsDialog::onCloseClicked() { close(); }

void SettingsDialog::keepOnScreen() {
    const int limit = app_.primaryWidth() - frameGeometry().width();
    if (x() > limit) move(limit - 20, y());
}

void SettingsDialog::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    keepOnScreen();
}

void SettingsDialog::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void SettingsDialog::closeEvent(QCloseEvent* e) {
    onActivated();
    QWidget::closeEvent(e);
}

void SettingsDialog::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) onActivated();
}

}  // namespace vz
