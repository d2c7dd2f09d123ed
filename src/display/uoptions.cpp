#include "display/uoptions.h"

#include "app/app.h"
#include "app/features.h"
#include "capture/capture_cycle.h"
#include "display/image_view.h"
#include "display/umonitor.h"
#include "display/uslika.h"
#include "shell/mainunit.h"
#include "shell/ustartform.h"
#include "widgets/background.h"
#include "widgets/glyph_button.h"
#include "widgets/glyphs.h"
#include "widgets/movable_panel.h"
#include "widgets/onoff_checkbox.h"
#include "widgets/spin_edit.h"
#include "widgets/track_bar.h"
#include "widgets/ui_font.h"

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

TFoptions::TFoptions(App& app) : QWidget(nullptr, Qt::Dialog), app_(app) {
    setWindowTitle(QStringLiteral("Vivivoz - Settings"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(uiFont());
    buildControls();
    FormCreate();
}

bool TFoptions::reachable() const { return app_.foptions.get() == this; }

void TFoptions::buildControls() {
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
    sbStop = next(glyphs::stopAll(), QStringLiteral("Stop All"), true);
    SBMonitor = next(glyphs::desktop(), QStringLiteral("Desktop"), true);
    SBPart = next(glyphs::partOfDesktop(), QStringLiteral("Part of Desktop"), features::AreaSelection);
    x -= gap;
    separator();
    SbWindow = next(glyphs::singleApplication(), QStringLiteral("Single Application"), features::WindowPicker);
    SbClipboard = next(glyphs::clipboard(), QStringLiteral("Clipboard"), features::ClipboardSource);
    sbSlideShow = next(glyphs::images(), QStringLiteral("Images"), features::Slideshow);
    x -= gap;
    separator();
    sbSkrol = next(glyphs::scrollText(), QStringLiteral("Scroll Text"), features::ScrollText);
    sbCapture = next(glyphs::captureImage(), QStringLiteral("Capture an Image from a second display"),
                     features::ImageCapture);

    // The marker: a disabled panel, so a click on the marked button goes nowhere.
    redall = new QWidget(panel);
    fillBackground(redall, kMarkerColor);
    redall->setGeometry(sbStop->x(), sbStop->y(), kSourceButtonWidth, kSourceButtonHeight);
    sbred = new GlyphButton(redall);
    sbred->setFaceColor(kMarkerColor);
    sbred->setGeometry(0, 0, kSourceButtonWidth, kSourceButtonHeight);
    redall->setEnabled(false);
    redall->hide();

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
    bcSlika = toggleRow(QStringLiteral("Show preview"), 96);
    bcToolBar = toggleRow(QStringLiteral("Show toolbar"), 124);
    bcMonitor = toggleRow(QStringLiteral("Enable secondary sonitor"), 152);

    makeSection(panel, QRect(lx, 212, lw, 224));
    makeLabel(QStringLiteral("View Mode"), panel, QRect(lx + 14, 220, 200, 22), true);
    const char* modeNames[] = {"", "Normal", "Stretch", "Optimal", "Resize", "Scale"};
    for (int n = 1; n <= 5; ++n) {
        const int rowY = 220 + 28 * n;
        makeLabel(QString::fromLatin1(modeNames[n]), panel, QRect(lx + 30, rowY, 180, 22));
        SM[n] = new OnOffCheckBox(QStringLiteral("Off"), panel);
        SM[n]->setGeometry(lx + lbox, rowY, 60, 22);
        connect(SM[n], &QAbstractButton::clicked, this, [this, n] { PREDyoom(n); });
    }
    makeSeparator(panel, QRect(lx + 14, 395, lw - 28, 1));
    makeLabel(QStringLiteral("Scale value"), panel, QRect(lx + 14, 404, 180, 24));
    SpinScaleVrednost = new SpinEdit(1, 1000, panel);
    SpinScaleVrednost->setGeometry(lx + lbox, 404, 72, 24);
    SpinScaleVrednost->setValue(100);

    // Right column: pointer overlay, update rate, display size.
    const int rx = 360, rw = 319, rbox = 200;
    makeSection(panel, QRect(rx, 84, rw, 104));
    makeLabel(QStringLiteral(" On captured screen "), panel, QRect(rx + 10, 92, 250, 22), true);
    makeLabel(QStringLiteral("Show red point"), panel, QRect(rx + 14, 124, 180, 22));
    RedPOINT = new OnOffCheckBox(QStringLiteral("Off"), panel);
    RedPOINT->setGeometry(rx + rbox, 124, 60, 22);
    makeLabel(QStringLiteral("Show cursor"), panel, QRect(rx + 14, 152, 180, 22));
    Showcursor1 = new OnOffCheckBox(QStringLiteral("Off"), panel);
    Showcursor1->setGeometry(rx + rbox, 152, 60, 22);

    makeSection(panel, QRect(rx, 212, rw, 92));
    makeLabel(QStringLiteral("Screen update rate:"), panel, QRect(rx + 14, 222, 180, 24));
    spinrefresh = new SpinEdit(1, 1000, panel);
    spinrefresh->setGeometry(rx + rbox, 222, 72, 24);
    spinrefresh->setValue(4);
    QLabel* note = makeLabel(
        QStringLiteral("Depend from hardware and operating system. Too high rate can cause application instability."),
        panel, QRect(rx + 14, 252, rw - 28, 44));
    note->setFont(uiFont(8));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    makeSection(panel, QRect(rx, 328, rw, 108));
    makeLabel(QStringLiteral(" Display Size"), panel, QRect(rx + 10, 336, 250, 22), true);
    X2Size = new TrackBar(1, 100, panel);
    X2Size->setTickInterval(10);
    X2Size->setGeometry(rx + 14, 362, 220, 30);
    X2Size->setValue(100);
    Label18 = makeLabel(QStringLiteral("100 %"), panel, QRect(rx + 244, 366, 64, 22));
    sbhide = makeTextButton(panel, QStringLiteral("Full "), QRect(rx + 14, 398, 80, 28));
    ximovetosecond = makeTextButton(panel, QStringLiteral("Move to Second Monitor"), QRect(rx + 102, 398, 203, 28));

    makeSeparator(panel, QRect(16, 460, kClientWidth - 32, 1));
    xiOK = makeTextButton(panel, QStringLiteral("Close"), QRect(kClientWidth - 20 - 110, 482, 110, 34));

    redall->raise();

    pop1 = new QMenu(this);
    OpenSlideshow1 = pop1->addAction(QStringLiteral("Open Slideshow"));
    pop1->addSeparator();
    CreateSlideshow1 = pop1->addAction(QStringLiteral("Make Slideshow"));
    OpenSlideshow1->setEnabled(features::Slideshow);
    CreateSlideshow1->setEnabled(features::Slideshow);

    connect(sbStop, &QAbstractButton::clicked, this, &TFoptions::sbStopClick);
    connect(SBMonitor, &QAbstractButton::clicked, this, &TFoptions::SBMonitorClick);
    connect(SBPart, &QAbstractButton::clicked, this, &TFoptions::SBPartClick);
    connect(SbWindow, &QAbstractButton::clicked, this, &TFoptions::SbWindowClick);
    connect(SbClipboard, &QAbstractButton::clicked, this, &TFoptions::SbClipboardClick);
    connect(sbSlideShow, &QAbstractButton::clicked, this, &TFoptions::sbSlideShowClick);
    connect(sbSkrol, &QAbstractButton::clicked, this, &TFoptions::sbSkrolClick);
    connect(sbCapture, &QAbstractButton::clicked, this, &TFoptions::sbCaptureClick);
    connect(OpenSlideshow1, &QAction::triggered, this, &TFoptions::OpenSlideshow1Click);
    connect(CreateSlideshow1, &QAction::triggered, this, &TFoptions::CreateSlideshow1Click);
    connect(bcSlika, &QAbstractButton::clicked, this, &TFoptions::bcSlikaClick);
    connect(bcToolBar, &QAbstractButton::clicked, this, &TFoptions::bcToolBarClick);
    connect(bcMonitor, &QAbstractButton::clicked, this, &TFoptions::bcMonitorClick);
    connect(RedPOINT, &QAbstractButton::clicked, this, [this](bool on) { RedPOINT->setText(onOff(on)); });
    connect(Showcursor1, &QAbstractButton::clicked, this, [this](bool on) { Showcursor1->setText(onOff(on)); });
    connect(SpinScaleVrednost, &QSpinBox::valueChanged, this, &TFoptions::SpinScaleVrednostChange);
    connect(spinrefresh, &QSpinBox::valueChanged, this, &TFoptions::spinrefreshChange);
    connect(X2Size, &QSlider::valueChanged, this, &TFoptions::X2SizeChange);
    connect(sbhide, &QAbstractButton::clicked, this, [this] { app_.fmonitor->sbhideClick(); });
    connect(ximovetosecond, &QAbstractButton::clicked, this, [this] { app_.fmonitor->ximovetosecondClick(); });
    connect(xiOK, &QAbstractButton::clicked, this, &TFoptions::xiOKClick);
}

// --- Marker ----------------------------------------------------------------

void TFoptions::bringUp() {
    show();
    raise();
    activateWindow();
}

void TFoptions::markSource(GlyphButton* button) {
    marked_ = button;
    redall->move(button->x(), redall->y());
    sbred->setGlyph(button->glyph());
    redall->show();
    redall->raise();
}

// --- Source commands -------------------------------------------------------

void TFoptions::sbStopClick() {
    AppState& s = app_.state;
    TFmonitor& out = *app_.fmonitor;
    s.MenuSource = 0;
    if (!out.rtmdis->isHidden()) {
        out.rtmdis->hide();
        app_.fslika->pscroll->hide();
    }
    s.SourceMode = source::Stopped;
    app_.hideWindowPicker();
    markSource(sbStop);
    out.image->show();
    out.Pixa->hide();
    app_.capture->ClearImage();
    // With SourceMode 0 Run/Stop only puts its Run picture back; the flag
    // stays set so the next source's ClearImage brings it back to false.
    s.OutputRunning = true;
    app_.mainForm->xiTekanjeClick();
}

void TFoptions::SBMonitorClick() {
    AppState& s = app_.state;
    s.MenuSource = 1;
    app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    s.DesktopScope = 0;
    markSource(SBMonitor);
    s.SourceMode = source::Desktop;
    app_.capture->ClearImage();
    app_.capture->Timer3zaslon.start();
}

void TFoptions::SBPartClick() {
    AppState& s = app_.state;
    sbStopClick();
    s.OutputRunning = false;
    s.MenuSource = 2;
    const bool wasVisible = isVisible();
    const int dialogTop = y();
    const int toolbarTop = app_.mainForm->y();
    app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    markSource(SBPart);

    // Out of sight while the screen is copied, so neither window is in it.
    QCoreApplication::processEvents();
    move(x(), -1500);
    app_.mainForm->move(app_.mainForm->x(), -1500);
    QCoreApplication::processEvents();

    if (features::AreaSelection) {
        const QRect primary = app_.monitorRect(0);
        if (!app_.platform.screen->captureScreen(primary, s.AreaSnapshot)) s.AreaSnapshot = QImage();
        // The area overlay picks CaptureArea from AreaSnapshot here.
    }

    app_.capture->ClearImage();
    close();
    s.AreaSnapshot = QImage();
    s.DesktopScope = 1;
    s.SourceMode = source::Desktop;
    app_.capture->Timer3zaslon.start();

    app_.mainForm->move(app_.mainForm->x(), toolbarTop);
    move(x(), dialogTop);
    if (wasVisible) show();
}

void TFoptions::SbWindowClick() {
    AppState& s = app_.state;
    TFmonitor& out = *app_.fmonitor;
    app_.closeSlideshowEditor();
    s.MenuSource = 3;
    markSource(SbWindow);
    // The window picker (shown modeless, or modally when PickWindowModal is
    // set) sets SelectedWindow and starts the capture timer itself.
    out.image->clearPicture();
    // Pressing Run/Stop with the flag set turns off a running output of the
    // previous source.
    s.OutputRunning = true;
    app_.mainForm->xiTekanjeClick();
    app_.capture->ClearImage();
    s.OutputRunning = false;
    out.image->show();
    s.SourceMode = source::Window;
}

void TFoptions::SbClipboardClick() {
    AppState& s = app_.state;
    s.MenuSource = 4;
    app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    markSource(SbClipboard);
    s.SourceMode = source::Clipboard;
    app_.capture->ClearImage();
}

void TFoptions::sbSlideShowClick() {
    app_.hideWindowPicker();
    pop1->popup(sbSlideShow->mapToGlobal(QPoint(0, sbSlideShow->height())));
}

void TFoptions::OpenSlideshow1Click() {
    QFileDialog dialog(this, QStringLiteral("Open"), QString(), QStringLiteral("Vivivoz Slide Show (*.VSL *.vsl)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("vsl"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    openSlideshowFile(dialog.selectedFiles().first());
}

bool TFoptions::openSlideshowFile(const QString& path) {
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
    AppState& s = app_.state;
    app_.closeSlideshowEditor();
    s.MenuSource = 5;
    markSource(sbSlideShow);
    s.SourceMode = source::Slideshow;
    app_.capture->ClearImage();
    s.slidelines = lines;
    s.slidecount = int(lines.size());
    if (!lines.isEmpty()) s.slideloaded = true;
    return true;
}

void TFoptions::CreateSlideshow1Click() {
    AppState& s = app_.state;
    s.MenuSource = 6;
    markSource(sbSlideShow);
    s.SourceMode = source::Slideshow;
    app_.capture->ClearImage();
    // The slideshow editor shows itself here once it exists.
}

void TFoptions::sbSkrolClick() {
    if (app_.isSlideshowEditorVisible()) app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    // The scrolling-text dialog shows itself here once it exists.
}

void TFoptions::sbCaptureClick() {
    if (app_.isSlideshowEditorVisible()) app_.closeSlideshowEditor();
    app_.hideWindowPicker();
    // "Capture an Image" shows itself here once it exists.
}

// --- Toggles ---------------------------------------------------------------

void TFoptions::bcSlikaClick() {
    const bool on = bcSlika->isChecked();
    app_.fslika->setVisible(on);
    bcSlika->setText(onOff(on));
}

void TFoptions::bcToolBarClick() {
    const bool on = bcToolBar->isChecked();
    app_.mainForm->setVisible(on);
    bcToolBar->setText(onOff(on));
}

// The output window sets the box's caption itself.
void TFoptions::bcMonitorClick() { app_.fmonitor->bcMonitorClick(); }

void TFoptions::FormActivate() {
    setTicked(bcSlika, app_.fslika && app_.fslika->isVisible());
    setTicked(bcToolBar, app_.mainForm && app_.mainForm->isVisible());
    setTicked(bcMonitor, app_.fmonitor && app_.fmonitor->isVisible());
}

// --- View mode, scale, rate, size ------------------------------------------

void TFoptions::tickViewModeBox(int n) {
    for (int i = 1; i <= 5; ++i) setTicked(SM[i], i == n);
}

int TFoptions::tickedViewMode() const {
    int ticked = 0;
    for (int i = 1; i <= 5; ++i)
        if (SM[i]->isChecked()) ticked = i;
    return ticked;
}

void TFoptions::PREDyoom(int n) {
    app_.state.ViewMode = n;
    tickViewModeBox(n);
    app_.startForm->resetVM();
    if (n >= 1 && n <= 5) app_.startForm->vm[n]->setChecked(true);
    app_.fmonitor->yoom();
}

void TFoptions::SpinScaleVrednostChange() {
    if (reachable()) app_.fmonitor->yoom();
}

void TFoptions::spinrefreshChange() { app_.capture->UpdateRateChange(spinrefresh->value()); }

void TFoptions::X2SizeChange() {
    Label18->setText(QStringLiteral("%1 %").arg(X2Size->value()));
    if (reachable()) app_.fmonitor->X2SizeChange();
}

void TFoptions::FormCreate() {
    AppState& s = app_.state;
    markSource(sbStop);

    X2Size->setValue(app_.monitorCount() < 2 ? 30 : 100);
    Label18->setText(QStringLiteral("%1 %").arg(X2Size->value()));

    move(s.optLeft, s.optTop);
    keepOnScreen();

    setTicked(Showcursor1, s.optShowcursor);
    setTicked(RedPOINT, s.optShowRedPoint);

    // Set quietly, then applied once, so the scale and the update-rate steps
    // run even when the value is already the stored one.
    {
        const QSignalBlocker quiet(SpinScaleVrednost);
        SpinScaleVrednost->setValue(s.opScaleValue);
    }
    SpinScaleVrednostChange();
    {
        const QSignalBlocker quiet(spinrefresh);
        spinrefresh->setValue(s.refreshRate);
    }
    spinrefreshChange();

    const int saved = s.SavedViewMode;
    tickViewModeBox(saved);
    if (app_.startForm) {
        app_.startForm->resetVM();
        if (saved >= 1 && saved <= 5) app_.startForm->vm[saved]->setChecked(true);
    }
}

// --- Window ----------------------------------------------------------------

void TFoptions::xiOKClick() { close(); }

void TFoptions::keepOnScreen() {
    const int limit = app_.primaryWidth() - frameGeometry().width();
    if (x() > limit) move(limit - 20, y());
}

void TFoptions::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    keepOnScreen();
}

void TFoptions::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TFoptions::closeEvent(QCloseEvent* e) {
    FormActivate();
    QWidget::closeEvent(e);
}

void TFoptions::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

}  // namespace vz
