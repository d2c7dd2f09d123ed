#include "ui/settings/settings_dialog.h"

#include "ui/widgets/background.h"
#include "ui/widgets/glyph_button.h"
#include "ui/widgets/glyphs.h"
#include "ui/widgets/look.h"
#include "ui/widgets/movable_panel.h"
#include "ui/widgets/onoff_checkbox.h"
#include "ui/widgets/spin_edit.h"
#include "ui/widgets/stacking.h"
#include "ui/widgets/track_bar.h"
#include "ui/widgets/ui_font.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

namespace vz {

namespace {

constexpr int kClientWidth = 699;
constexpr int kClientHeight = 541;
const QColor kPanelColor = look::kPanel;
const QColor kMarkerColor(0, 128, 255);
constexpr int kSourceButtonWidth = 53;
constexpr int kSourceButtonHeight = 33;

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

GlyphButton* makeSourceButton(QWidget* parent, int x, int y, const QPixmap& glyph, const QString& hint) {
    auto* button = new GlyphButton(parent);
    button->setGeometry(x, y, kSourceButtonWidth, kSourceButtonHeight);
    button->setGlyph(glyph);
    button->setToolTip(hint);
    return button;
}

GlyphButton* makeTextButton(QWidget* parent, const QString& caption, const QRect& at) {
    auto* button = new GlyphButton(parent);
    button->setText(caption);
    button->setGeometry(at);
    return button;
}

}  // namespace

SettingsDialog::SettingsDialog(Controller& controller) : QWidget(nullptr, Qt::Dialog), controller_(controller) {
    setWindowTitle(QStringLiteral("Vivivoz - Settings"));
    stacking::markMainWindow(this);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(uiFont());
    buildControls();
    connectController();
    applyLoadedSettings();
}

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
    auto next = [&](const QPixmap& glyph, const QString& hint) {
        GlyphButton* b = makeSourceButton(panel, x, y, glyph, hint);
        x += kSourceButtonWidth + gap;
        return b;
    };
    auto separator = [&] {
        x += (groupGap - gap) / 2;
        makeSeparator(panel, QRect(x - 1, y + 3, 2, kSourceButtonHeight - 6));
        x += groupGap - (groupGap - gap) / 2;
    };
    stopAllButton = next(glyphs::stopAll(), QStringLiteral("Stop All"));
    desktopButton = next(glyphs::desktop(), QStringLiteral("Desktop"));
    areaButton = next(glyphs::partOfDesktop(), QStringLiteral("Part of Desktop"));
    x -= gap;
    separator();
    windowButton = next(glyphs::singleApplication(), QStringLiteral("Single Application"));
    clipboardButton = next(glyphs::clipboard(), QStringLiteral("Clipboard"));
    imagesButton = next(glyphs::images(), QStringLiteral("Images"));
    x -= gap;
    separator();
    scrollTextButton = next(glyphs::scrollText(), QStringLiteral("Scroll Text"));
    captureButton = next(glyphs::captureImage(), QStringLiteral("Capture an Image from a second display"));

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

    Controller& c = controller_;
    connect(stopAllButton, &QAbstractButton::clicked, &c, &Controller::stopAll);
    connect(desktopButton, &QAbstractButton::clicked, &c, &Controller::startDesktop);
    connect(areaButton, &QAbstractButton::clicked, &c, &Controller::startArea);
    connect(windowButton, &QAbstractButton::clicked, this, [&c] {
        c.startWindowSource();
        c.requestView(View::WindowPicker, true);
    });
    connect(clipboardButton, &QAbstractButton::clicked, &c, &Controller::startClipboard);
    connect(imagesButton, &QAbstractButton::clicked, this, &SettingsDialog::chooseImages);
    connect(scrollTextButton, &QAbstractButton::clicked, &c, &Controller::openScrollText);
    connect(captureButton, &QAbstractButton::clicked, &c, &Controller::openImageCapture);
    connect(openSlideshowAction, &QAction::triggered, this, &SettingsDialog::openSlideshowFile);
    connect(makeSlideshowAction, &QAction::triggered, &c, &Controller::makeSlideshow);
    connect(previewBox, &QAbstractButton::clicked, this, [&c](bool on) { c.requestView(View::Preview, on); });
    connect(toolbarBox, &QAbstractButton::clicked, this, [&c](bool on) { c.requestView(View::Toolbar, on); });
    connect(outputBox, &QAbstractButton::clicked, this, [this, &c](bool on) {
        c.requestView(View::Output, on);
        // The output may stay hidden (the simulation question answered No):
        // the box shows what happened, not what was clicked.
        showViewShown(View::Output, c.isShown(View::Output));
    });
    connect(redPointBox, &QAbstractButton::clicked, &c.viewOptions(), &ViewOptions::setShowRedPoint);
    connect(showCursorBox, &QAbstractButton::clicked, &c.viewOptions(), &ViewOptions::setShowCursor);
    for (int n = 1; n <= 5; ++n)
        connect(viewModeBoxes[n], &QAbstractButton::clicked, this,
                [&c, n] { c.viewOptions().setViewMode(*viewFitFromNumber(n)); });
    connect(scaleSpin, &QSpinBox::valueChanged, &c.viewOptions(), &ViewOptions::setScaleValue);
    connect(updateRateSpin, &QSpinBox::valueChanged, &c.viewOptions(), &ViewOptions::setUpdateRate);
    // Only a position the user chose in the dialog resizes the output window.
    connect(displaySizeSlider, &QSlider::valueChanged, this,
            [this](int p) { controller_.viewOptions().setDisplaySize(p, isActiveWindow()); });
    connect(fullButton, &QAbstractButton::clicked, &c, &Controller::requestOutputFullScreen);
    connect(moveToSecondButton, &QAbstractButton::clicked, &c, &Controller::requestOutputOnSecondMonitor);
    connect(closeButton, &QAbstractButton::clicked, this, &QWidget::close);
}

// --- Following the controller ---------------------------------------------

void SettingsDialog::connectController() {
    Controller& c = controller_;
    connect(&c, &Controller::sourceChanged, this, &SettingsDialog::showSourceChoice);
    connect(&c, &Controller::viewShownChanged, this, &SettingsDialog::showViewShown);
    connect(&c.viewOptions(), &ViewOptions::viewModeChanged, this, &SettingsDialog::showViewMode);
    connect(&c.viewOptions(), &ViewOptions::scaleValueChanged, this, [this](int v) {
        const QSignalBlocker quiet(scaleSpin);
        scaleSpin->setValue(v);
    });
    connect(&c.viewOptions(), &ViewOptions::updateRateChanged, this, [this](int v) {
        const QSignalBlocker quiet(updateRateSpin);
        updateRateSpin->setValue(v);
    });
    connect(&c.viewOptions(), &ViewOptions::pointerOptionsChanged, this, [this] {
        setTicked(showCursorBox, controller_.viewOptions().showCursor());
        setTicked(redPointBox, controller_.viewOptions().showRedPoint());
    });
    connect(&c.viewOptions(), &ViewOptions::displaySizeChanged, this, &SettingsDialog::showDisplaySize);
    connect(&c, &Controller::settingsApplied, this, &SettingsDialog::applyLoadedSettings);
}

void SettingsDialog::showSourceChoice() {
    GlyphButton* button = stopAllButton;
    switch (controller_.sourceChoice()) {
        case SourceChoice::None: button = stopAllButton; break;
        case SourceChoice::Desktop: button = desktopButton; break;
        case SourceChoice::Area: button = areaButton; break;
        case SourceChoice::Window: button = windowButton; break;
        case SourceChoice::Clipboard: button = clipboardButton; break;
        case SourceChoice::OpenSlideshow:
        case SourceChoice::MakeSlideshow: button = imagesButton; break;
    }
    marked_ = button;
    sourceMarker->move(button->x(), sourceMarker->y());
    sourceMarkerGlyph->setGlyph(button->glyph());
    sourceMarker->show();
    sourceMarker->raise();
}

void SettingsDialog::showViewShown(View view, bool shown) {
    switch (view) {
        case View::Preview: setTicked(previewBox, shown); break;
        case View::Toolbar: setTicked(toolbarBox, shown); break;
        case View::Output: setTicked(outputBox, shown); break;
        default: break;
    }
}

void SettingsDialog::showDisplaySize(int percent) {
    {
        const QSignalBlocker quiet(displaySizeSlider);
        displaySizeSlider->setValue(percent);
    }
    displaySizeLabel->setText(QStringLiteral("%1 %").arg(percent));
}

void SettingsDialog::showViewMode(std::optional<ViewFit> mode) {
    for (int i = 1; i <= 5; ++i) setTicked(viewModeBoxes[i], mode && i == viewFitNumber(*mode));
}

int SettingsDialog::tickedViewMode() const {
    int ticked = 0;
    for (int i = 1; i <= 5; ++i)
        if (viewModeBoxes[i]->isChecked()) ticked = i;
    return ticked;
}

void SettingsDialog::applyLoadedSettings() {
    showSourceChoice();
    showDisplaySize(controller_.viewOptions().displaySize());
    move(controller_.settingsDialogPosition());
    keepOnScreen();
    setTicked(showCursorBox, controller_.viewOptions().showCursor());
    setTicked(redPointBox, controller_.viewOptions().showRedPoint());
    {
        const QSignalBlocker quiet(scaleSpin);
        scaleSpin->setValue(controller_.viewOptions().scaleValue());
    }
    {
        const QSignalBlocker quiet(updateRateSpin);
        updateRateSpin->setValue(controller_.viewOptions().updateRate());
    }
    showViewMode(controller_.viewOptions().viewMode());
    for (View v : {View::Preview, View::Toolbar, View::Output}) showViewShown(v, controller_.isShown(v));
}

// --- Commands that need the dialog -----------------------------------------

void SettingsDialog::bringUp() {
    show();
    raise();
    activateWindow();
}

void SettingsDialog::chooseImages() {
    controller_.requestView(View::WindowPicker, false);
    imagesMenu->popup(imagesButton->mapToGlobal(QPoint(0, imagesButton->height())));
}

void SettingsDialog::openSlideshowFile() { controller_.chooseAndOpenSlideshow(); }

// --- Window ----------------------------------------------------------------

void SettingsDialog::keepOnScreen() {
    const QRect primary = controller_.screens().desk().logicalPrimary();
    const int limit = primary.left() + primary.width() - frameGeometry().width();
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

}  // namespace vz
